// window_driver TITLE OP...: works the controls of another program's dialog
// through window messages, for the end-to-end tests of the window under Wine
// (tests/wine). Waits up to 20 s for a top-level window titled TITLE, then
// runs each OP in order and prints one line per answer:
//   set:ID=TEXT   the control's text (SetDlgItemTextA)
//   click:ID      a button click (BM_CLICK)
//   post:ID       a button click that does not wait (for one that ends a
//                 modal dialog: the caller's process is not held up)
//   select:ID=N   chooses entry N of a combo box (CB_SETCURSEL)
//   text:ID       prints the control's text
//   checked:ID    prints 1 when the box is ticked, else 0
//   count:ID      prints the combo box's entry count
//   where:ID      prints the screen position "X Y" of the control's centre
// Exit code 0, 1 when the window did not come or an ID is not there.
//
// window_driver --keep-desktop: holds a hidden window until it is ended, so
// Wine's desktop process stays for the whole test run. Otherwise it starts
// with the first window of every test and inherits that test's output, and
// the test harness waits for it to end (some 20 s a test).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (std::strcmp(argv[1], "--keep-desktop") == 0) {
    CreateWindowExA(0, "Static", "tapix desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                    GetModuleHandleA(nullptr), nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
  }
  _setmode(_fileno(stdout), _O_BINARY);
  HWND dialog = nullptr;
  // A dialog is shown only after its controls exist and WM_INITDIALOG has
  // filled them: until it is visible, a control may be missing or empty. With
  // no operation (is the window there?) a hidden one counts too.
  for (int i = 0; i < 200; ++i) {
    dialog = FindWindowA(nullptr, argv[1]);
    if (dialog && (argc == 2 || IsWindowVisible(dialog))) break;
    Sleep(100);
  }
  if (!dialog) {
    std::printf("no window '%s'\n", argv[1]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string op = argv[i];
    const std::size_t colon = op.find(':');
    if (colon == std::string::npos) return 2;
    const std::string verb = op.substr(0, colon);
    const int id = std::atoi(op.c_str() + colon + 1);
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
      std::printf("no control %d\n", id);
      return 1;
    }
    if (verb == "set") {
      const std::size_t eq = op.find('=');
      SetDlgItemTextA(dialog, id, eq == std::string::npos ? "" : op.c_str() + eq + 1);
    } else if (verb == "click") {
      SendMessageA(control, BM_CLICK, 0, 0);
    } else if (verb == "post") {
      PostMessageA(control, BM_CLICK, 0, 0);
    } else if (verb == "select") {
      const std::size_t eq = op.find('=');
      const int index = eq == std::string::npos ? -1 : std::atoi(op.c_str() + eq + 1);
      SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (verb == "text") {
      char text[256] = {};
      GetDlgItemTextA(dialog, id, text, sizeof text);
      std::printf("%s\n", text);
    } else if (verb == "checked") {
      std::printf("%d\n", IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
    } else if (verb == "count") {
      std::printf("%d\n", static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0)));
    } else if (verb == "where") {
      RECT r;
      GetWindowRect(control, &r);
      std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    } else {
      return 2;
    }
    std::fflush(stdout);
  }
  return 0;
}
