#include "app/window_commands.h"

#include <cstdio>

#include "app/control_ids.h"
#include "app/requests.h"
#include "app/window_values.h"
#include "app/port_open.h"
#include "serial/port.h"
#include "serial/port_map.h"

namespace tapix {

void InitWindow(Session& session, Panel& window) {
  session.window = &window;
  for (const OptionSpec& option : kOptionList) {
    if (option.start) window.SetChecked(option.box, true);
  }
  session.port_choices.Bind(&window);
  session.port_choices.Fill(session.settings.port);
}

void ForgetWindow(Session& session) {
  session.window = nullptr;
  session.port_choices.Bind(nullptr);
}

void OnCommand(Session& session, int id) {
  if (const OptionSpec* option = OptionOfBox(id)) {
    session.options.*option->flag = session.window && session.window->IsChecked(id) ? 1 : 0;
    return;
  }
  if (const MessageSpec* message = MessageOfButton(id)) {
    // The fields as the window holds them now (0 without a window).
    const FieldValues values =
        session.window ? ReadFields(*session.window, *message) : FieldValues{};
    QueueRequest(session.pending, *message, values, session.options, CheckBoxTicked(session));
    return;
  }
  switch (id) {
    case ctl::Exit:
      session.quit_requested = true;
      return;
    case ctl::PortCombo:
      // The tap keeps its two ports for the run: a port opened here would be
      // polled and answered on, on a line the tap only watches.
      if (session.tap) {
        session.console->Log("Beim Mith\xF6ren bleiben die Schnittstellen fest.\n");
        return;
      }
      ReselectPort(session, session.port_choices.SelectedPort());
      RememberAccepted(session);
      return;
    case ctl::Configure:
      ConfigurePort(session, session.port_choices.SelectedPort());
      return;
    default:
      return;
  }
}

void RememberAccepted(Session& session) {
  if (!session.port) return;
  session.accepted = session.settings;
  ProcessPortMap().Confirm(session.settings.port);
}

void OnTimer(Session& session) { QueryTick(session.pending, session.options); }

void ConfigurePort(Session& session, std::uint32_t n) {
  if (n < 1 || !session.configure_dialog) return;
  char name[20];
  std::snprintf(name, sizeof name, "COM%u", n);
  // The open port's settings as the device has them, else the settings the
  // next open of port n would use.
  DCB dcb = session.settings.dcb;
  if (session.port) session.port->GetState(dcb);
  if (!session.configure_dialog(name, dcb)) return;
  dcb.DCBlength = sizeof(DCB);
  session.settings.dcb = dcb;
  // Kept when the open port refuses it (the next open reports that), but
  // saved only once a device has taken it.
  if (session.port && session.port->SetState(dcb)) RememberAccepted(session);
}

}  // namespace tapix
