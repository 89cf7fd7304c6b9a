// Turns a text label of a dialog into a link: the text is drawn underlined in
// blue (purple once the link has been opened), a hand cursor shows over it,
// and a click hands the target to the desktop, which opens the mail program
// or the web browser.
#pragma once

#include <functional>
#include <string>

#include <QColor>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QUrl>


namespace tapix {

class HyperlinkLabel final : public QObject {
  Q_OBJECT

 public:
  // Opens a link target; false when the desktop refuses it.
  using Opener = std::function<bool(const QUrl&)>;

  static constexpr QRgb kNormalColour = qRgb(0, 0, 255);
  static constexpr QRgb kVisitedColour = qRgb(128, 0, 128);
  // Longest target and display text kept, in bytes.
  static constexpr std::size_t kMaxText = 255;

  HyperlinkLabel();

  // Takes over text label `id` of the dialog. False when there is no dialog
  // or no such label.
  bool Attach(QWidget* dialog, int id);

  // Sets the target and the text drawn (UTF-8); either may be null, and then
  // the label's own text stands in. Chooses the cursor by the target: a
  // target starting with "mailto:" (exact case) gets the mail hand, every
  // other one the web hand. The underlined font is made on the first call
  // only. False when the label is not attached.
  bool SetLink(const char* target, const char* text);

  // Replaces the way targets are opened (the desktop's URL handler).
  void SetOpener(Opener opener) { opener_ = std::move(opener); }

  const std::string& target() const { return target_; }
  const std::string& text() const { return text_; }
  bool visited() const { return visited_; }
  QColor colour() const { return QColor(visited_ ? kVisitedColour : kNormalColour); }
  // The resource name of the cursor chosen, or null before SetLink.
  const char* cursor_name() const { return cursor_name_; }
  QLabel* label() const { return label_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Open();
  void Paint();

  QPointer<QLabel> label_;
  int id_ = 0;
  std::string target_;
  std::string text_;
  const char* cursor_name_ = nullptr;
  bool has_font_ = false;
  bool linked_ = false;
  bool visited_ = false;
  Opener opener_;
};

// The first bytes of a UTF-8 text, at most `max` of them, never cutting a
// character in two.
std::string CutUtf8(const std::string& text, std::size_t max);

}  // namespace tapix
