// The log window: what the console shows, in the window, from the start on.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include <QApplication>
#include <QRegularExpression>
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
