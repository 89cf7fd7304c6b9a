#include "ui/win32/port_dialog.h"

#include "app/control_ids.h"
#include "platform/signals.h"
#include "ui/win32/dialog_panel.h"

#include <cstring>
#include <string>

namespace tapix::win32 {
namespace {

// The line settings are the Win32 DCB byte for byte; serial/dcb.h mirrors it.
static_assert(sizeof(::DCB) == sizeof(tapix::DCB), "DCB layout");

struct PortQuestion {
  Session& session;
  DialogPanel panel;
  HANDLE stop_wait = nullptr;
};

// Ctrl+C or closing the console while the question is open: it is cancelled,
// and so the run ends (a thread-pool wait on the stop event; the dialog's own
// loop cannot wait on it).
void CALLBACK CancelOnStop(PVOID dialog, BOOLEAN) {
  PostMessageA(static_cast<HWND>(dialog), WM_COMMAND, IDCANCEL, 0);
}

INT_PTR CALLBACK PortDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    auto* question = reinterpret_cast<PortQuestion*>(lparam);
    question->panel.SetDialog(dialog);
    question->session.port_choices.Bind(&question->panel);
    question->session.port_choices.Fill(1);  // COM1 preselected when present
    const WaitHandle stop = InstallStopSignals();
    if (stop != kNoWaitHandle) {
      RegisterWaitForSingleObject(&question->stop_wait, reinterpret_cast<HANDLE>(stop),
                                  &CancelOnStop, dialog, INFINITE, WT_EXECUTEONLYONCE);
    }
    return TRUE;
  }
  auto* question = reinterpret_cast<PortQuestion*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!question) return FALSE;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case ctl::Ok:
          question->session.settings.port = question->session.port_choices.SelectedPort();
          EndDialog(dialog, IDOK);
          return TRUE;
        case ctl::Cancel:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return TRUE;  // choosing an entry opens nothing; only "OK" takes it
      }
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFFF) == SC_CLOSE) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

PortChoice RunPortDialog(HINSTANCE instance, HWND owner, Session& session) {
  PortQuestion question{session, DialogPanel()};
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kPortDialogTemplate), owner,
                                         &PortDialogProc, reinterpret_cast<LPARAM>(&question));
  if (question.stop_wait) UnregisterWaitEx(question.stop_wait, INVALID_HANDLE_VALUE);
  // The list no longer belongs to the gone dialog.
  session.port_choices.Bind(nullptr);
  // A dialog that could not be shown is no choice: the run ends.
  return result == IDOK ? PortChoice::Chosen : PortChoice::Cancelled;
}

bool RunCommConfigDialog(HWND owner, std::string_view device, DCB& dcb) {
  const std::string name(device);
  COMMCONFIG config{};
  DWORD size = sizeof config;
  config.dwSize = sizeof config;
  // The record the driver gives for the port; when it gives none, a plain one
  // around the settings, so the operator still gets the dialog.
  if (!GetDefaultCommConfigA(name.c_str(), &config, &size)) {
    config = COMMCONFIG{};
    config.dwSize = sizeof config;
    config.wVersion = 1;
  }
  std::memcpy(&config.dcb, &dcb, sizeof dcb);
  config.dcb.DCBlength = sizeof(::DCB);
  if (!CommConfigDialogA(name.c_str(), owner, &config)) return false;
  std::memcpy(&dcb, &config.dcb, sizeof dcb);
  return true;
}

}  // namespace tapix::win32
