#include "app/port_choices.h"

#include <gtest/gtest.h>

#include "app/memory_panel.h"
#include "serial/port_map.h"
#include "serial/present_ports.h"
#include "numbered_ports.h"

namespace tapix {
namespace {

std::vector<std::string> Texts(const MemoryPanel& panel) {
  std::vector<std::string> texts;
  for (const auto& e : panel.ComboEntries()) texts.push_back(e.text);
  return texts;
}

class PortChoicesTest : public ::testing::Test {
 protected:
  void SetUp() override { list_.Bind(&panel_); }
  MemoryPanel panel_;
  PortChoices list_;
};

TEST_F(PortChoicesTest, AscendingEntriesAfterTheEmptyOne) {
  list_.Fill(3, testing::NumberedPorts({3, 1, 12}));
  const std::vector<std::string> expected = {"", "COM1", "COM3", "COM12"};
  EXPECT_EQ(Texts(panel_), expected);
  EXPECT_EQ(panel_.ComboSelection(), 2);
  EXPECT_EQ(list_.SelectedPort(), 3u);
  EXPECT_EQ(list_.PortAt(1), 1u);
  EXPECT_EQ(list_.PortAt(2), 3u);
  EXPECT_EQ(list_.PortAt(3), 12u);
  EXPECT_EQ(list_.PortAt(0), 0u);
  EXPECT_EQ(list_.PortAt(4), 0u);
  EXPECT_EQ(list_.PortAt(-1), 0u);
  EXPECT_EQ(list_.PortAt(33), 0u);
}

TEST_F(PortChoicesTest, NumbersOutsideOneToThirtyTwoAreNotOffered) {
  list_.Fill(33, testing::NumberedPorts({0, 1, 32, 33, 1000}));
  const std::vector<std::string> expected = {"", "COM1", "COM32"};
  EXPECT_EQ(Texts(panel_), expected);
  EXPECT_EQ(panel_.ComboSelection(), -1);
  EXPECT_EQ(list_.SelectedPort(), 0u);
}

TEST_F(PortChoicesTest, AllThirtyTwo) {
  std::vector<PresentPort> all;
  for (std::uint32_t p = 32; p >= 1; --p) all.push_back({p, {}, {}});  // any order
  list_.Fill(32, all);
  EXPECT_EQ(panel_.ComboEntries().size(), 33u);
  EXPECT_EQ(panel_.ComboSelection(), 32);
  EXPECT_EQ(list_.PortAt(32), 32u);
}

TEST_F(PortChoicesTest, WantedPortAbsentOrNoPorts) {
  list_.Fill(2, testing::NumberedPorts({1, 3}));
  EXPECT_EQ(panel_.ComboSelection(), -1);
  EXPECT_EQ(list_.SelectedPort(), 0u);
  list_.Bind(&panel_);
  list_.Fill(1, testing::NumberedPorts({}));
  EXPECT_EQ(Texts(panel_), std::vector<std::string>{""});
  EXPECT_EQ(list_.PortAt(1), 0u);
}

TEST_F(PortChoicesTest, EmptyEntrySelectedMeansNoPort) {
  list_.Fill(1, testing::NumberedPorts({1}));
  panel_.ComboSelect(0);
  EXPECT_EQ(list_.SelectedPort(), 0u);
}

TEST_F(PortChoicesTest, RefillKeepsEntriesAndTableInStep) {
  list_.Fill(1, testing::NumberedPorts({1, 2, 3}));
  list_.Fill(5, testing::NumberedPorts({5}));
  const std::vector<std::string> expected = {"", "COM5"};
  EXPECT_EQ(Texts(panel_), expected);
  EXPECT_EQ(list_.PortAt(1), 5u);
  EXPECT_EQ(list_.PortAt(2), 0u);
}

TEST_F(PortChoicesTest, BindEmptiesTheTable) {
  list_.Fill(1, testing::NumberedPorts({4}));
  MemoryPanel other;
  list_.Bind(&other);
  EXPECT_EQ(list_.PortAt(1), 0u);
}

TEST(PortChoices, UnboundListSelectsNothing) {
  PortChoices list;
  list.Fill(1, testing::NumberedPorts({1}));
  EXPECT_EQ(list.SelectedPort(), 0u);
}

TEST(PortChoices, FillsFromThePortMapWithTheDevices) {
  PortMap& map = ProcessPortMap();
  const PortMap saved = map;
  map = PortMap();
  map.SetPresent({"/dev/null", "/dev/ttyUSB97", "/dev/null"});  // named twice: once
  map.SetExplicit(12, "/dev/ttyACM0");
  map.SetExplicit(40, "/dev/ttyACM1");
  map.SetRunEntry(5, "virtual:/dev/pts/7");
  MemoryPanel panel;
  PortChoices list;
  list.Bind(&panel);
  list.Fill(12);
  map = saved;
  const auto& e = panel.ComboEntries();
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[1].text, "COM1");
  EXPECT_EQ(e[1].detail, "/dev/null") << "nothing known behind it";
  EXPECT_EQ(e[2].text, "COM2");
  EXPECT_EQ(e[2].detail, "/dev/ttyUSB97 (nicht angeschlossen)");
  EXPECT_EQ(e[3].text, "COM5");
  EXPECT_EQ(e[3].detail, "/dev/pts/7 (virtuelle Leitung)");
  EXPECT_EQ(e[4].text, "COM12");
  EXPECT_EQ(e[4].detail, "/dev/ttyACM0 (nicht angeschlossen)");
  EXPECT_EQ(panel.ComboSelection(), 4);
}

}  // namespace
}  // namespace tapix
