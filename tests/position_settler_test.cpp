// Tests of the second core of a run: positions completed on whichever thread is
// free, each once, and written in the order the pass gave them; a completion's
// failure on the pass's thread ends the run there.
#include "convert/position_settler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "estimate/estimate_document.h"
#include "estimate/settled_node.h"
#include "estimate/xml_writer.h"

namespace ranta2kv {
namespace {

class PositionSettlerTest : public ::testing::Test {
 protected:
  static constexpr int kBatch = static_cast<int>(PositionSettler::kBatchLength);
  // Enough positions to fill the queue and more.
  static constexpr int kPositions = kBatch * static_cast<int>(PositionSettler::kQueueLength + 4);

  // Hands positions numbered 1 to count to the settler, in order.
  void SettlePositions(PositionSettler& settler, int count) {
    for (int number = 1; number <= count; ++number) {
      PositionData data = settler.Spare();
      data.row.number = number;
      auto pending = std::make_unique<TXML_Estimate_Settled>(number, document_.Settled());
      TXML_Estimate_Settled& node = *pending;
      chapter_->AddChild(std::move(pending));
      settler.Settle(node, std::move(data));
    }
  }
  std::string Written() {
    StringXmlSink sink;
    document_.SaveToSink(sink, ',');
    return sink.Text();
  }
  // Settles count positions with a second core held back until the pass's thread
  // has completed one (a short sleep alone is no wait on every system: it may
  // round down to nothing); the pass's thread completes those it takes
  // (passTakes) while it would wait. Each caption says who did it.
  void SettleWithASlowSecondCore(int count, std::function<bool(int)> passTakes) {
    PositionSettler settler(
        ',',
        [&](PositionData& data) {
          const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (on_pass_thread_ == 0 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          data.row.caption += "second core " + std::to_string(data.row.number);
          ++on_second_core_;
        },
        [&](PositionData& data) {
          if (!passTakes(data.row.number)) return false;
          data.row.caption += "pass " + std::to_string(data.row.number);
          ++on_pass_thread_;
          return true;
        });
    SettlePositions(settler, count);
    settler.Finish();
  }
  // Every position was completed once, by one thread or the other, and the
  // document holds them in the order given.
  void ExpectEachCompletedOnceInOrder(int count) {
    EXPECT_EQ(on_second_core_ + on_pass_thread_, count);
    const std::string xml = Written();
    std::size_t at = 0;
    for (int number = 1; number <= count; ++number) {
      const std::string tail = " " + std::to_string(number) + "\"";
      const std::size_t second = xml.find("\"second core" + tail, at), pass = xml.find("\"pass" + tail, at);
      ASSERT_NE(std::min(second, pass), std::string::npos) << "position " << number;
      EXPECT_EQ(std::max(second, pass), std::string::npos) << "position " << number << " completed twice";
      at = std::min(second, pass);
    }
  }

  TXML_Estimate_Document document_;
  TXML_Estimate_Container* chapter_ = document_.Chapters()->AddChapter();
  std::atomic<int> on_second_core_{0}, on_pass_thread_{0};
};

// The second core is slow here: the pass's thread completes the batches it hands
// over while the queue is full.
TEST_F(PositionSettlerTest, PassThreadCompletesWhileTheSecondCoreIsBehind) {
  SettleWithASlowSecondCore(kPositions, [](int) { return true; });
  ExpectEachCompletedOnceInOrder(kPositions);
  EXPECT_GT(on_second_core_, 0);
  EXPECT_GT(on_pass_thread_, 0);
}

// A pass's thread that must get back to its walk (the user stopped the run)
// leaves the rest of the batch to the second core.
TEST_F(PositionSettlerTest, PositionsThePassThreadLeavesAreCompletedByTheSecondCore) {
  SettleWithASlowSecondCore(kPositions, [](int number) { return number % kBatch < 5; });
  ExpectEachCompletedOnceInOrder(kPositions);
  EXPECT_GT(on_pass_thread_, 0);
}

// A completion that fails on the pass's thread fails the hand-over it ran in.
TEST_F(PositionSettlerTest, FailureOfAPassThreadCompletionEndsTheRun) {
  std::atomic<bool> passCompleting{false};
  PositionSettler settler(
      ',',
      [&](PositionData&) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!passCompleting && std::chrono::steady_clock::now() < giveUp)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
      },
      [&](PositionData& data) {
        passCompleting = true;
        if (data.row.number > 200) throw std::runtime_error("table read failed");
        return true;
      });
  try {
    SettlePositions(settler, kPositions);
    FAIL() << "no failure";
  } catch (const std::runtime_error& failure) {
    EXPECT_STREQ(failure.what(), "table read failed");
  }
}

// A failure on the second core: the batch it was in comes back for reuse empty,
// not with the values of the positions it never finished.
TEST_F(PositionSettlerTest, SparesComeBackEmptyAfterAFailure) {
  PositionSettler settler(',', [](PositionData& data) {
    data.row.caption = "completed";
    data.resources.resize(3);
    if (data.row.number == 5) throw std::runtime_error("table read failed");
  });
  EXPECT_THROW(
      {
        SettlePositions(settler, 64);
        settler.Finish();
      },
      std::runtime_error);
  for (int i = 0; i < 40; ++i) {
    const PositionData spare = settler.Spare();
    EXPECT_TRUE(spare.row.caption.empty() && spare.resources.empty()) << i;
  }
}

}  // namespace
}  // namespace ranta2kv
