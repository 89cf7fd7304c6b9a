// The main window as the operator and the protocol use it: its controls and
// their places, the option boxes, the HOST buttons, access keys, the keys that
// end (or do not end) the program, the port combo box and the record answer.
#include <set>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

#include "app/control_ids.h"
#include "app/receiver.h"
#include "app/requests.h"
#include "ui/main_window_table.h"
#include "ui/qt/port_combo.h"
#include "window_fixture.h"
#include "numbered_ports.h"

namespace tapix {
namespace {

TEST_F(WindowTest, HasTheTitleAFixedSizeAndEveryControlOfTheTemplate) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Tapix Ventrix Test"));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  const DialogUnits& u = window->Units();
  EXPECT_EQ(window->width(), u.X(234));
  EXPECT_EQ(window->height(), u.Y(307));

  ASSERT_EQ(window->Controls().size(), 77u);
  std::set<int> ids;
  for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
    const ControlSpec& spec = kMainWindowControls[i];
    QWidget* control = window->Controls()[i];
    SCOPED_TRACE(::testing::Message() << "control #" << i + 1 << " id " << spec.id);
    ASSERT_NE(control, nullptr);
    if (spec.id != kAnonymousId) {
      EXPECT_TRUE(ids.insert(spec.id).second) << "ID used twice";
      EXPECT_EQ(window->Control(spec.id), control);
    }
    const QRect place = u.ToPixels(spec.x, spec.y, spec.width, spec.height);
    EXPECT_EQ(control->pos(), place.topLeft());
    switch (spec.kind) {
      case ControlKind::Picture:  // sized by its bitmap
        EXPECT_FALSE(qobject_cast<QLabel*>(control)->pixmap().isNull());
        break;
      case ControlKind::Combo:  // the closed box keeps its own height
        EXPECT_EQ(control->width(), place.width());
        break;
      default:
        EXPECT_EQ(control->size(), place.size());
    }
  }
  EXPECT_EQ(ids.size(), 52u);
  EXPECT_EQ(Button(ctl::Exit)->text(), QStringLiteral("Beenden"));
  EXPECT_EQ(Button(ctl::Configure)->text(), QStringLiteral("Einstellen ..."));
  EXPECT_EQ(qobject_cast<QLabel*>(window->Control(ctl::MailLink))->text(),
            QStringLiteral("office@brixner.example"));
  EXPECT_EQ(qobject_cast<QLabel*>(window->Control(ctl::WebLink))->text(),
            QStringLiteral("www.brixner.example"));
}

TEST_F(WindowTest, SeparatorsRunTheirWay) {
  int horizontal = 0, vertical = 0;
  for (QWidget* control : window->Controls()) {
    auto* frame = qobject_cast<QFrame*>(control);
    if (!frame || qobject_cast<QLabel*>(control)) continue;
    if (frame->frameShape() == QFrame::HLine) ++horizontal;
    if (frame->frameShape() == QFrame::VLine) ++vertical;
  }
  EXPECT_EQ(horizontal, 3);
  EXPECT_EQ(vertical, 1);
}

TEST_F(WindowTest, NoButtonIsTheDefaultAndFieldsTakeDigitsOnly) {
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->text().toStdString();
  }
  Type(ctl::FieldAWaiter, "1a2-3 ");
  EXPECT_EQ(window->FieldText(ctl::FieldAWaiter), "123");
  // The protocol side may still set any text.
  window->SetFieldText(ctl::FieldAWaiter, "-7");
  EXPECT_EQ(window->FieldText(ctl::FieldAWaiter), "-7");
  EXPECT_EQ(window->FieldText(ctl::Exit), "");  // not a field
}

TEST_F(WindowTest, BoxesStartAsTheFlagsAndEveryClickCopiesTheBox) {
  const struct {
    int id;
    std::uint32_t OptionFlags::*flag;
  } boxes[] = {
      {ctl::Checksum, &OptionFlags::Checksum},       {ctl::Waiter3, &OptionFlags::Waiter3},
      {ctl::CreditQuantity, &OptionFlags::CreditQuantity},
      {ctl::AutoAnswer, &OptionFlags::AutoAnswer},   {ctl::AnswerOk, &OptionFlags::AnswerOk},
      {ctl::AutoQuery, &OptionFlags::AutoQuery},     {ctl::SendRecord, &OptionFlags::SendRecord},
  };
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.id);
    const bool ticked = box.id == ctl::AutoAnswer || box.id == ctl::AnswerOk;
    EXPECT_EQ(Box(box.id)->isChecked(), ticked);
    EXPECT_EQ(session.options.*box.flag, ticked ? 1u : 0u);
    Tick(box.id);
    EXPECT_EQ(session.options.*box.flag, ticked ? 0u : 1u);
    Tick(box.id);
    EXPECT_EQ(session.options.*box.flag, ticked ? 1u : 0u);
  }
  EXPECT_FALSE(Box(ctl::BoxWFlag)->isChecked());
  EXPECT_FALSE(Box(ctl::BoxTFlag)->isChecked());
  // Setting a box from the protocol side runs no command.
  window->SetChecked(ctl::Checksum, true);
  EXPECT_EQ(session.options.Checksum, 0u);
  EXPECT_TRUE(window->IsChecked(ctl::Checksum));
}

TEST_F(WindowTest, HostButtonsComposeTheirRequestsFromTheFields) {
  Type(ctl::FieldAWaiter, "5");
  Button(ctl::BtnA)->click();
  EXPECT_EQ(Pending(), "A005");
  // A second press while the request waits is dropped.
  Type(ctl::FieldAWaiter, "6");
  Button(ctl::BtnA)->click();
  EXPECT_EQ(Pending(), "A005");
  ClearPending();

  Tick(ctl::Checksum);
  Type(ctl::FieldAWaiter, "5");
  Button(ctl::BtnA)->click();
  EXPECT_EQ(Pending(), "A005t");
  ClearPending();
  Tick(ctl::Checksum);

  Type(ctl::FieldWWaiter, "51");
  Tick(ctl::BoxWFlag);
  Button(ctl::BtnW)->click();
  EXPECT_EQ(Pending(), "W0511");
  ClearPending();

  Type(ctl::FieldTWaiter, "12");
  Type(ctl::FieldTTable, "45");
  Tick(ctl::BoxTFlag);
  Button(ctl::BtnT)->click();
  EXPECT_EQ(Pending(), "T0120451");
  ClearPending();

  Tick(ctl::CreditQuantity);
  Type(ctl::FieldKQuantity, "123");
  Type(ctl::FieldKPlu, "8256");
  Button(ctl::BtnK)->click();
  EXPECT_EQ(Pending(), "K00230000");
  ClearPending();

  Tick(ctl::Waiter3);
  Type(ctl::FieldAtTable, "12");
  Type(ctl::FieldAtWaiter, "123");
  Button(ctl::BtnAt)->click();
  EXPECT_EQ(Pending(), "@012123");
  ClearPending();

  Button(ctl::BtnE)->click();
  EXPECT_EQ(Pending(), "E");
  ClearPending();

  // The buttons read their own fields, not their neighbours'.
  Type(ctl::FieldBWaiter, "7");
  Type(ctl::FieldCWaiter, "8");
  Button(ctl::BtnB)->click();
  EXPECT_EQ(Pending(), "B007");
  ClearPending();
  Button(ctl::BtnC)->click();
  EXPECT_EQ(Pending(), "C008");
  ClearPending();
  Type(ctl::FieldQQuantity, "2");
  Type(ctl::FieldQWaiter, "3");
  Type(ctl::FieldQPlu, "4");
  Button(ctl::BtnQ)->click();
  EXPECT_EQ(Pending(), "Q00020030004");
  ClearPending();
  Type(ctl::FieldqQuantity, "5");
  Type(ctl::FieldqWaiter, "6");
  Type(ctl::FieldqPlu, "7");
  Button(ctl::BtnLowerQ)->click();
  EXPECT_EQ(Pending(), "q00050060007");
  ClearPending();
  Type(ctl::FieldSQuantity, "9");
  Type(ctl::FieldSPlu, "10");
  Button(ctl::BtnS)->click();
  EXPECT_EQ(Pending(), "S00090010");
}

TEST_F(WindowTest, AQueuedRequestGoesOutAtOnceOnAnOpenPort) {
  auto device = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice* line = device.get();
  session.port = std::move(device);
  Type(ctl::FieldBWaiter, "42");
  Button(ctl::BtnB)->click();
  EXPECT_EQ(line->written_, "B042");
  EXPECT_EQ(session.pending.SendPending, 0u);
}

TEST_F(WindowTest, AccessKeysPressTheirButtonsAndTellQFromq) {
  ShowActive();
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    char first;
  } keys[] = {
      {Qt::Key_E, Qt::AltModifier, 'E'},
      {Qt::Key_A, Qt::AltModifier, 'A'},
      {Qt::Key_B, Qt::AltModifier, 'B'},
      {Qt::Key_W, Qt::AltModifier, 'W'},
      {Qt::Key_T, Qt::AltModifier, 'T'},
      {Qt::Key_C, Qt::AltModifier, 'C'},
      {Qt::Key_K, Qt::AltModifier, 'K'},
      {Qt::Key_S, Qt::AltModifier, 'S'},
      {Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier, 'Q'},
      {Qt::Key_Q, Qt::AltModifier, 'q'},
      {Qt::Key_At, Qt::AltModifier, '@'},
  };
  for (const auto& k : keys) {
    SCOPED_TRACE(k.first);
    QTest::keyClick(window.get(), k.key, k.modifiers);
    // An access key presses its button visibly: the click follows from the
    // event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Pending().empty(); }));
    const std::string sent = Pending();
    EXPECT_EQ(sent[0], k.first);
    ClearPending();
  }
  EXPECT_FALSE(session.quit_requested);
}

TEST_F(WindowTest, EnterInAFieldEndsTheProgram) {
  ShowActive();
  Field(ctl::IsbPlu)->setFocus();
  QTest::keyClick(Field(ctl::IsbPlu), Qt::Key_Return);
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(WindowTest, EnterOnAFocusedButtonPressesThatButton) {
  ShowActive();
  Button(ctl::BtnE)->setFocus();
  QTest::keyClick(Button(ctl::BtnE), Qt::Key_Enter);
  EXPECT_EQ(Pending(), "E");
  EXPECT_FALSE(session.quit_requested);
}

TEST_F(WindowTest, EscapeDoesNothing) {
  ShowActive();
  Field(ctl::FieldAWaiter)->setFocus();
  QTest::keyClick(Field(ctl::FieldAWaiter), Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(session.quit_requested);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowTest, BeendenAndTheCloseButtonEndTheProgram) {
  Button(ctl::Exit)->click();
  EXPECT_TRUE(session.quit_requested);

  session.quit_requested = false;
  window->show();
  window->close();  // the close button and Alt+F4
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(WindowTest, SendeDatenIsUntickedOnceTheRecordHasGoneOut) {
  auto device = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice* line = device.get();
  session.port = std::move(device);
  Type(ctl::IsbWaiter, "7");
  Type(ctl::IsbPlu, "1234");
  Type(ctl::IsbTable, "56");
  Tick(ctl::SendRecord);
  ASSERT_EQ(session.options.SendRecord, 1u);

  session.receiver.Take(session, "E", ByteTime::Now());
  EXPECT_EQ(line->written_.substr(0, 9), "071234056");
  EXPECT_FALSE(Box(ctl::SendRecord)->isChecked());
  EXPECT_EQ(session.options.SendRecord, 0u);

  // The next query gets the record of zeros.
  line->written_.clear();
  session.receiver.Take(session, "E", ByteTime::Now());
  EXPECT_EQ(line->written_.substr(0, 9), "000000000");
}

TEST_F(WindowTest, SendeDatenStaysTickedWithoutAutomaticAnswers) {
  session.port = std::make_unique<testing::ScriptedDevice>();
  Tick(ctl::AutoAnswer);
  Tick(ctl::SendRecord);
  session.receiver.Take(session, "E", ByteTime::Now());
  EXPECT_TRUE(Box(ctl::SendRecord)->isChecked());
  EXPECT_EQ(session.options.SendRecord, 1u);
}

// Chooses an entry of the combo box in its open list, as with the mouse.
void ChooseInList(QComboBox* combo, int row) {
  combo->showPopup();
  QAbstractItemView* list = combo->view();
  list->setCurrentIndex(list->model()->index(row, 0));
  QTest::keyClick(list, Qt::Key_Return);
}

TEST_F(WindowTest, ChoosingAPortReopensItTheSameOneAndTheEmptyEntryToo) {
  session.port_choices.Fill(3, testing::NumberedPorts({1, 3, 12}));
  auto* combo = qobject_cast<QComboBox*>(window->Control(ctl::PortCombo));
  ASSERT_EQ(combo->count(), 4);
  EXPECT_EQ(combo->itemText(0), QString());
  EXPECT_EQ(combo->itemText(3), QStringLiteral("COM12"));
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(console.log_, "");  // filling opens nothing

  ChooseInList(combo, 3);
  EXPECT_EQ(session.settings.port, 12u);
  EXPECT_NE(console.log_.find("CreateFile (COM12)"), std::string::npos);

  console.log_.clear();
  ChooseInList(combo, 3);
  EXPECT_NE(console.log_.find("CreateFile (COM12)"), std::string::npos);

  ChooseInList(combo, 0);
  EXPECT_EQ(session.settings.port, 0u);
  EXPECT_NE(console.log_.find("CreateFile (COM0) failed"), std::string::npos);
  EXPECT_EQ(session.port, nullptr);
}

// The box is editable: typing, stepping with the arrow keys and leaving it
// open nothing; Enter on a text that names a port in the list reselects.
TEST_F(WindowTest, TypingInThePortBoxOpensNothingUntilAChoiceIsConfirmed) {
  session.port_choices.Fill(1, testing::NumberedPorts({1, 3, 12}));
  auto* combo = qobject_cast<PortCombo*>(window->Control(ctl::PortCombo));
  ASSERT_TRUE(combo->isEditable());
  ShowActive();
  combo->setFocus();
  auto unchanged = [&](const char* what) {
    EXPECT_EQ(console.log_, "") << what;
    EXPECT_EQ(session.settings.port, 1u) << what;
    EXPECT_EQ(combo->currentIndex(), 1) << what;
  };

  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo, QStringLiteral("com3"));
  unchanged("typing");
  EXPECT_EQ(combo->currentText(), QStringLiteral("com3"));
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentText(), QStringLiteral("COM12"));
  QTest::keyClick(combo, Qt::Key_Up);
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(combo->currentText(), QStringLiteral("COM1"));
  unchanged("arrow keys");
  QTest::keyClicks(combo, QStringLiteral("COM3"));
  Field(ctl::FieldAWaiter)->setFocus();  // leaving the box ends the edit
  unchanged("leaving the box");
  EXPECT_EQ(combo->currentText(), QStringLiteral("COM1"));

  combo->setFocus();
  for (const char* names_nothing : {"COM99", "", "x"}) {
    combo->lineEdit()->setText(QString::fromUtf8(names_nothing));
    QTest::keyClick(combo, Qt::Key_Return);
    unchanged(names_nothing);
    EXPECT_EQ(combo->currentText(), QStringLiteral("COM1")) << names_nothing;
  }
  EXPECT_TRUE(window->isVisible()) << "Enter in the box is no \"Beenden\"";

  combo->lineEdit()->setText(QStringLiteral(" 3 "));
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_EQ(session.settings.port, 3u);
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(combo->currentText(), QStringLiteral("COM3"));
  EXPECT_NE(console.log_.find("CreateFile (COM3)"), std::string::npos) << console.log_;
  console.log_.clear();
  QTest::keyClick(combo, Qt::Key_Enter);  // the same port again: reopened
  EXPECT_NE(console.log_.find("CreateFile (COM3)"), std::string::npos) << console.log_;
}

TEST_F(WindowTest, TheMouseWheelDoesNotChangeThePort) {
  session.port_choices.Fill(1, testing::NumberedPorts({1, 3}));
  auto* combo = qobject_cast<QComboBox*>(window->Control(ctl::PortCombo));
  QWheelEvent wheel(QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(combo, &wheel);
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(console.log_, "");
}

TEST_F(WindowTest, EinstellenConfiguresThePortShownInTheComboBox) {
  std::string asked;
  session.configure_dialog = [&](std::string_view device, DCB& dcb) {
    asked = std::string(device);
    dcb.BaudRate = 19200;
    return true;
  };
  session.port_choices.Fill(0, testing::NumberedPorts({1, 3}));
  Button(ctl::Configure)->click();  // the empty selection: no dialog
  EXPECT_EQ(asked, "");

  window->ComboSelect(2);
  Button(ctl::Configure)->click();
  EXPECT_EQ(asked, "COM3");
  EXPECT_EQ(session.settings.dcb.BaudRate, 19200u);
  EXPECT_EQ(session.settings.port, 1u);  // configuring reselects nothing
}

}  // namespace
}  // namespace tapix
