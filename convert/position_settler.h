// The second core of a run: the positions a pass has gathered are rendered
// straight from their values into the document's settled elements on a thread
// of their own, in the order the pass gave them, while the pass reads the rows that
// follow. The pass's thread keeps the walk, the log, the progress and Stop; this
// thread touches nothing but the positions handed to it and the settled elements.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "convert/position_values.h"

namespace ranta2kv {

class TXML_Estimate_Settled;

class PositionSettler {
 public:
  // What the pass does with each position's data before it is built: reads the
  // fields of its record copies, or runs statements. The pass keeps what it reads
  // (its fields and tables) unchanged until Finish has returned.
  using Completion = std::function<void(PositionData&)>;
  // The same on the pass's thread; false: not done, the thread must get back to
  // its walk (the user stopped the run), this thread completes the position.
  using PassThreadCompletion = std::function<bool(PositionData&)>;

  // onSecondCore runs on this thread. onPassThread, when given, runs on the pass's
  // thread for the positions of a batch it hands over while this thread is behind
  // (the queue is full): the two cores share the completions then. Each reads
  // with readers of its own. Both are fixed before the thread starts (with the
  // first batch) and never change: the thread reads them without the lock.
  explicit PositionSettler(char decimalSeparator, Completion onSecondCore = nullptr,
                           PassThreadCompletion onPassThread = nullptr);
  ~PositionSettler();  // drops what is still queued and waits for the thread
  PositionSettler(const PositionSettler&) = delete;
  PositionSettler& operator=(const PositionSettler&) = delete;

  // Queues a position for the settled node that stands for it in its chapter.
  // Throws the failure of a position queued before (the settled elements could
  // not be written), after which nothing more is rendered.
  void Settle(TXML_Estimate_Settled& pending, PositionData data);
  // Waits until every queued position is rendered; throws a failure.
  void Finish();
  // An empty PositionData for the pass to fill: one given back by this thread
  // once its position was rendered, with the room its texts and lists had, or a
  // new one.
  PositionData Spare();

  // Positions are handed over in batches, so that the two threads meet seldom
  // (each meeting can be a system call on both); batches waiting at the most:
  // enough to keep the thread busy, little memory.
  static constexpr std::size_t kBatchLength = 128;
  static constexpr std::size_t kQueueLength = 2;

 private:
  struct Queued {
    TXML_Estimate_Settled* pending;
    PositionData data;
    bool completed = false;  // by the pass's thread
  };
  using Batch = std::vector<Queued>;
  void HandOver();  // the batch being filled goes to the queue
  void Work();
  void ThrowFailure();  // with the lock held

  char decimal_separator_;
  const Completion completion_;
  const PassThreadCompletion pass_thread_completion_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Batch filling_;          // the pass's thread's own, not yet handed over
  std::deque<Batch> queue_;
  std::vector<PositionData> spare_;  // rendered, emptied, for the pass to fill again
  std::vector<PositionData> taken_spares_;  // the pass's thread's own, taken from spare_
  bool busy_ = false;      // the thread renders a position taken off the queue
  bool closing_ = false;   // no more positions come: the thread ends when the queue is empty
  std::exception_ptr failure_;
  std::thread thread_;     // started with the first position
};

}  // namespace ranta2kv
