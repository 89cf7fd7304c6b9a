// The log beside the window: the last lines of what the console shows (the
// log lines and the echo of written bytes, failures included), for an
// operator who started Tapix from a desktop and has no terminal. It is a
// window of its own, so the main window's controls keep their layout; closing
// it ends the program as closing the console does.
#pragma once

#include <string_view>

#include <QPlainTextEdit>
#include <QString>

namespace tapix {

class LogHistory;

inline constexpr const char* kLogWindowTitle = "Tapix Protokoll";

class LogWindow final : public QPlainTextEdit {
  Q_OBJECT

 public:
  // Shows what `history` kept so far and follows it until destroyed.
  explicit LogWindow(LogHistory* history, QWidget* parent = nullptr);
  ~LogWindow() override;

  // Appends log bytes (code page 1252) at the end.
  void Append(std::string_view bytes);

  // Beside `main`: below it (moving it up when the screen needs it) when the
  // screen is tall enough for both, else to its right.
  void PlaceBeside(QWidget& main);

 signals:
  // The operator closed the log window.
  void closeRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  LogHistory* history_;
};

// Code page 1252 bytes as text for the screen; control bytes other than the
// line feed and the tab become their Unicode control pictures (U+2400 on), and
// the five bytes that code page 1252 leaves undefined show as "<xx>", so every
// byte of the line stays recognisable.
QString FromCodePage1252(std::string_view bytes);

}  // namespace tapix
