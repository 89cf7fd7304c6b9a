// The operator's window on Windows: the modeless dialog made from template 101,
// owned by the console window. It keeps no protocol state: each control acts
// on the session through the shared window commands, by control ID.
#pragma once

#include "app/session.h"
#include "ui/win32/dialog_panel.h"

#include <array>

#include "ui/win32/bold_caption.h"
#include "ui/win32/hyperlink_label.h"
#include "ui/win32/tooltip_set.h"

namespace tapix::win32 {

class MainWindow final : public DialogPanel {
 public:
  explicit MainWindow(Session& session);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the dialog (CreateDialogParamA, template 101 of `instance`) with
  // `owner` as its owner. Null when the template cannot be made.
  HWND Create(HINSTANCE instance, HWND owner);

  // "Beenden": ends the loop (the quit message is posted too). The window
  // stays until the loop has ended.
  void Exit();

  const TooltipSet& InfoTips() const { return info_tips_; }
  const TooltipSet& ControlTips() const { return control_tips_; }
  const HyperlinkLabel& MailLink() const { return mail_link_; }
  const HyperlinkLabel& WebLink() const { return web_link_; }
  const std::array<BoldCaption, 4>& BoldCaptions() const { return bold_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Initialise();
  BOOL NeedText(LPARAM lparam);

  Session& session_;
  std::array<BoldCaption, 4> bold_;
  HyperlinkLabel mail_link_;
  HyperlinkLabel web_link_;
  TooltipSet info_tips_;
  TooltipSet control_tips_;
};

}  // namespace tapix::win32
