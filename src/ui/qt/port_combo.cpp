#include "ui/qt/port_combo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
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
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // No completion: a typed letter must not turn into a port of its own.
  setCompleter(nullptr);
  // QComboBox takes an edited text that names an entry as a choice when the
  // editing ends (focus out included); here only Enter does.
  disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
  setMaxVisibleItems(12);
  view()->setItemDelegate(new DetailDelegate(view()));
  // With the keys and the editing above kept out, what is left is a pick in
  // the open list.
  connect(this, &QComboBox::activated, this, &PortCombo::chosen);
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

void PortCombo::Select(int index) {
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  PutBack();
}

QString PortCombo::ListText(int row) const {
  const QString detail = itemData(row, kDetailRole).toString();
  return detail.isEmpty() ? itemText(row) : itemText(row) + QStringLiteral("   ") + detail;
}

int PortCombo::Named(const QString& typed) const {
  const QString text = typed.trimmed();
  // An empty box names nothing: the empty entry is picked in the list.
  if (text.isEmpty()) return -1;
  bool number = false;
  const uint port = text.toUInt(&number);
  const QString name = number ? QStringLiteral("COM%1").arg(port) : text;
  for (int row = 0; row < count(); ++row) {
    if (itemText(row).compare(name, Qt::CaseInsensitive) == 0) return row;
  }
  return -1;
}

void PortCombo::PutBack() {
  const QString in_force = currentIndex() >= 0 ? itemText(currentIndex()) : QString();
  if (lineEdit()->text() != in_force) lineEdit()->setText(in_force);
}

void PortCombo::keyPressEvent(QKeyEvent* event) {
  const bool alt = (event->modifiers() & Qt::AltModifier) != 0;
  int step = 0;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      const int row = Named(currentText());
      if (row < 0) {
        QApplication::beep();
        PutBack();
      } else {
        setCurrentIndex(row);
        PutBack();  // the entry's own spelling
        emit chosen(row);
        emit entered(row);
      }
      event->accept();
      return;
    }
    case Qt::Key_Escape:
      PutBack();
      event->ignore();  // the dialog's own Escape
      return;
    case Qt::Key_Up:
      step = -1;
      break;
    case Qt::Key_Down:
      step = 1;
      break;
    case Qt::Key_PageUp:
      step = -maxVisibleItems();
      break;
    case Qt::Key_PageDown:
      step = maxVisibleItems();
      break;
    default:
      break;
  }
  if (step == 0 || alt || count() == 0) {
    QComboBox::keyPressEvent(event);  // typing; Alt+Down and F4 open the list
    return;
  }
  const int from = Named(currentText());
  const int at = from >= 0 ? from : qMax(currentIndex(), 0);
  const int to = qBound(0, at + step, count() - 1);
  lineEdit()->setText(itemText(to));
  lineEdit()->selectAll();
  event->accept();
}

void PortCombo::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Opening the list takes the focus for a moment; anything else ends the
  // editing without a choice.
  if (event->reason() != Qt::PopupFocusReason) PutBack();
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
