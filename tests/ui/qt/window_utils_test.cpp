// The window utilities: tooltips, bold captions, link labels, dialog units,
// the pictures and cursors of our own, and the display check.
#include <gtest/gtest.h>

#include <map>

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/control_ids.h"
#include "ui/qt/app_resources.h"
#include "ui/qt/bold_caption.h"
#include "ui/qt/control_lookup.h"
#include "ui/qt/dialog_units.h"
#include "platform/display.h"
#include "ui/qt/hyperlink_label.h"
#include "window_fixture.h"

namespace tapix {
namespace {

// The fixed tips as the operator must read them, in the order added.
const std::pair<int, const char*> kExpectedTips[] = {
    {1048, "Senden sie eine e-mail an Brixner"},
    {1049, "Besuchen sie die WEB-Site von Brixner"},
    {1101, "Serielle Schnittstelle Nummer auswählen"},
    {1000, "Schnittstellenparameter (COM-Port) einstellen"},
    {1, "Tapix Test beenden"},
    {1047, "Allgemeine Einstellungen der Übertragung"},
    {1001, "Nachrichten mit Prüfsumme senden und bei Empfang prüfen"},
    {1002, "Kellnernummern 3 stellig senden"},
    {1021, "Kreditdatensätze enthalten die Stückzahl"},
    {1042, "eingehende Datensätze automatisch beantworten"},
    {1046, "Einstellungen zur Simulation der Schankanlage"},
    {1039, "Kellnernummer"},
    {1040, "PLU Nummer"},
    {1041, "Tischnummer"},
    {1043, "sende Entnahmedaten bei nächster Abfrage"},
    {1044, "beantworte Nachrichten mit R=OK"},
    {1045, "Einstellungen zur Simulation einer Kasse"},
    {1007, "Datensatz abfragen"},
    {1009, "Datensatz automatisch alle 0,5 Sekunden abfragen"},
    {1006, "Freigabe eines Kellners"},
    {1008, "Kellnernummer"},
    {1010, "Sperre eines Kellners"},
    {1011, "Kellnernummer"},
    {1012, "An/Abmeldung eines Kellners"},
    {1013, "Kellnernummer"},
    {1014, "Check = Abmelden"},
    {1015, "Kellnerbezogene Tischfreigabe/sperre"},
    {1016, "Kellnernummer"},
    {1018, "Tischnummer"},
    {1017, "Check = Freigabe"},
    {1019, "Löschen eines Kellnerumsatzes 000=alle Kellner"},
    {1020, "Kellnernummer"},
    {1022, "Freigabe Kredit"},
    {1023, "Stückzahl"},
    {1024, "PLU Nummer"},
    {1025, "Storno Kredit"},
    {1026, "Stückzahl"},
    {1027, "PLU Nummer"},
    {1028, "Freigabe kellnerbezogener Kredit"},
    {1029, "Stückzahl"},
    {1031, "Kellnernummer"},
    {1030, "PLU Nummer"},
    {1032, "Storno kellnerbezogener Kredit"},
    {1033, "Stückzahl"},
    {1035, "Kellnernummer"},
    {1034, "PLU Nummer"},
    {1036, "Tischbelegung"},
    {1037, "Tischnummer"},
    {1038, "Kellnernummer"},
};

TEST_F(WindowTest, EveryControlTipHasItsExactText) {
  const std::vector<QWidget*> tools = window->ControlTips().Tools();
  ASSERT_EQ(tools.size(), std::size(kExpectedTips));
  for (std::size_t i = 0; i < tools.size(); ++i) {
    const auto& [id, text] = kExpectedTips[i];
    SCOPED_TRACE(id);
    EXPECT_EQ(tools[i], window->Control(id));
    EXPECT_EQ(window->ControlTips().TipText(window->Control(id)), QString::fromUtf8(text));
  }
  EXPECT_FALSE(window->ControlTips().IsBalloon());
  // Anonymous labels and lines have none.
  for (QWidget* control : window->Controls()) {
    if (ControlId(control) == 0) {
      EXPECT_TRUE(window->ControlTips().TipText(control).isEmpty());
    }
  }
}

TEST_F(WindowTest, AHoveredControlShowsItsTip) {
  window->show();
  QWidget* exit = window->Control(ctl::Exit);
  QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), exit->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(exit, &hover);
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Tapix Test beenden"));
  QToolTip::hideText();
}

TEST_F(WindowTest, InfoTipsAreMultiLineBalloonsAskedForOnDemand) {
  TooltipSet& info = window->InfoTips();
  EXPECT_TRUE(info.IsBalloon());
  const std::vector<QWidget*> tools = info.Tools();
  ASSERT_EQ(tools.size(), 3u);
  EXPECT_EQ(tools[0], window->Control(ctl::ProgramPicture));
  EXPECT_EQ(tools[1], window->Control(ctl::MakerPicture));
  EXPECT_EQ(tools[2], window->Control(ctl::TitleCaption));
  EXPECT_EQ(info.TipText(window->Control(ctl::MakerPicture)),
            QStringLiteral("Ing. Brixner\nSoftwareengineering\n"
                           "Entwicklung kundenspezifischer Softwarelösungen"));
  const QString program = info.TipText(window->Control(ctl::ProgramPicture));
  EXPECT_TRUE(program.startsWith(QStringLiteral("Ventrix Test\nImplementierung nach\n")));
  EXPECT_TRUE(program.contains(QStringLiteral("ISB")));
  EXPECT_TRUE(program.endsWith(QStringLiteral("6.7.2000")));
  EXPECT_EQ(program.count('\n'), 2);
  EXPECT_FALSE(info.TipText(window->Control(ctl::TitleCaption)).isEmpty());
  // The info set has no fixed tools, and the fixed set none of these three.
  EXPECT_TRUE(window->ControlTips().TipText(window->Control(ctl::MakerPicture)).isEmpty());
}

TEST(TooltipSetTest, AsksForTheTextEachTimeTheTipShows) {
  QWidget owner;
  QLabel* control = new QLabel(&owner);
  int asked = 0;
  const char* answer = "eins\r\nzwei";
  TooltipSet tips;
  EXPECT_FALSE(tips.AddTool(control, "x"));  // not created yet
  tips.Create(&owner, false, [&](QWidget*) {
    ++asked;
    return answer;
  });
  ASSERT_TRUE(tips.AddTool(control, nullptr));
  EXPECT_EQ(tips.TipText(control), QStringLiteral("eins\nzwei"));
  answer = "drei";
  EXPECT_EQ(tips.TipText(control), QStringLiteral("drei"));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(tips.TipText(&owner).isEmpty());
}

TEST_F(WindowTest, CaptionsAreBoldCopiesOfTheWindowFont) {
  const int ids[] = {ctl::TitleCaption, ctl::GeneralCaption, ctl::HostCaption, ctl::IsbCaption};
  for (std::size_t i = 0; i < std::size(ids); ++i) {
    const QFont font = window->Control(ids[i])->font();
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(font.family(), window->font().family());
    EXPECT_EQ(font.pointSizeF(), window->font().pointSizeF());
    EXPECT_EQ(window->BoldCaptions()[i].control(), window->Control(ids[i]));
  }
  EXPECT_NE(window->Control(ctl::Checksum)->font().weight(), QFont::Bold);
}

TEST(BoldCaptionTest, GivesTheDefaultFontBackOnlyWhileTheControlExists) {
  QWidget dialog;
  auto* label = new QLabel(QStringLiteral("HOST - Mode:"), &dialog);
  SetControlId(label, 1045);
  QFont eight(QStringLiteral("Sans Serif"), 8);
  label->setFont(eight);
  {
    BoldCaption caption;
    caption.Create(&dialog, 1045);
    ASSERT_TRUE(caption.font().has_value());
    EXPECT_EQ(label->font().weight(), QFont::Bold);
    EXPECT_EQ(label->font().pointSizeF(), 8.0);
  }
  EXPECT_EQ(label->font(), QApplication::font());

  auto* gone = new QLabel(&dialog);
  SetControlId(gone, 1046);
  auto caption = std::make_unique<BoldCaption>();
  caption->Create(&dialog, 1046);
  delete gone;
  caption.reset();  // only the font goes

  BoldCaption missing;
  missing.Create(&dialog, 4711);
  EXPECT_FALSE(missing.font().has_value());
  EXPECT_EQ(missing.control(), nullptr);
}

TEST_F(WindowTest, LinksPointAtTheMakerWithTheirCursors) {
  HyperlinkLabel& mail = window->MailLink();
  HyperlinkLabel& web = window->WebLink();
  EXPECT_EQ(mail.target(), "mailto:office@brixner.example");
  EXPECT_EQ(mail.text(), "office@brixner.example");
  EXPECT_STREQ(mail.cursor_name(), "CURSOR_MAILHAND");
  EXPECT_EQ(web.target(), "https://www.brixner.example/");
  EXPECT_EQ(web.text(), "www.brixner.example");
  EXPECT_STREQ(web.cursor_name(), "CURSOR_WWWHAND");
  EXPECT_TRUE(mail.label()->font().underline());
  EXPECT_EQ(mail.label()->cursor().hotSpot(), QPoint(6, 1));
  EXPECT_EQ(web.label()->cursor().hotSpot(), QPoint(6, 2));
  EXPECT_EQ(mail.colour(), QColor(0, 0, 255));
}

struct LinkTest : ::testing::Test {
  LinkTest() {
    label = new QLabel(QStringLiteral("eigener Text"), &dialog);
    SetControlId(label, 1048);
    dialog.resize(200, 40);
    label->setGeometry(0, 0, 200, 20);
  }
  void Click(Qt::MouseButton button, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(label, &event);
  }
  QWidget dialog;
  QLabel* label;
  HyperlinkLabel link;
};

TEST_F(LinkTest, TheCursorFollowsTheExactCaseOfMailto) {
  ASSERT_TRUE(link.Attach(&dialog, 1048));
  link.SetLink("mailto:someone@example.org", nullptr);
  EXPECT_STREQ(link.cursor_name(), "CURSOR_MAILHAND");
  link.SetLink("MAILTO:someone@example.org", nullptr);
  EXPECT_STREQ(link.cursor_name(), "CURSOR_WWWHAND");
  link.SetLink("mailto", nullptr);
  EXPECT_STREQ(link.cursor_name(), "CURSOR_WWWHAND");
  EXPECT_EQ(label->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(LinkTest, AttachAndSetLinkNeedADialogAndTheLabel) {
  EXPECT_FALSE(link.Attach(nullptr, 1048));
  EXPECT_FALSE(link.Attach(&dialog, 1049));
  EXPECT_FALSE(link.SetLink("https://x.example/", nullptr));
  ASSERT_TRUE(link.Attach(&dialog, 1048));
  // Without target or text the label's own text stands in for both.
  ASSERT_TRUE(link.SetLink(nullptr, nullptr));
  EXPECT_EQ(link.target(), "eigener Text");
  EXPECT_EQ(link.text(), "eigener Text");
}

TEST_F(LinkTest, LongTextsAreCutWithoutSplittingACharacter) {
  ASSERT_TRUE(link.Attach(&dialog, 1048));
  const std::string target = "https://" + std::string(300, 'a');
  const std::string text = std::string(254, 'x') + "\xC3\xBC" + "yz";  // "ü" at 254..255
  link.SetLink(target.c_str(), text.c_str());
  EXPECT_EQ(link.target().size(), 255u);
  EXPECT_EQ(link.text(), std::string(254, 'x'));
  EXPECT_EQ(CutUtf8("kurz", 255), "kurz");
}

TEST_F(LinkTest, AnAcceptedClickTurnsItPurpleARefusedOneKeepsItBlue) {
  ASSERT_TRUE(link.Attach(&dialog, 1048));
  link.SetLink("https://www.brixner.example/", "www.brixner.example");
  std::vector<QUrl> opened;
  bool accept = false;
  link.SetOpener([&](const QUrl& url) {
    opened.push_back(url);
    return accept;
  });
  Click(Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://www.brixner.example/")));
  EXPECT_FALSE(link.visited());
  EXPECT_EQ(link.colour(), QColor(0, 0, 255));

  // A right click, a release and a move open nothing.
  Click(Qt::RightButton);
  Click(Qt::LeftButton, QEvent::MouseButtonRelease);
  EXPECT_EQ(opened.size(), 1u);

  accept = true;
  Click(Qt::LeftButton, QEvent::MouseButtonDblClick);
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_TRUE(link.visited());
  EXPECT_EQ(link.colour(), QColor(128, 0, 128));
  accept = false;
  Click(Qt::LeftButton);
  EXPECT_TRUE(link.visited());  // stays visited
}

TEST_F(LinkTest, TheTextIsDrawnUnderlinedInTheLinkColour) {
  ASSERT_TRUE(link.Attach(&dialog, 1048));
  link.SetLink("mailto:a@b.example", "MMMMMMMM");
  link.SetLink("mailto:a@b.example", "MMMMMMMM");  // the underline is not doubled
  EXPECT_TRUE(label->font().underline());
  const QImage shot = label->grab().toImage();
  int blue = 0, other = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (c.blue() > 200 && c.red() < 90 && c.green() < 90) ++blue;
      else if (c.red() < 100 && c.green() < 100 && c.blue() < 100) ++other;  // dark, not blue
    }
  }
  EXPECT_GT(blue, 20);
  EXPECT_EQ(other, 0);
}

TEST(DialogUnitsTest, ConvertsWithQuarterAndEighthOfTheBaseUnits) {
  const DialogUnits u(6, 13);
  EXPECT_EQ(u.X(4), 6);
  EXPECT_EQ(u.X(234), 351);
  EXPECT_EQ(u.X(3), 5);    // 4.5 rounds up
  EXPECT_EQ(u.Y(307), 499);  // 498.875
  EXPECT_EQ(u.Y(8), 13);
  EXPECT_EQ(u.ToPixels(186, 287, 39, 14), QRect(279, 466, 59, 23));
  const DialogUnits from_font = DialogUnits::ForFont(QFont(QStringLiteral("Sans Serif"), 8));
  EXPECT_GT(from_font.base_x(), 2);
  EXPECT_GT(from_font.base_y(), from_font.base_x());
}

TEST(ResourcesTest, PicturesAndCursorsOfOurOwn) {
  EXPECT_EQ(Bitmap(102).size(), QSize(34, 34));
  EXPECT_EQ(Bitmap(104).size(), QSize(60, 25));
  EXPECT_TRUE(Bitmap(103).isNull());
  EXPECT_FALSE(ProgramIcon().isNull());
  const auto mail = LoadCursorResource("CURSOR_MAILHAND");
  const auto web = LoadCursorResource("CURSOR_WWWHAND");
  ASSERT_TRUE(mail && web);
  EXPECT_EQ(mail->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(mail->hotSpot(), QPoint(6, 1));
  EXPECT_EQ(web->hotSpot(), QPoint(6, 2));
  EXPECT_FALSE(LoadCursorResource("cursor_mailhand"));
  EXPECT_FALSE(LoadCursorResource(nullptr));
}

TEST(DisplayCheckTest, NeedsAPlatformOrADisplayThatAnswers) {
  std::map<std::string, std::string> env;
  const EnvReader read = [&](const char* name) {
    const auto it = env.find(name);
    return it == env.end() ? std::string() : it->second;
  };
  EXPECT_FALSE(DisplayAvailable(read));
  env["DISPLAY"] = ":4711";  // no server there
  EXPECT_FALSE(DisplayAvailable(read));
  env["DISPLAY"] = "nonsense";
  EXPECT_FALSE(DisplayAvailable(read));
  env["DISPLAY"] = "otherhost:0";  // a remote display is taken on trust
  EXPECT_TRUE(DisplayAvailable(read));
  env.clear();
  env["WAYLAND_DISPLAY"] = "wayland-4711";
  env["XDG_RUNTIME_DIR"] = "/nonexistent";
  EXPECT_FALSE(DisplayAvailable(read));
  env["QT_QPA_PLATFORM"] = "xcb";
  EXPECT_FALSE(DisplayAvailable(read));
  env["QT_QPA_PLATFORM"] = "wayland;xcb";
  EXPECT_FALSE(DisplayAvailable(read));
  env["QT_QPA_PLATFORM"] = "offscreen";
  EXPECT_TRUE(DisplayAvailable(read));
  env["QT_QPA_PLATFORM"] = "xcb;offscreen";
  EXPECT_TRUE(DisplayAvailable(read));
}

}  // namespace
}  // namespace tapix
