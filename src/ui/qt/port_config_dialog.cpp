#include "ui/qt/port_config_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "serial/port_settings.h"

namespace tapix {
namespace {

// Sets the entry whose data is `value`; adds it first when it is missing, so
// that a value the dialog does not offer survives an OK.
void SelectData(QComboBox* combo, unsigned value, const QString& text) {
  int row = combo->findData(value);
  if (row < 0) {
    combo->insertItem(0, text, value);
    row = 0;
  }
  combo->setCurrentIndex(row);
}

unsigned Chosen(const QComboBox* combo) { return combo->currentData().toUInt(); }

}  // namespace

PortConfigDialog::Flow PortConfigDialog::FlowOf(const DCB& dcb) {
  if (dcb.fOutxCtsFlow) return Flow::Hardware;
  if (dcb.fOutX || dcb.fInX) return Flow::XonXoff;
  return Flow::None;
}

void PortConfigDialog::ApplyFlow(DCB& dcb, Flow flow) {
  dcb.fOutxCtsFlow = flow == Flow::Hardware ? 1 : 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fOutX = flow == Flow::XonXoff ? 1 : 0;
  dcb.fInX = flow == Flow::XonXoff ? 1 : 0;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = flow == Flow::Hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  if (flow == Flow::XonXoff && dcb.XonChar == 0 && dcb.XoffChar == 0) {
    // Without characters of its own, XON/XOFF uses DC1 and DC3.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
  }
}

PortConfigDialog::PortConfigDialog(std::string_view device, const DCB& dcb, QWidget* parent)
    : QDialog(parent), dcb_(dcb), initial_flow_(FlowOf(dcb)) {
  setWindowTitle(QStringLiteral("Eigenschaften von ") +
                 QString::fromUtf8(device.data(), static_cast<qsizetype>(device.size())));

  baud_ = new QComboBox(this);
  for (std::uint32_t rate : BaudTable) {
    if (rate == 0) break;
    baud_->addItem(QString::number(rate), rate);
  }
  SelectData(baud_, dcb.BaudRate, QString::number(dcb.BaudRate));

  data_bits_ = new QComboBox(this);
  for (unsigned bits = 5; bits <= 8; ++bits) data_bits_->addItem(QString::number(bits), bits);
  SelectData(data_bits_, dcb.ByteSize, QString::number(dcb.ByteSize));

  parity_ = new QComboBox(this);
  parity_->addItem(QStringLiteral("Keine"), unsigned{NOPARITY});
  parity_->addItem(QStringLiteral("Ungerade"), unsigned{ODDPARITY});
  parity_->addItem(QStringLiteral("Gerade"), unsigned{EVENPARITY});
  parity_->addItem(QStringLiteral("Markierung"), unsigned{MARKPARITY});
  parity_->addItem(QStringLiteral("Leerzeichen"), unsigned{SPACEPARITY});
  SelectData(parity_, dcb.Parity, QString::number(dcb.Parity));

  stop_bits_ = new QComboBox(this);
  stop_bits_->addItem(QStringLiteral("1"), unsigned{ONESTOPBIT});
  stop_bits_->addItem(QStringLiteral("1,5"), unsigned{ONE5STOPBITS});
  stop_bits_->addItem(QStringLiteral("2"), unsigned{TWOSTOPBITS});
  SelectData(stop_bits_, dcb.StopBits, QString::number(dcb.StopBits));

  flow_ = new QComboBox(this);
  flow_->addItem(QStringLiteral("Kein"), static_cast<unsigned>(Flow::None));
  flow_->addItem(QStringLiteral("Xon / Xoff"), static_cast<unsigned>(Flow::XonXoff));
  flow_->addItem(QStringLiteral("Hardware"), static_cast<unsigned>(Flow::Hardware));
  flow_->setCurrentIndex(static_cast<int>(initial_flow_));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Bits pro Sekunde:"), baud_);
  form->addRow(QStringLiteral("&Datenbits:"), data_bits_);
  form->addRow(QStringLiteral("&Parität:"), parity_);
  form->addRow(QStringLiteral("&Stoppbits:"), stop_bits_);
  form->addRow(QStringLiteral("&Flusssteuerung:"), flow_);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

DCB PortConfigDialog::Result() const {
  DCB out = dcb_;
  out.BaudRate = Chosen(baud_);
  out.ByteSize = static_cast<std::uint8_t>(Chosen(data_bits_));
  out.Parity = static_cast<std::uint8_t>(Chosen(parity_));
  out.fParity = out.Parity != NOPARITY ? 1 : 0;
  out.StopBits = static_cast<std::uint8_t>(Chosen(stop_bits_));
  // The handshake lines are rewritten only when the operator changed the flow
  // control, so settings the dialog cannot show survive an OK.
  const auto flow = static_cast<Flow>(Chosen(flow_));
  if (flow != initial_flow_) ApplyFlow(out, flow);
  return out;
}

bool RunPortConfigDialog(QWidget* owner, std::string_view device, DCB& dcb) {
  PortConfigDialog dialog(device, dcb, owner);
  if (dialog.exec() != QDialog::Accepted) return false;
  dcb = dialog.Result();
  return true;
}

}  // namespace tapix
