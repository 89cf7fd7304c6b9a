#include "ui/qt/main_window.h"

#include <string>

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>

#include "protocol/options.h"
#include "app/control_ids.h"
#include "app/loop.h"
#include "app/maker.h"
#include "app/requests.h"
#include "app/window_commands.h"
#include "ui/qt/app_resources.h"
#include "ui/qt/control_lookup.h"
#include "ui/main_window_table.h"
#include "ui/qt/port_combo.h"

namespace tapix {
namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

QFont WindowFont() {
  QFont font(QStringLiteral("Sans Serif"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), units_(DialogUnits::ForFont(WindowFont())) {
  setWindowTitle(Utf8(kMainWindowTitle));
  setWindowIcon(ProgramIcon());
  // A fixed-size window with a title bar, a minimise and a close button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(WindowFont());
  setFixedSize(units_.X(kMainWindowWidth), units_.Y(kMainWindowHeight));
  Build();
  Initialise();
}

MainWindow::~MainWindow() {
  if (session_.window == this) ForgetWindow(session_);
}

void MainWindow::Build() {
  controls_.reserve(kMainWindowControls.size());
  for (const ControlSpec& spec : kMainWindowControls) {
    QWidget* control = MakeControl(spec);
    controls_.push_back(control);
    if (spec.id != kAnonymousId) {
      SetControlId(control, spec.id);
      by_id_[spec.id] = control;
    }
  }
}

QWidget* MainWindow::MakeControl(const ControlSpec& spec) {
  const QRect place = units_.ToPixels(spec.x, spec.y, spec.width, spec.height);
  const int id = spec.id;
  QWidget* made = nullptr;
  switch (spec.kind) {
    case ControlKind::Picture: {
      auto* picture = new QLabel(this);
      const QPixmap bitmap = Bitmap(spec.bitmap);
      picture->setPixmap(bitmap);
      picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      picture->setLineWidth(1);
      // The control takes the size of its bitmap, plus the sunken edge.
      picture->setGeometry(place.x(), place.y(), bitmap.width() + 2, bitmap.height() + 2);
      return picture;
    }
    case ControlKind::Title: {
      auto* title = new QLabel(Utf8(spec.caption), this);
      title->setTextFormat(Qt::PlainText);
      title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      made = title;
      break;
    }
    case ControlKind::Line: {
      auto* line = new QFrame(this);
      line->setFrameShape(spec.width >= spec.height ? QFrame::HLine : QFrame::VLine);
      line->setFrameShadow(QFrame::Sunken);
      made = line;
      break;
    }
    case ControlKind::GroupCaption: {
      auto* caption = new QLabel(Utf8(spec.caption), this);
      caption->setTextFormat(Qt::PlainText);
      caption->setAlignment(Qt::AlignCenter);
      caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      caption->setLineWidth(1);
      made = caption;
      break;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(Utf8(spec.caption), this);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      made = label;
      break;
    }
    case ControlKind::Box: {
      auto* box = new QCheckBox(Utf8(spec.caption), this);
      connect(box, &QCheckBox::clicked, this, [this, id] { Act(id); });
      made = box;
      break;
    }
    case ControlKind::Field: {
      auto* field = new QLineEdit(this);
      // The operator types digits only; the protocol may still set any text.
      field->setValidator(new QRegularExpressionValidator(
          QRegularExpression(QStringLiteral("[0-9]*")), field));
      made = field;
      break;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(Utf8(spec.caption), this);
      button->setAutoDefault(false);
      button->setDefault(false);
      // Access keys are told apart by case: "&Q" is Alt+Shift+Q, "&q" Alt+Q.
      if (id == ctl::BtnQ) button->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Q));
      if (id == ctl::BtnLowerQ) button->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Q));
      connect(button, &QPushButton::clicked, this, [this, id] { Act(id); });
      made = button;
      break;
    }
    case ControlKind::Combo: {
      combo_ = new PortCombo(this);
      // The template's height is that of the open list; the closed box keeps
      // its natural height.
      combo_->setGeometry(place.x(), place.y(), place.width(), combo_->sizeHint().height());
      // Every confirmed choice counts, the same entry and the empty one too;
      // typing in the box or stepping through it with the keys does not.
      connect(combo_, &PortCombo::chosen, this, [this](int) { Act(ctl::PortCombo); });
      return combo_;
    }
  }
  made->setGeometry(place);
  return made;
}

void MainWindow::Initialise() {
  // Remember the window, tick the boxes of the flags that start at 1, fill the
  // port list.
  InitWindow(session_, *this);

  for (std::size_t i = 0; i < kBoldCaptionIds.size(); ++i) {
    bold_captions_[i].Create(this, kBoldCaptionIds[i]);
  }

  const std::string mail = std::string("mailto:") + maker::kMail;
  mail_link_.Attach(this, ctl::MailLink);
  mail_link_.SetLink(mail.c_str(), nullptr);
  web_link_.Attach(this, ctl::WebLink);
  web_link_.SetLink(maker::kWebUrl, nullptr);

  info_tips_.Create(this, true, [](QWidget* tool) { return InfoTipText(ControlId(tool)); });
  for (int id : kInfoTipIds) info_tips_.AddTool(Control(id), nullptr);
  control_tips_.Create(this, false);
  for (const ToolText& tip : kControlTips) control_tips_.AddTool(Control(tip.id), tip.text);
}

void MainWindow::Act(int id) {
  if (id == ctl::Exit) {
    Exit();
    return;
  }
  // Boxes 1014 and 1017 and the fields have no command of their own.
  if (OptionOfBox(id) || IsHostCommand(id) || id == ctl::PortCombo || id == ctl::Configure) {
    OnCommand(session_, id);
  }
  PassAfterEvent(session_);
  emit acted();
}

void MainWindow::Exit() {
  OnCommand(session_, ctl::Exit);
  session_.quit_requested = true;
  emit acted();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A focused push button takes Enter; anywhere else it is "Beenden",
      // since no button is the default one.
      if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
        button->click();
      } else {
        Act(ctl::Exit);
      }
      event->accept();
      return;
    case Qt::Key_Escape:
      event->accept();  // does nothing
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close button, Alt+F4 and the window menu end the program; the front
  // end takes the window down once the loop has ended.
  event->ignore();
  Exit();
}

void MainWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (const QScreen* where = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    move(frame.topLeft());
  }
}

void MainWindow::reject() {}

// Panel

QWidget* MainWindow::Control(int id) const {
  const auto it = by_id_.find(id);
  return it == by_id_.end() ? nullptr : it->second;
}

std::string MainWindow::FieldText(int id) const {
  const auto* field = qobject_cast<const QLineEdit*>(Control(id));
  return field ? field->text().toStdString() : std::string();
}

void MainWindow::SetFieldText(int id, std::string_view text) {
  if (auto* field = qobject_cast<QLineEdit*>(Control(id))) {
    field->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }
}

bool MainWindow::IsChecked(int id) const {
  const auto* box = qobject_cast<const QCheckBox*>(Control(id));
  return box && box->isChecked();
}

void MainWindow::SetChecked(int id, bool checked) {
  // setChecked does not emit clicked: no command runs.
  if (auto* box = qobject_cast<QCheckBox*>(Control(id))) box->setChecked(checked);
}

void MainWindow::ComboReset() { combo_->Reset(); }
void MainWindow::ComboAdd(std::string_view text, std::string_view detail) {
  combo_->Add(text, detail);
}
void MainWindow::ComboSelect(int index) { combo_->Select(index); }
int MainWindow::ComboSelection() const { return combo_->Selection(); }

}  // namespace tapix
