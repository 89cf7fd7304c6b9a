// The console on Windows: standard output for the log, the console device
// "CONOUT$" for the echo (dropped when the process has no console).
#include "platform/console_output.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tapix {

ConsoleOutput::ConsoleOutput() {
  // Binary standard output and error: a line ends in "\n" alone, as on every
  // platform, and the bytes of a message reach a file or pipe unchanged.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The texts are code page 1252 (the "\xFC" of "ung\xFCltig"); a console
  // shows the OEM code page (850 in Germany) unless told otherwise. The
  // console's own page comes back at the end.
  console_code_page_ = ::GetConsoleOutputCP();
  if (console_code_page_ != 0) ::SetConsoleOutputCP(1252);
  HANDLE device = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
  echo_ = reinterpret_cast<WaitHandle>(device);  // INVALID_HANDLE_VALUE is kNoWaitHandle
  // A process has one console: standard output that is a console handle is
  // the echo's console.
  DWORD mode = 0;
  output_is_echo_device_ =
      echo_ != kNoWaitHandle && ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

ConsoleOutput::~ConsoleOutput() {
  if (echo_ != kNoWaitHandle) ::CloseHandle(reinterpret_cast<HANDLE>(echo_));
  if (console_code_page_ != 0) ::SetConsoleOutputCP(console_code_page_);
}

void ConsoleOutput::WriteEcho(char byte) {
  DWORD written = 0;
  ::WriteConsoleA(reinterpret_cast<HANDLE>(echo_), &byte, 1, &written, nullptr);
}

}  // namespace tapix
