// Opening, configuring and closing the port named by PortSettings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/last_error.h"
#include "serial/port_settings.h"
#include "serial/serial_device.h"

namespace tapix {

// The line setting the last refused open or SetState refused, kept per thread
// beside the last error; OpenPort clears it. None when the device did not say.
LineField RefusedField();
void SetRefusedField(LineField field);

// The report line for a refused field with its value in `dcb`, e.g.
// "Vom Ger\xE4t abgelehnt: Stop-Bits 1.5 (nur mit 5 Daten-Bits)\n"; "" for None.
std::string RefusedFieldLine(LineField field, const DCB& dcb);

// Opens the device of port n exclusively and applies the DCB; null on failure,
// with the last error of the call that failed.
std::unique_ptr<SerialDevice> OpenPort(std::uint32_t port, const DCB& dcb);
// The device of port n opened as it is (platform file). Linux: the device
// the port map gives the number, or the virtual line's master end; Windows:
// COMn. Null with the last error set.
std::unique_ptr<SerialDevice> OpenPortDevice(std::uint32_t port);
std::unique_ptr<SerialDevice> Open(const PortSettings& settings);
void ClosePort(std::unique_ptr<SerialDevice>& handle);

// Interval 100 ms, read and write multipliers 100 ms, constants kept.
void SetPortTimeouts(SerialDevice* handle);

}  // namespace tapix
