#include "ui/qt/log_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include "log/log_history.h"
#include "log/text_encoding.h"

namespace tapix {

namespace {

constexpr int kLogHeight = 200;
constexpr int kMinimumWidth = 480;

// Words that show a line of the log in a colour of their own, wherever they
// stand in it.
struct Marked {
  QStringView words;
  LogRole role;
};
constexpr Marked kMarked[] = {
    {u"Kasse > ISB:", LogRole::FromRegister},
    {u"ISB > Kasse:", LogRole::FromDispenser},
    {u"gesendet:", LogRole::Sent},
    {u"Fehler Chksumme", LogRole::Fault},
    {u" timeout", LogRole::Fault},
    {u"unerwartet", LogRole::Fault},
    {u"Verbindung unterbrochen", LogRole::Fault},
    {u"Schreibfehler", LogRole::Fault},
    {u"failed with error", LogRole::Fault},
    {u"Hinweis:", LogRole::Hint},
};

}  // namespace

QString FromCodePage1252(std::string_view bytes) { return QString::fromStdString(ToUtf8(bytes)); }

std::vector<LogSpan> StyleLogText(QStringView text, bool at_line_start) {
  std::vector<LogSpan> spans;
  qsizetype from = 0;
  if (at_line_start) {
    // "[HH:MM:SS.mmm] " or "[DD.MM.YYYY HH:MM:SS.mmm] "
    static const QRegularExpression stamp(QStringLiteral("^\\[[0-9.: ]{12,24}\\] "));
    const QRegularExpressionMatch m = stamp.match(text);
    if (m.hasMatch()) {
      spans.push_back({0, m.capturedLength(), LogRole::Stamp});
      from = m.capturedLength();
    }
  }
  for (;;) {
    qsizetype first = -1;
    const Marked* found = nullptr;
    for (const Marked& marked : kMarked) {
      const qsizetype at = text.indexOf(marked.words, from);
      if (at >= 0 && (first < 0 || at < first)) {
        first = at;
        found = &marked;
      }
    }
    if (!found) return spans;
    spans.push_back({first, found->words.size(), found->role});
    from = first + found->words.size();
  }
}

QColor LogWindow::RoleColour(LogRole role) {
  switch (role) {
    case LogRole::Stamp: return QColor(0x80, 0x80, 0x80);
    case LogRole::FromRegister: return QColor(0x1a, 0x5f, 0xb4);
    case LogRole::FromDispenser: return QColor(0x26, 0x80, 0x3c);
    case LogRole::Sent: return QColor(0x81, 0x3d, 0x9c);
    case LogRole::Fault: return QColor(0xc0, 0x1c, 0x28);
    case LogRole::Hint: return QColor(0xb5, 0x4a, 0x00);
  }
  return {};
}

LogWindow::LogWindow(LogHistory* history, QWidget* parent)
    : QPlainTextEdit(parent), history_(history) {
  setObjectName(QStringLiteral("LogWindow"));
  setWindowTitle(QString::fromUtf8(kLogWindowTitle));
  setWindowFlag(Qt::Window);
  // A window the operator can make as large as the screen.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setReadOnly(true);
  // A long line wraps at the window's edge, between words where it can (a
  // run of hex digits anywhere), never off to the side.
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // One block more: the line being written after the last line feed.
  setMaximumBlockCount(kLogWindowLines + 1);
  if (history_) {
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
  if (document()->isEmpty()) Shade(end);
  const QString text = FromCodePage1252(bytes);
  const QStringView all(text);
  for (qsizetype start = 0; start < all.size();) {
    const qsizetype feed = all.indexOf(u'\n', start);
    AppendStyled(end, all.mid(start, (feed < 0 ? all.size() : feed) - start));
    if (feed < 0) break;
    end.insertText(QStringLiteral("\n"), QTextCharFormat());
    Shade(end);
    start = feed + 1;
  }
  // Follow the new lines unless the operator scrolled back to read.
  if (at_end) bar->setValue(bar->maximum());
}

void LogWindow::AppendStyled(QTextCursor& end, QStringView text) {
  if (text.isEmpty()) return;
  qsizetype done = 0;
  for (const LogSpan& span : StyleLogText(text, end.atBlockStart())) {
    if (span.start > done) end.insertText(text.mid(done, span.start - done).toString(), QTextCharFormat());
    QTextCharFormat format;
    format.setForeground(RoleColour(span.role));
    if (span.role != LogRole::Stamp) format.setFontWeight(QFont::Bold);
    end.insertText(text.mid(span.start, span.length).toString(), format);
    done = span.start + span.length;
  }
  if (done < text.size()) end.insertText(text.mid(done).toString(), QTextCharFormat());
}

void LogWindow::Shade(QTextCursor& end) {
  QTextBlockFormat format;
  // A shade darker than the style's own alternate rows, which are hard to tell
  // from white on many screens.
  if (shaded_) format.setBackground(palette().color(QPalette::AlternateBase).darker(105));
  end.setBlockFormat(format);
  shaded_ = !shaded_;
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
