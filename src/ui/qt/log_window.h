// The log beside the window: the last lines of what the console shows (the
// log lines and the echo of written bytes, failures included), for an
// operator who started Tapix from a desktop and has no terminal. It is a
// window of its own, so the main window's controls keep their layout; closing
// it ends the program as closing the console does.
//
// It keeps the last few hundred lines and follows new ones while it is
// scrolled to the end. Long lines (a message with its meaning, a line of the
// tap) wrap at the window's width instead of scrolling sideways; every other
// line has a shaded background, so a wrapped line reads as one. The time
// stamp is grey, the tap's direction markers and the "gesendet:" of a write
// have colours of their own, and the words of a fault (a failed check
// character, a time-out, an unexpected byte, a lost line) and a hint stand
// out.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QColor>
#include <QPlainTextEdit>
#include <QString>
#include <QStringView>
#include <QTextCursor>

namespace tapix {

class LogHistory;

inline constexpr const char* kLogWindowTitle = "Tapix Protokoll";
// The lines the window keeps; older ones scroll away (the log file and the
// console keep everything).
inline constexpr int kLogWindowLines = 500;

// What a stretch of a log line is, for its colour.
enum class LogRole : std::uint8_t { Stamp, FromRegister, FromDispenser, Sent, Fault, Hint };

struct LogSpan {
  qsizetype start;
  qsizetype length;
  LogRole role;
};

// The stretches of one line (without its line feed) that are shown in a
// colour of their own, in order; `at_line_start`: the text begins the line,
// so a time stamp may lead it.
std::vector<LogSpan> StyleLogText(QStringView text, bool at_line_start);

class LogWindow final : public QPlainTextEdit {
  Q_OBJECT

 public:
  // Shows what `history` kept so far and follows it until destroyed.
  explicit LogWindow(LogHistory* history, QWidget* parent = nullptr);
  ~LogWindow() override;

  // Appends log bytes (code page 1252) at the end.
  void Append(std::string_view bytes);

  // The colour of a role.
  static QColor RoleColour(LogRole role);

  // Beside `main`: below it (moving it up when the screen needs it) when the
  // screen is tall enough for both, else to its right.
  void PlaceBeside(QWidget& main);

 signals:
  // The operator closed the log window.
  void closeRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Appends a piece of one line with its colours.
  void AppendStyled(QTextCursor& end, QStringView text);
  // Gives the block the cursor has just begun its background.
  void Shade(QTextCursor& end);

  LogHistory* history_;
  bool shaded_ = false;  // the line being written has the shaded background
};

// Code page 1252 bytes as text for the screen; control bytes other than the
// line feed and the tab become their Unicode control pictures (U+2400 on), and
// the five bytes that code page 1252 leaves undefined show as "<xx>", so every
// byte of the line stays recognisable.
QString FromCodePage1252(std::string_view bytes);

}  // namespace tapix
