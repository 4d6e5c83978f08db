// Tests of the windows' geometry rules: the place of the window on a screen's
// work area, and the anchored place of a control when the window is resized.
#include <gtest/gtest.h>

#include "app/form_design.h"
#include "app/window_geometry.h"

namespace ranta2kv {
namespace {

constexpr ScreenRect kDesigned{436, 449, 353, 393};

TEST(FittedWindowRectTest, DesignedPlaceWhereTheWindowFits) {
  EXPECT_EQ(FittedWindowRect(kDesigned, {0, 0, 1920, 1040}), kDesigned);
  EXPECT_EQ(FittedWindowRect(kDesigned, {0, 0, 789, 842}), kDesigned);  // exactly
}

TEST(FittedWindowRectTest, MovedJustEnoughToFit) {
  EXPECT_EQ(FittedWindowRect(kDesigned, {0, 0, 1366, 728}), (ScreenRect{436, 335, 353, 393}));  // taskbar below
  EXPECT_EQ(FittedWindowRect(kDesigned, {0, 0, 700, 768}), (ScreenRect{347, 375, 353, 393}));
  EXPECT_EQ(FittedWindowRect(kDesigned, {0, 600, 1366, 728}), (ScreenRect{436, 600, 353, 393}));  // taskbar above
  EXPECT_EQ(FittedWindowRect(kDesigned, {1920, 0, 1024, 768}), (ScreenRect{1920, 375, 353, 393}));  // second screen
}

TEST(FittedWindowRectTest, WorkAreaSmallerThanTheWindowGivesItsSize) {
  EXPECT_EQ(FittedWindowRect({436, 449, 530, 590}, {0, 48, 800, 552}), (ScreenRect{270, 48, 530, 552}));
  EXPECT_EQ(FittedWindowRect(kDesigned, {10, 20, 300, 200}), (ScreenRect{10, 20, 300, 200}));
}

// A window shrunk to a small work area keeps Start, Stop and the bar inside it.
TEST(AnchoredRectTest, ButtonsAndBarStayInsideAShrunkWindow) {
  const ClientSize client{300, 200};
  for (FormControl control : {FormControl::sbStart, FormControl::sbStop, FormControl::ProgressBar1}) {
    const ControlDesign& design = DesignOf(control);
    const ControlRect placed = AnchoredRect(design.designed, kDesignedClient, client, design.anchors);
    EXPECT_GE(placed.x, 0) << design.name;
    EXPECT_LE(placed.x + placed.width, client.width) << design.name;
    EXPECT_LE(placed.y + placed.height, client.height) << design.name;
  }
}

}  // namespace
}  // namespace ranta2kv
