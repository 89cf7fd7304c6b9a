// The log window: what the console shows, in the window, from the start on.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include <QApplication>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "log/log_history.h"
#include "app/startup.h"
#include "fake_console.h"
#include "ui/front_ends.h"
#include "ui/qt/log_window.h"
#include "ui/qt/main_window.h"

namespace tapix {
namespace {

TEST(LogWindow, ShowsWhatCameBeforeItAndFollowsAlong) {
  testing::CaptureConsole out;
  LogHistory history(out);
  history.Log("CreateFile (COM3) failed with error 16 - Device or resource busy\n\n");
  LogWindow log(&history);
  EXPECT_EQ(log.windowTitle(), QStringLiteral("Tapix Protokoll"));
  EXPECT_TRUE(log.isReadOnly());
  history.Log("Gegenstelle ung\xFCltig\n");
  history.Echo('A');
  EXPECT_EQ(log.toPlainText(),
            QString::fromUtf8("CreateFile (COM3) failed with error 16 - Device or resource busy\n\n"
                              "Gegenstelle ungültig\nA"));
}

TEST(LogWindow, EveryByteStaysRecognisable) {
  EXPECT_EQ(FromCodePage1252("ung\xFCltig \x80\x9F"), QString::fromUtf8("ungültig €Ÿ"));
  // Control bytes from the line never act on the text; undefined bytes show their code.
  EXPECT_EQ(FromCodePage1252(std::string_view("\x1B[2J\0\r\x7F\x81\t\n", 10)),
            QString::fromUtf8("␛[2J␀␍␡<81>\t\n"));
}

// A line with its meaning (--explain) or a run of hex is long: it wraps at
// the window's edge and never needs the scroll bar at the bottom; the shaded
// background of every other line keeps a wrapped line together.
TEST(LogWindow, LongLinesWrapAndEveryOtherLineIsShaded) {
  LogWindow log(nullptr);
  log.resize(420, 300);
  log.show();
  log.Append("[12:00:00.000] Kasse > ISB: Q00050330345 Kellnerkreditfreigabe: St\xFC" "ckzahl 5, "
             "Kellner 33, PLU 345, nach 14 ms; " + std::string(120, 'F') + "\n");
  log.Append("[12:00:00.014] ISB > Kasse: R\n");
  QApplication::processEvents();
  EXPECT_EQ(log.horizontalScrollBar()->maximum(), 0);
  const QTextBlock first = log.document()->firstBlock();
  EXPECT_GE(first.layout()->lineCount(), 3);
  EXPECT_EQ(first.next().layout()->lineCount(), 1);
  EXPECT_NE(first.blockFormat().background(), first.next().blockFormat().background());
  EXPECT_EQ(first.blockFormat().background(), first.next().next().blockFormat().background());
}

TEST(LogWindow, KeepsTheLastFewHundredLinesAndFollowsThemUnlessScrolledBack) {
  LogWindow log(nullptr);
  log.resize(420, 200);
  log.show();
  for (int i = 0; i < 3 * kLogWindowLines; ++i) log.Append("Zeile " + std::to_string(i) + "\n");
  QApplication::processEvents();
  EXPECT_LE(log.document()->blockCount(), kLogWindowLines + 1);
  const QString shown = log.toPlainText();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("Zeile 1499\n")));
  EXPECT_FALSE(shown.contains(QStringLiteral("Zeile 999\n")));
  QScrollBar* bar = log.verticalScrollBar();
  EXPECT_EQ(bar->value(), bar->maximum());  // it followed
  bar->setValue(bar->maximum() / 2);       // the operator scrolls back to read
  const int reading = bar->value();
  log.Append("neu\n");
  QApplication::processEvents();
  EXPECT_EQ(bar->value(), reading);
}

// The direction of each tap line, the writes, the words of a fault and a
// hint have colours of their own; a stamp (with or without the date) is grey.
TEST(LogWindow, DirectionsWritesFaultsAndHintsStandOut) {
  using Spans = std::vector<LogSpan>;
  const auto roles = [](const QString& line, bool start = true) {
    std::vector<std::pair<QString, LogRole>> found;
    for (const LogSpan& span : StyleLogText(line, start))
      found.emplace_back(line.mid(span.start, span.length), span.role);
    return found;
  };
  using R = std::vector<std::pair<QString, LogRole>>;
  EXPECT_EQ(roles(QStringLiteral("[09:41:05.311] Kasse > ISB: A00 timeout")),
            (R{{"[09:41:05.311] ", LogRole::Stamp},
               {"Kasse > ISB:", LogRole::FromRegister},
               {" timeout", LogRole::Fault}}));
  EXPECT_EQ(roles(QStringLiteral("[08.12.2026 09:41:05.311] ISB > Kasse: A005x Fehler Chksumme (t)")),
            (R{{"[08.12.2026 09:41:05.311] ", LogRole::Stamp},
               {"ISB > Kasse:", LogRole::FromDispenser},
               {"Fehler Chksumme", LogRole::Fault}}));
  EXPECT_EQ(roles(QStringLiteral("Hinweis: Der Verkehr passt zu Pr\u00FCfsumme an")),
            (R{{"Hinweis:", LogRole::Hint}}));
  // A bracket in the middle of a line (the echo went first) is no stamp.
  EXPECT_EQ(roles(QStringLiteral("[09:41:05.311] gesendet: R"), false),
            (R{{"gesendet:", LogRole::Sent}}));
  EXPECT_EQ(StyleLogText(u"A005", true).size(), Spans().size());

  LogWindow log(nullptr);
  log.Append("[09:41:05.311] ISB > Kasse: \xB5 (B5) unerwartet\n");
  QTextCursor at(log.document());
  at.setPosition(20);  // inside the marker
  EXPECT_EQ(at.charFormat().foreground().color(), LogWindow::RoleColour(LogRole::FromDispenser));
  at.setPosition(5);
  EXPECT_EQ(at.charFormat().foreground().color(), LogWindow::RoleColour(LogRole::Stamp));
  EXPECT_EQ(log.toPlainText(), QString::fromUtf8("[09:41:05.311] ISB > Kasse: µ (B5) unerwartet\n"));
}

TEST(LogWindow, CanBeMadeAsLargeAsTheScreen) {
  LogWindow log(nullptr);
  EXPECT_TRUE(log.windowFlags() & Qt::WindowMaximizeButtonHint);
  log.show();
  log.resize(1200, 900);
  QApplication::processEvents();
  EXPECT_EQ(log.size(), QSize(1200, 900));
  EXPECT_EQ(log.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST(LogWindow, ClosingItEndsTheRunLikeBeenden) {
  LogWindow log(nullptr);
  bool asked = false;
  QObject::connect(&log, &LogWindow::closeRequested, [&asked] { asked = true; });
  log.show();
  log.close();
  EXPECT_TRUE(asked);
}

// The real start-up with the window: a port that cannot be opened.
TEST(LogWindow, AFailedOpenAtStartShowsInTheWindow) {
  char dir[] = "/tmp/tapix-ui-log-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  ::setenv("XDG_CONFIG_HOME", dir, 1);
  int argc = 1;
  char name[] = "tapix";
  char* argv[] = {name, nullptr};
  std::unique_ptr<FrontEnd> front_end = MakeQtFrontEnd(argc, argv);
  ASSERT_TRUE(front_end);

  StartOptions options;
  options.line_argument = "/dev/tapix-no-such-device,9600,N,8,1";
  QString shown;
  bool main_window_up = false;
  QTimer::singleShot(300, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* log = qobject_cast<LogWindow*>(top); log && log->isVisible()) shown = log->toPlainText();
      if (auto* window = qobject_cast<MainWindow*>(top); window && window->isVisible()) {
        main_window_up = true;
        window->Exit();
      }
    }
  });
  EXPECT_EQ(RunProgram(options, *front_end), 0);
  EXPECT_TRUE(main_window_up);
  EXPECT_TRUE(shown.contains(QStringLiteral("'Ventrix' Test und Simulation"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QRegularExpression(
      QStringLiteral("CreateFile \\(COM\\d+\\) failed with error 2 - "))))
      << shown.toStdString();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tapix
