#include "app/window_commands.h"

#include <cstdio>

#include "app/control_ids.h"
#include "app/requests.h"
#include "app/port_open.h"
#include "serial/port.h"
#include "serial/port_map.h"

namespace tapix {
namespace {

std::uint32_t* FlagOfBox(Session& session, int id) {
  OptionFlags& o = session.options;
  switch (id) {
    case ctl::Checksum: return &o.Checksum;
    case ctl::Waiter3: return &o.Waiter3;
    case ctl::CreditQuantity: return &o.CreditQuantity;
    case ctl::AutoQuery: return &o.AutoQuery;
    case ctl::AutoAnswer: return &o.AutoAnswer;
    case ctl::SendRecord: return &o.SendRecord;
    case ctl::AnswerOk: return &o.AnswerOk;
    default: return nullptr;
  }
}

}  // namespace

void InitWindow(Session& session, Panel& window) {
  session.window = &window;
  window.SetChecked(ctl::AnswerOk, true);
  window.SetChecked(ctl::AutoAnswer, true);
  session.port_list.Bind(&window);
  session.port_list.Fill(session.settings.port);
}

void ForgetWindow(Session& session) {
  session.window = nullptr;
  session.port_list.Bind(nullptr);
}

void OnCommand(Session& session, int id) {
  if (std::uint32_t* flag = FlagOfBox(session, id)) {
    *flag = session.window && session.window->IsChecked(id) ? 1 : 0;
    return;
  }
  if (IsHostCommand(id)) {
    HostCommand(session, id);
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
      ReselectPort(session.settings, session.port, session.port_list.SelectedPort(),
                   *session.console);
      RememberAccepted(session);
      return;
    case ctl::Configure:
      ConfigurePort(session, session.port_list.SelectedPort());
      return;
    default:
      return;
  }
}

void RememberAccepted(Session& session) {
  if (!session.port) return;
  session.accepted = session.settings;
  Ports().Confirm(session.settings.port);
}

void OnTimer(Session& session) { QueryTick(session); }

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
