#include "ui/qt/log_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>

#include "core/log_history.h"

namespace tapix {

namespace {

// Code page 1252 from 0x80 to 0x9F; 0 where it defines no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr int kLogHeight = 200;
constexpr int kMinimumWidth = 480;

}  // namespace

QString FromCodePage1252(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n' || byte == '\t') {
      text += QChar(byte);
    } else if (byte < 0x20) {
      text += QChar(static_cast<char16_t>(0x2400 + byte));
    } else if (byte == 0x7F) {
      text += QChar(static_cast<char16_t>(0x2421));
    } else if (byte >= 0x80 && byte <= 0x9F) {
      if (kHigh[byte - 0x80] != 0)
        text += QChar(kHigh[byte - 0x80]);
      else
        text += QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0'));
    } else {
      text += QChar(static_cast<char16_t>(byte));  // ASCII and Latin-1 agree here
    }
  }
  return text;
}

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
