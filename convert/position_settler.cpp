// The thread that builds and renders the positions of a run.
#include "convert/position_settler.h"

#include "convert/position_element.h"
#include "estimate/settled_node.h"

namespace ranta2kv {

PositionSettler::PositionSettler(char decimalSeparator, Completion onSecondCore, PassThreadCompletion onPassThread)
    : decimal_separator_(decimalSeparator),
      completion_(std::move(onSecondCore)),
      pass_thread_completion_(std::move(onPassThread)) {}

PositionSettler::~PositionSettler() {
  filling_.clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    queue_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void PositionSettler::ThrowFailure() {
  if (failure_) std::rethrow_exception(failure_);
}

void PositionSettler::Settle(TXML_Estimate_Settled& pending, PositionData data) {
  filling_.push_back({&pending, std::move(data)});
  if (filling_.size() >= kBatchLength) HandOver();
}

void PositionSettler::HandOver() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
  if (pass_thread_completion_ && queue_.size() >= kQueueLength && !failure_) {
    // This thread would wait: it completes the batch's positions itself meanwhile.
    lock.unlock();
    for (Queued& next : filling_) {
      if (!pass_thread_completion_(next.data)) break;
      next.completed = true;
    }
    lock.lock();
  }
  changed_.wait(lock, [this] { return queue_.size() < kQueueLength || failure_; });
  ThrowFailure();
  queue_.push_back(std::move(filling_));
  filling_.clear();
  filling_.reserve(kBatchLength);
  lock.unlock();
  changed_.notify_all();
}

void PositionSettler::Finish() {
  if (!filling_.empty()) HandOver();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return (queue_.empty() && !busy_) || failure_; });
  ThrowFailure();
}

PositionData PositionSettler::Spare() {
  if (taken_spares_.empty()) {
    // All that came back, under one lock.
    std::lock_guard<std::mutex> lock(mutex_);
    taken_spares_.swap(spare_);
  }
  if (taken_spares_.empty()) return PositionData();
  PositionData data = std::move(taken_spares_.back());
  taken_spares_.pop_back();
  return data;
}

namespace {

// Empties data but keeps the room of its texts and lists.
void Empty(PositionData& data) {
  PositionRow& row = data.row;
  row.caption.clear();
  row.code.clear();
  row.units.clear();
  row.comment.clear();
  row.workType = Variant();
  data.resources.clear();
  data.executed.clear();
  data.overhead.reset();
  data.profit.reset();
  data.records.clear();
  data.resourceRecords.clear();
}

}  // namespace

void PositionSettler::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    Batch batch = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    std::exception_ptr failure;
    try {
      for (Queued& next : batch) {
        if (completion_ && !next.completed) completion_(next.data);
        next.pending->RenderWith([&](XmlSink& sink) { RenderPosition(next.data, sink, decimal_separator_); });
      }
    } catch (...) {
      failure = std::current_exception();
    }
    // Emptied as they come back, also those a failure left as they were.
    for (Queued& done : batch) Empty(done.data);
    lock.lock();
    for (Queued& done : batch) {
      if (spare_.size() >= kBatchLength * (kQueueLength + 2)) break;
      spare_.push_back(std::move(done.data));
    }
    batch.clear();
    busy_ = false;
    if (failure) {
      failure_ = failure;
      queue_.clear();
    }
    changed_.notify_all();
    if (failure_) {
      changed_.wait(lock, [this] { return closing_; });
      return;
    }
  }
}

}  // namespace ranta2kv
