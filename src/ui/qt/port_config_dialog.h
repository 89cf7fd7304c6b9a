// The port configuration behind "Einstellen ...": baud rate, data bits,
// parity, stop bits and flow control of one port. On OK the edited line
// settings come back as a complete DCB; everything the dialog does not show
// stays as it was.
#pragma once

#include <string_view>

#include <QDialog>

#include "serial/dcb.h"

class QComboBox;

namespace tapix {

class PortConfigDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Flow { None = 0, XonXoff = 1, Hardware = 2 };

  PortConfigDialog(std::string_view device, const DCB& dcb, QWidget* parent = nullptr);

  // The DCB given, with the choices of the dialog applied.
  DCB Result() const;

  QComboBox* baud() const { return baud_; }
  QComboBox* data_bits() const { return data_bits_; }
  QComboBox* parity() const { return parity_; }
  QComboBox* stop_bits() const { return stop_bits_; }
  QComboBox* flow() const { return flow_; }

  // The flow control a DCB asks for, as the dialog shows it.
  static Flow FlowOf(const DCB& dcb);
  // Sets the flow control fields of a DCB.
  static void ApplyFlow(DCB& dcb, Flow flow);

 private:
  DCB dcb_;
  Flow initial_flow_;
  QComboBox* baud_ = nullptr;
  QComboBox* data_bits_ = nullptr;
  QComboBox* parity_ = nullptr;
  QComboBox* stop_bits_ = nullptr;
  QComboBox* flow_ = nullptr;
};

// Shows the dialog modally; true with `dcb` replaced on OK, false on cancel.
bool RunPortConfigDialog(QWidget* owner, std::string_view device, DCB& dcb);

}  // namespace tapix
