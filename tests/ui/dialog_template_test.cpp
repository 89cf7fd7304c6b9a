// The shared window table, the code-page conversion of its texts and the
// dialog template generated from it.
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "protocol/messages.h"
#include "protocol/options.h"
#include "ui/dialog_template.h"
#include "ui/main_window_table.h"

namespace tapix {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(DialogTemplateTest, CommittedResourceScriptIsWhatTheTableGives) {
  const std::string committed = ReadFile(TAPIX_SOURCE_DIR "/resources/main_window.rc");
  ASSERT_FALSE(committed.empty()) << "resources/main_window.rc missing";
  EXPECT_EQ(committed, MainWindowRc())
      << "the control table changed: run scripts/make-dialog-rc and commit the result";
}

TEST(DialogTemplateTest, ControlLinesCarryClassStyleAndPlace) {
  const std::string rc = MainWindowRc();
  EXPECT_NE(rc.find("101 DIALOGEX 0, 0, 234, 307\nSTYLE 0x90CA0AC0\n"
                    "CAPTION \"Tapix Ventrix Test\"\nFONT 8, \"MS Sans Serif\"\n"),
            std::string::npos);
  // A picture names its bitmap resource; an anonymous control is -1; the
  // title keeps its line feed; umlauts are code page 1252 bytes.
  EXPECT_NE(rc.find("CONTROL 102, 1052, \"Static\", 0x5000190E, 9, 4, 2, 2\n"), std::string::npos);
  EXPECT_NE(rc.find("CONTROL \"\", -1, \"Static\", 0x50001007, 0, 30, 233, 2\n"), std::string::npos);
  EXPECT_NE(rc.find("CONTROL \" 'Ventrix'\\n Test und Simulation\", 1050, \"Static\", 0x50020101,"),
            std::string::npos);
  EXPECT_NE(rc.find("CONTROL \"Pr\\374fsumme\", 1001, \"Button\", 0x50010003, 6, 58, 51, 10\n"),
            std::string::npos);
  EXPECT_NE(rc.find("CONTROL \"\", 1039, \"Edit\", 0x50812080, 36, 183, 24, 12\n"), std::string::npos);
  EXPECT_NE(rc.find("CONTROL \"\", 1101, \"ComboBox\", 0x50210002, 5, 261, 45, 60\n"),
            std::string::npos);
  EXPECT_NE(rc.find("CONTROL \"Beenden\", 1, \"Button\", 0x50010000, 186, 287, 39, 14\n"),
            std::string::npos);
  std::size_t count = 0;
  for (std::size_t at = rc.find("CONTROL "); at != std::string::npos; at = rc.find("CONTROL ", at + 1)) {
    ++count;
  }
  EXPECT_EQ(count, 77u);
}

TEST(DialogTemplateTest, TextsBecomeCodePage1252AndSafeLiterals) {
  EXPECT_EQ(ToCodePage1252("Prüfsumme"), "Pr\xFC" "fsumme");
  EXPECT_EQ(ToCodePage1252("Übertragung Löschen Stückzahl"),
            "\xDC" "bertragung L\xF6" "schen St\xFC" "ckzahl");
  // Characters outside the code page, stray and cut-off bytes: one '?' each,
  // and nothing after them is lost.
  EXPECT_EQ(ToCodePage1252("a\xE2\x82\xAC" "b"), "a?b");  // the euro sign's 3-byte form
  EXPECT_EQ(ToCodePage1252("a\x80" "b"), "a?b");
  EXPECT_EQ(ToCodePage1252("a\xC3"), "a?");
  EXPECT_EQ(ToCodePage1252("\xC2\x85"), "?");  // a C1 control
  EXPECT_EQ(RcString("say \"hi\"\\ \x01"), "\"say \"\"hi\"\"\\\\ \\001\"");
}

TEST(DialogTemplateTest, TableIdsAndTipsAgree) {
  std::set<int> ids;
  for (const ControlSpec& c : kMainWindowControls) {
    if (c.id != kAnonymousId) {
      EXPECT_TRUE(ids.insert(c.id).second) << "ID twice: " << c.id;
    }
    if (c.kind == ControlKind::Picture) {
      EXPECT_TRUE(c.bitmap == 102 || c.bitmap == 104);
    } else {
      EXPECT_NE(c.caption, nullptr) << c.id;
    }
  }
  EXPECT_EQ(ids.size(), 52u);
  std::set<int> tipped;
  for (const ToolText& tip : kControlTips) {
    EXPECT_TRUE(ids.count(tip.id)) << "tip for a control that does not exist: " << tip.id;
    EXPECT_TRUE(tipped.insert(tip.id).second) << "two tips for " << tip.id;
  }
  for (int id : kInfoTipIds) {
    EXPECT_TRUE(ids.count(id));
    EXPECT_FALSE(tipped.count(id)) << "in both tip sets: " << id;
    EXPECT_NE(InfoTipText(id), nullptr);
  }
  // Every control with an ID has a tip in one set or the other.
  EXPECT_EQ(tipped.size() + kInfoTipIds.size(), ids.size());
}

// The window and the protocol's tables name the same controls: each option's
// box with its caption, each message's button with its tip, each field as a
// number field or (a flag) a box. A row changed on one side only fails here.
TEST(DialogTemplateTest, TheWindowShowsWhatTheMessageTableAndTheOptionListSay) {
  const auto control = [](int id) -> const ControlSpec* {
    for (const ControlSpec& c : kMainWindowControls)
      if (c.id == id) return &c;
    return nullptr;
  };
  const auto tip = [](int id) -> std::string {
    for (const ToolText& t : kControlTips)
      if (t.id == id) return ToCodePage1252(t.text);
    return "";
  };
  for (const OptionSpec& o : kOptionList) {
    const ControlSpec* box = control(o.box);
    ASSERT_NE(box, nullptr) << o.name;
    EXPECT_EQ(box->kind, ControlKind::Box) << o.name;
    EXPECT_EQ(ToCodePage1252(box->caption), o.caption) << o.name;
  }
  int buttons = 0;
  for (const MessageSpec& m : kMessages) {
    if (m.button) {
      ++buttons;
      const ControlSpec* button = control(m.button);
      ASSERT_NE(button, nullptr) << m.name;
      EXPECT_EQ(button->kind, ControlKind::Button) << m.name;
      EXPECT_EQ(std::string(button->caption), std::string("&") + m.first) << m.name;
      EXPECT_EQ(tip(m.button), m.meaning) << m.name;
    }
    for (const FieldSpec& f : m.Fields()) {
      const ControlSpec* field = control(f.control);
      ASSERT_NE(field, nullptr) << m.name << " " << f.name;
      EXPECT_EQ(field->kind, f.IsFlag() ? ControlKind::Box : ControlKind::Field) << f.control;
    }
  }
  EXPECT_EQ(buttons, 11);
}

}  // namespace
}  // namespace tapix
