#include "ui/qt/port_combo.h"

#include <QAbstractItemView>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace tapix {
namespace {

constexpr int kDetailRole = Qt::UserRole + 1;

// Draws an entry of the open list with its device after the port name.
class DetailDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString detail = index.data(kDetailRole).toString();
    if (!detail.isEmpty()) option->text += QStringLiteral("   ") + detail;
  }
};

}  // namespace

PortCombo::PortCombo(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(12);
  view()->setItemDelegate(new DetailDelegate(view()));
}

void PortCombo::Reset() { clear(); }

void PortCombo::Add(std::string_view text, std::string_view detail) {
  const QString name = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QString device = QString::fromUtf8(detail.data(), static_cast<qsizetype>(detail.size()));
  addItem(name);
  const int row = count() - 1;
  setItemData(row, device, kDetailRole);
  if (!device.isEmpty()) setItemData(row, device, Qt::ToolTipRole);
}

void PortCombo::Select(int index) { setCurrentIndex(index >= 0 && index < count() ? index : -1); }

QString PortCombo::ListText(int row) const {
  const QString detail = itemData(row, kDetailRole).toString();
  return detail.isEmpty() ? itemText(row) : itemText(row) + QStringLiteral("   ") + detail;
}

void PortCombo::wheelEvent(QWheelEvent* event) { event->ignore(); }

void PortCombo::showPopup() {
  // The list is wider than the box so that the devices fit beside the names.
  int widest = width();
  const QFontMetrics metrics(view()->font());
  for (int row = 0; row < count(); ++row) {
    widest = qMax(widest, metrics.horizontalAdvance(ListText(row)) + 24);
  }
  view()->setMinimumWidth(widest);
  QComboBox::showPopup();
}

}  // namespace tapix
