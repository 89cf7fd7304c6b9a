// The port combo box of both dialogs: an editable drop-down with entries in
// the order added (never sorted), each with the device behind it shown beside
// the entry in the open list.
//
// A port is taken only on a confirmed choice: an entry picked in the open
// list, or Enter on a text that names an entry ("COM3", "com3" or "3"; the
// empty entry is picked in the list). Typing only edits the text; the arrow
// keys put the next or previous entry's text into the box without taking
// it; leaving the box or Escape puts back the entry in force; the mouse
// wheel does nothing.
#pragma once

#include <string_view>

#include <QComboBox>

namespace tapix {

class PortCombo final : public QComboBox {
  Q_OBJECT

 public:
  explicit PortCombo(QWidget* parent = nullptr);

  void Reset();
  void Add(std::string_view text, std::string_view detail);
  void Select(int index);  // out of range: no selection
  int Selection() const { return currentIndex(); }

  // The text of an entry as the open list shows it.
  QString ListText(int index) const;
  // The entry a typed text names; -1 for none.
  int Named(const QString& text) const;

  void showPopup() override;

 signals:
  // A confirmed choice, the entry in force again included.
  void chosen(int index);
  // Enter confirmed a choice (after chosen): a dialog may take it as its OK.
  void entered(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The box shows the entry in force again.
  void PutBack();
};

}  // namespace tapix
