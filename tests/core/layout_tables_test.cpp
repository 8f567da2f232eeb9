// The window layout tables that both front ends build their windows from.

#include <gtest/gtest.h>

#include <set>
#include <ostream>
#include <string>
#include <string_view>

#include "app/MainLayout.h"
#include "dialogs/DialogLayouts.h"
#include "ui/Layout.h"

namespace qm {
namespace {

struct NameRow {
  std::string_view label;
  std::string_view name;
  int index;
  std::string_view expected;
};

// Test output names the row instead of dumping its bytes.
void PrintTo(const NameRow& row, std::ostream* os) { *os << row.label; }

class ObjectNameTest : public testing::TestWithParam<NameRow> {};

TEST_P(ObjectNameTest, AppendsTheArrayIndex) {
  const NameRow& row = GetParam();
  ControlSpec control{row.name, row.index, ControlKind::PushButton, "", "", 0, 0, 0, 0, kNoTab};
  EXPECT_EQ(ObjectName(control), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ObjectNameTest,
    testing::Values(NameRow{"Single", "MainGrid", kNoIndex, "MainGrid"},
                    NameRow{"ArrayIndexZero", "btnAggiungi", 0, "btnAggiungi_0"},
                    NameRow{"ArrayIndexTwo", "btnAggiungi", 2, "btnAggiungi_2"},
                    NameRow{"NonContiguousIndex", "imgWeb", 3, "imgWeb_3"},
                    NameRow{"TwoDigitIndex", "lblInt", 12, "lblInt_12"}),
    [](const testing::TestParamInfo<NameRow>& info) { return std::string(info.param.label); });

struct WindowRow {
  std::string_view name;
  const WindowSpec& (*layout)();
};

void PrintTo(const WindowRow& row, std::ostream* os) { *os << row.name; }

class WindowLayoutTest : public testing::TestWithParam<WindowRow> {};

TEST_P(WindowLayoutTest, EveryContainerIsAFrameOfTheSameWindow) {
  const WindowSpec& window = GetParam().layout();
  for (const ControlSpec& control : window.controls) {
    if (control.container.empty()) continue;
    const ControlSpec* container = window.Find(control.container);
    ASSERT_NE(container, nullptr) << ObjectName(control) << " in " << control.container;
    EXPECT_EQ(container->kind, ControlKind::Frame) << ObjectName(control);
    EXPECT_TRUE(container->container.empty()) << "frames sit on the client area";
  }
}

TEST_P(WindowLayoutTest, EveryControlFitsInsideItsContainer) {
  const WindowSpec& window = GetParam().layout();
  for (const ControlSpec& control : window.controls) {
    int width = window.clientWidth;
    int height = window.clientHeight;
    if (!control.container.empty()) {
      const ControlSpec* container = window.Find(control.container);
      ASSERT_NE(container, nullptr);
      width = container->width;
      height = container->height;
    }
    EXPECT_GE(control.left, 0) << ObjectName(control);
    EXPECT_GE(control.top, 0) << ObjectName(control);
    EXPECT_LE(control.left + control.width, width) << ObjectName(control);
    EXPECT_LE(control.top + control.height, height) << ObjectName(control);
  }
}

TEST_P(WindowLayoutTest, TabIndicesAndObjectNamesAreUnique) {
  const WindowSpec& window = GetParam().layout();
  std::set<int> tabs;
  std::set<std::string> names;
  for (const ControlSpec& control : window.controls) {
    if (control.tabIndex != kNoTab) {
      EXPECT_TRUE(tabs.insert(control.tabIndex).second)
          << ObjectName(control) << " repeats tab index " << control.tabIndex;
    }
    EXPECT_TRUE(names.insert(ObjectName(control)).second) << ObjectName(control) << " twice";
  }
}

TEST_P(WindowLayoutTest, FindReturnsEachControlByNameAndIndexOnly) {
  const WindowSpec& window = GetParam().layout();
  for (const ControlSpec& control : window.controls) {
    EXPECT_EQ(window.Find(control.name, control.index), &control) << ObjectName(control);
    EXPECT_EQ(window.Find(control.name, control.index + 100), nullptr) << ObjectName(control);
  }
  EXPECT_EQ(window.Find("noSuchControl"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowLayoutTest,
    testing::Values(WindowRow{"Main", &MainWindowLayout}, WindowRow{"SetChs", &SetChsLayout},
                    WindowRow{"Info", &InfoLayout}),
    [](const testing::TestParamInfo<WindowRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm
