#include "ui/qt/log_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>

#include "log/log_history.h"
#include "log/text_encoding.h"

namespace tapix {

namespace {

constexpr int kLogHeight = 200;
constexpr int kMinimumWidth = 480;

}  // namespace

QString FromCodePage1252(std::string_view bytes) { return QString::fromStdString(ToUtf8(bytes)); }

LogWindow::LogWindow(LogHistory* history, QWidget* parent)
    : QPlainTextEdit(parent), history_(history) {
  setObjectName(QStringLiteral("LogWindow"));
  setWindowTitle(QString::fromUtf8(kLogWindowTitle));
  setWindowFlag(Qt::Window);
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  if (history_) {
    setMaximumBlockCount(static_cast<int>(history_->MaxLines()) + 1);
    Append(history_->Text());
    history_->SetListener([this](std::string_view text) { Append(text); });
  }
}

LogWindow::~LogWindow() {
  if (history_) history_->SetListener({});
}

void LogWindow::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  QScrollBar* bar = verticalScrollBar();
  const bool at_end = bar->value() == bar->maximum();
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(FromCodePage1252(bytes));
  // Follow the new lines unless the operator scrolled back to read.
  if (at_end) bar->setValue(bar->maximum());
}

void LogWindow::PlaceBeside(QWidget& main) {
  QRect frame = main.frameGeometry();
  const QScreen* screen = main.screen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const int gap = 30;  // room for the title bar of the log window
  const int width = std::max(frame.width(), kMinimumWidth);
  if (frame.height() + gap + kLogHeight <= room.height()) {
    // Below the main window, moved up as far as needed to make room.
    const int overflow = frame.bottom() + gap + kLogHeight - room.bottom();
    if (overflow > 0) {
      main.move(frame.left(), std::max(room.top(), frame.top() - overflow));
      frame = main.frameGeometry();
    }
    const int left = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - width));
    setGeometry(left, frame.bottom() + gap, std::min(width, room.width()), kLogHeight);
  } else if (frame.right() + 10 + kMinimumWidth / 2 <= room.right()) {
    setGeometry(frame.right() + 10, frame.top() + gap, room.right() - frame.right() - 10,
                std::max(frame.height() - gap, kLogHeight));
  } else {
    setGeometry(room.left(), std::max(room.top(), room.bottom() - kLogHeight - gap),
                std::min(width, room.width()), kLogHeight);
  }
}

void LogWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closeRequested();
}

}  // namespace tapix
