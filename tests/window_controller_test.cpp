// Tests of the window controller, without a toolkit: which pass Start runs and
// that a second Start during a run is refused, the folder box rule, the folder
// chooser, closing during a run, the error report, and the designed font's rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/window_controller.h"
#include "common/codepage.h"
#include "common/error.h"
#include "tests/support/scratch_folder.h"

namespace ranta2kv {
namespace {

namespace fs = std::filesystem;

class FakeHost final : public CapturedFolderHost {
 public:
  FakeHost() : CapturedFolderHost('.') {}
  void AppendLog(const std::string&) override {}
  void ClearLog() override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgress() override {}
  void ProcessPendingEvents() override {}
  void SetBusyIndication(bool) override {}
  void ApplyButtonRule() override {}
};

class FakeView final : public WindowView {
 public:
  fs::path FolderBoxFolder() const override { return box; }
  void SetFolderBoxFolder(const fs::path& folder) override { box = folder; }
  bool Checked(FormControl) const override { return oleDb; }
  void EnableControl(FormControl control, bool enabled) override { this->enabled[control] = enabled; }
  bool ChooseFolder(const std::wstring& title, fs::path& folder) override {
    chooser_title = title;
    offered = folder;
    if (!chosen) return false;
    folder = *chosen;
    return true;
  }
  fs::path ProgramFolder() const override { return "/opt/program"; }
  void ShowErrorReport(const std::string& message) override { events.push_back("error: " + message); }
  void AfterRun() override { events.push_back("after run"); }
  void CloseNow() override { events.push_back("closed"); }
  std::vector<std::wstring> FontFamilies() const override { return families; }
  int TextWidth(const FontChoice& font, std::wstring_view text) const override {
    return static_cast<int>(text.size()) * font.pixelHeight * widths.at(font.family) / 100;
  }

  fs::path box;
  bool oleDb = true;
  std::map<FormControl, bool> enabled;
  std::wstring chooser_title;
  fs::path offered;
  std::optional<fs::path> chosen;
  std::vector<std::string> events;
  std::vector<std::wstring> families;
  std::map<std::wstring, int> widths;  // per cent of the pixel height, per letter
};

class WindowControllerTest : public ::testing::Test {
 protected:
  WindowControllerTest() {
    convertDbf_ = [this](RunHost&) { return Ran("dbf"); };
    convertOleDb_ = [this](RunHost&) { return Ran("oledb"); };
  }
  std::optional<ConversionResult> Ran(const std::string& pass) {
    view_.events.push_back(pass);
    if (during_) during_();
    return std::nullopt;
  }

  test::ScratchFolder folder_{"controller"};
  FakeView view_;
  FakeHost host_;
  ConversionPass convertDbf_, convertOleDb_;
  std::function<void()> during_;
  WindowController controller_{view_, host_, convertDbf_, convertOleDb_};
};

TEST_F(WindowControllerTest, StartRunsTheCheckedPassOnceAtATime) {
  view_.box = folder_.Path();
  controller_.SpeedButton2Click();
  view_.oleDb = false;
  during_ = [this] {
    controller_.SpeedButton2Click();  // from inside the pass's event processing
    controller_.Edit1Change();
  };
  controller_.SpeedButton2Click();
  EXPECT_EQ(view_.events, (std::vector<std::string>{"oledb", "after run", "dbf", "after run"}));
  EXPECT_TRUE(view_.enabled.empty()) << "the folder box changed Start during a run";
  EXPECT_FALSE(controller_.PassActive());
}

TEST_F(WindowControllerTest, FolderBoxEnablesStartForAnExistingFolderOnly) {
  view_.box = folder_.Path();
  controller_.Edit1Change();
  EXPECT_TRUE(view_.enabled[FormControl::sbStart]);
  view_.box = folder_ / "missing";
  controller_.Edit1Change();
  EXPECT_FALSE(view_.enabled[FormControl::sbStart]);
}

TEST_F(WindowControllerTest, FolderChooserOpensWhereTheBoxSaysAndTakesTheChoice) {
  view_.box = "/no/such/folder";
  controller_.SpeedButton1Click();
  EXPECT_EQ(view_.chooser_title, L"Укажите папку с DBF");
  EXPECT_EQ(view_.offered, fs::path("/opt/program") / "");
  EXPECT_EQ(view_.box, "/no/such/folder") << "a cancelled choice changed the box";
  view_.box = folder_.Path();
  view_.chosen = folder_ / "chosen";
  controller_.SpeedButton1Click();
  EXPECT_EQ(view_.offered, folder_.Path());
  EXPECT_EQ(view_.box, folder_ / "chosen");
}

TEST_F(WindowControllerTest, ClosingDuringARunStopsItAndClosesOnceThePassReturns) {
  EXPECT_TRUE(controller_.CloseRequested()) << "closing an idle window";
  view_.box = folder_.Path();
  during_ = [this] {
    host_.SetRunning(true);
    EXPECT_FALSE(controller_.CloseRequested());
    EXPECT_FALSE(host_.Running()) << "closing did not stop the run";
    EXPECT_TRUE(view_.events.back() != "closed") << "closed while the pass was on the stack";
  };
  controller_.SpeedButton2Click();
  EXPECT_EQ(view_.events, (std::vector<std::string>{"oledb", "after run", "closed"}));
}

TEST_F(WindowControllerTest, FailedPassShowsTheErrorReportAfterTheLog) {
  view_.box = folder_.Path();
  during_ = [] { throw Error(std::string("Индекс за пределами диапазона"_cp1251)); };
  controller_.SpeedButton2Click();
  EXPECT_EQ(view_.events, (std::vector<std::string>{"oledb", "after run", "error: Индекс за пределами диапазона"}));
}

// The caption "Папка с DBF " (12 letters) must fit the label's 68 designed pixels.
TEST_F(WindowControllerTest, DesignedFontShrinksUntilTheLabelFitsOrTakesTheNextFamily) {
  view_.families = {L"Designed", L"Other"};
  view_.widths = {{L"Designed", 40}, {L"Other", 50}};  // 12 x 11 x 40% = 52 px: fits
  EXPECT_EQ(controller_.DesignedFont(96), (FontChoice{L"Designed", 11}));
  EXPECT_EQ(controller_.DesignedFont(144), (FontChoice{L"Designed", 16}));
  view_.widths = {{L"Designed", 60}, {L"Other", 50}};  // 11 px: 79; 9 px: 64
  EXPECT_EQ(controller_.DesignedFont(96), (FontChoice{L"Designed", 9}));
  view_.widths = {{L"Designed", 90}, {L"Other", 55}};  // the designed one never fits; 10 px of the other: 66
  EXPECT_EQ(controller_.DesignedFont(96), (FontChoice{L"Other", 10}));
  view_.widths = {{L"Designed", 90}, {L"Other", 90}};
  EXPECT_EQ(controller_.DesignedFont(96), (FontChoice{L"Designed", 11})) << "none fits: the designed one";
}

}  // namespace
}  // namespace ranta2kv
