// A main window on a session with a recording console and no port.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "fake_console.h"
#include "fake_device.h"
#include "serial/port_settings.h"
#include "ui/qt/main_window.h"

namespace tapix {

struct WindowTest : ::testing::Test {
  void SetUp() override {
    SetDefaults(session.settings);
    session.console = &console;
    window = std::make_unique<MainWindow>(session);
  }
  void TearDown() override { window.reset(); }

  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window->Control(id)); }
  QCheckBox* Box(int id) { return qobject_cast<QCheckBox*>(window->Control(id)); }
  QLineEdit* Field(int id) { return qobject_cast<QLineEdit*>(window->Control(id)); }

  // Types into a field as the operator would.
  void Type(int id, const char* text) {
    QLineEdit* field = Field(id);
    field->clear();
    QTest::keyClicks(field, QString::fromUtf8(text));
  }
  void Tick(int id) { QTest::mouseClick(Box(id), Qt::LeftButton); }

  // The queued request, "" when none waits.
  std::string Pending() const {
    return session.pending.SendPending ? std::string(session.pending.text) : std::string();
  }
  void ClearPending() { session.pending.SendPending = 0; }

  // Shows the window and makes it the active one, as access keys need.
  void ShowActive() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  testing::CaptureConsole console;
  Session session;
  std::unique_ptr<MainWindow> window;
};

}  // namespace tapix
