// The port combo box of both dialogs: entries in the order added (never
// sorted), each with the device behind it shown beside the entry in the open
// list. The mouse wheel does not change the port: a port is chosen in the list
// or with the keys.
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

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void showPopup() override;
};

}  // namespace tapix
