#include "ui/win32/main_window.h"

#include "app/control_ids.h"
#include "app/maker.h"
#include "app/window_commands.h"
#include "ui/main_window_table.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace tapix::win32 {
namespace {

// The tooltip texts in code page 1252, kept for the life of the process: the
// tooltip control holds the pointers.
const std::vector<std::string>& ControlTipTexts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> out;
    for (const ToolText& tip : kControlTips) out.push_back(ToCodePage1252(tip.text));
    return out;
  }();
  return texts;
}

const char* InfoTipText1252(int id) {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> out;
    for (int info : kInfoTipIds) out.push_back(ToCodePage1252(InfoTipText(info)));
    return out;
  }();
  for (std::size_t i = 0; i < kInfoTipIds.size(); ++i) {
    if (kInfoTipIds[i] == id) return texts[i].c_str();
  }
  return nullptr;
}

}  // namespace

MainWindow::MainWindow(Session& session) : session_(session) {}

MainWindow::~MainWindow() {
  if (Dialog() && IsWindow(Dialog())) DestroyWindow(Dialog());
  if (session_.window == this) ForgetWindow(session_);
}

HWND MainWindow::Create(HINSTANCE instance, HWND owner) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(kMainWindowTemplate), owner, &DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainWindow*>(lparam);
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    self->SetDialog(dialog);
    self->Initialise();
    return TRUE;  // the dialog manager sets the first focus
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return self ? self->Handle(message, wparam, lparam) : FALSE;
}

void MainWindow::Initialise() {
  HWND dialog = Dialog();
  for (std::size_t i = 0; i < kBoldCaptionIds.size(); ++i) bold_[i].Create(dialog, kBoldCaptionIds[i]);
  const std::string mail = std::string("mailto:") + maker::kMail;
  mail_link_.Attach(dialog, ctl::MailLink);
  mail_link_.SetLink(mail.c_str(), nullptr);
  web_link_.Attach(dialog, ctl::WebLink);
  web_link_.SetLink(maker::kWebUrl, nullptr);
  // The protocol's view of the window: boxes of the flags that start at 1
  // ticked, the port list bound and filled.
  InitWindow(session_, *this);

  info_tips_.Create(dialog, TTS_BALLOON);
  for (int id : kInfoTipIds) info_tips_.AddTool(GetDlgItem(dialog, id), LPSTR_TEXTCALLBACKA);
  control_tips_.Create(dialog, 0);
  const std::vector<std::string>& texts = ControlTipTexts();
  for (std::size_t i = 0; i < kControlTips.size(); ++i) {
    control_tips_.AddTool(GetDlgItem(dialog, kControlTips[i].id), texts[i].c_str());
  }
}

void MainWindow::Exit() {
  OnCommand(session_, ctl::Exit);
  PostQuitMessage(1);
}

BOOL MainWindow::NeedText(LPARAM lparam) {
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(lparam);
  // Tools are registered by window: idFrom is the control's handle.
  const auto tool = reinterpret_cast<HWND>(info->hdr.idFrom);
  for (int id : {ctl::MakerPicture, ctl::ProgramPicture, ctl::TitleCaption}) {
    if (tool != GetDlgItem(Dialog(), id)) continue;
    // A maximum width turns on the multi-line display of the "\r\n" texts.
    SendMessageA(info->hdr.hwndFrom, TTM_SETMAXTIPWIDTH, 0, 1000);
    info->lpszText = const_cast<char*>(InfoTipText1252(id));
    break;
  }
  return FALSE;
}

INT_PTR MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == ctl::Exit) {
        Exit();
      } else if (id == ctl::PortCombo) {
        // Only a completed choice reselects, the same entry and the empty one
        // too; opening, closing and typing in the box do nothing.
        if (HIWORD(wparam) == CBN_SELENDOK) OnCommand(session_, id);
      } else if (id != ctl::Cancel) {
        // Option boxes, HOST buttons, "Einstellen ..."; the fields and boxes
        // 1014 and 1017 have no command and OnCommand ignores them.
        OnCommand(session_, id);
      }
      return TRUE;
    }
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lparam)->code == TTN_NEEDTEXTA) return NeedText(lparam);
      return TRUE;
    case WM_SYSCOMMAND:
      switch (wparam & 0xFFFF) {
        case SC_CLOSE:
          Exit();
          return TRUE;
        case SC_MINIMIZE: {
          // The console goes down and the dialog, owned by it, with it. With
          // no console window to own it, the dialog goes down itself.
          HWND owner = GetParent(Dialog());
          ShowWindow(owner ? owner : Dialog(), SW_MINIMIZE);
          return TRUE;
        }
        default:
          return FALSE;
      }
    case WM_DESTROY:
      // Destroyed by any path: the loop ends too.
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace tapix::win32
