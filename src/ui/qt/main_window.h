// The operator's window: option boxes, the ISB fields, the HOST buttons with
// their number fields, the port choice and configuration, two pictures, two
// links and the exit button, built from the control table. It keeps no
// protocol state: every control acts on the session when it is used, and the
// protocol reads and changes the window through the Panel calls by ID.
#pragma once

#include <array>
#include <map>
#include <vector>

#include <QDialog>

#include "app/panel.h"
#include "app/session.h"
#include "ui/qt/bold_caption.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/hyperlink_label.h"
#include "ui/qt/tooltip_set.h"

namespace tapix {

class PortCombo;

class MainWindow final : public QDialog, public Panel {
  Q_OBJECT

 public:
  // Builds the window and runs its initialisation (InitWindow, links,
  // tooltips).
  explicit MainWindow(Session& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Panel
  std::string FieldText(int id) const override;
  void SetFieldText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void ComboReset() override;
  void ComboAdd(std::string_view text, std::string_view detail) override;
  void ComboSelect(int index) override;
  int ComboSelection() const override;

  // The control with that ID, or null.
  QWidget* Control(int id) const;
  // All controls, anonymous ones included, in template order.
  const std::vector<QWidget*>& Controls() const { return controls_; }

  TooltipSet& InfoTips() { return info_tips_; }
  TooltipSet& ControlTips() { return control_tips_; }
  HyperlinkLabel& MailLink() { return mail_link_; }
  HyperlinkLabel& WebLink() { return web_link_; }
  const std::array<BoldCaption, 4>& BoldCaptions() const { return bold_captions_; }
  const DialogUnits& Units() const { return units_; }

  // Ends the program as "Beenden" does: the session is asked to quit.
  void Exit();

 signals:
  // After every control action has been handled: the front end looks at the
  // port and at session.quit_requested.
  void acted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void Build();
  QWidget* MakeControl(const struct ControlSpec& spec);
  void Initialise();
  // A command from control `id`, then the pass that sends what it queued.
  void Act(int id);

  Session& session_;
  DialogUnits units_;
  std::vector<QWidget*> controls_;
  std::map<int, QWidget*> by_id_;
  PortCombo* combo_ = nullptr;
  std::array<BoldCaption, 4> bold_captions_;
  HyperlinkLabel mail_link_;
  HyperlinkLabel web_link_;
  TooltipSet info_tips_;
  TooltipSet control_tips_;
  bool centred_ = false;
};

}  // namespace tapix
