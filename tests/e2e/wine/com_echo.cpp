// com_echo N: opens COMN at 9600,N,8,1 through the Win32 comm API and sends
// every byte it reads back, until Ctrl+C arrives. A small
// program of known behaviour for checking the Wine test environment itself
// (COM port mapped to a pty, bytes both ways, the failure line, Ctrl+C).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

volatile LONG stop = 0;

BOOL WINAPI OnCtrl(DWORD) {
  InterlockedExchange(&stop, 1);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in "\n", as tapix.exe's do
  const unsigned n = static_cast<unsigned>(std::atoi(argv[1]));
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\COM%u", n);
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::printf("CreateFile (COM%u) failed with error %lu\n", n, GetLastError());
    std::fflush(stdout);
    return 1;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  COMMTIMEOUTS timeouts{MAXDWORD, 0, 100, 0, 1000};
  if (!SetCommState(port, &dcb) || !SetCommTimeouts(port, &timeouts)) {
    std::printf("SetCommState (COM%u) failed with error %lu\n", n, GetLastError());
    std::fflush(stdout);
    return 1;
  }
  SetConsoleCtrlHandler(OnCtrl, TRUE);
  std::printf("CreateFile (COM%u) succeeded\n", n);
  std::fflush(stdout);
  while (!stop) {
    unsigned char buffer[256];
    DWORD got = 0;
    if (!ReadFile(port, buffer, sizeof buffer, &got, nullptr)) break;
    if (got == 0) continue;
    DWORD put = 0;
    WriteFile(port, buffer, got, &put, nullptr);
  }
  CloseHandle(port);
  std::printf("closed\n");
  std::fflush(stdout);
  return 0;
}
