#include "app/tap_start.h"

#include "app/port_open.h"
#include "serial/port.h"
#include "serial/port_map.h"

namespace tapix {

std::uint32_t TapPortNumber(const std::string& second) {
  if (!second.empty() && second[0] == '/') return ProcessPortMap().NumberFor(second);
  std::string digits = second;
  if (digits.rfind("COM", 0) == 0 || digits.rfind("com", 0) == 0) digits.erase(0, 3);
  if (digits.empty() || digits.size() > 3) return 0;
  std::uint32_t number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return number;
}

std::unique_ptr<Tap> StartTap(Session& session, const std::string& second, bool forward) {
  Console& console = *session.console;
  PortSettings other_settings = session.settings;
  other_settings.port = TapPortNumber(second);
  std::unique_ptr<SerialDevice> other;
  if (other_settings.port == 0 || other_settings.port == session.settings.port) {
    std::string shown;
    for (char c : second) shown.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    Logf(console, "Zweite Schnittstelle \"%s\" ung\xFCltig: eine andere Nummer oder ein Ger\xE4tepfad.\n",
         shown.c_str());
  } else {
    OpenAndReport(session, other_settings, other, Direction::FromDispenser);
  }
  if (!session.port || !other) {
    console.Log("Ende: Mith\xF6ren braucht beide Schnittstellen.\n");
    return nullptr;
  }
  session.tap_ports[Tap::Register] = session.settings.port;
  session.tap_ports[Tap::Dispenser] = other_settings.port;
  Logf(console, "%s: Kasse an COM%u, Schankanlage an COM%u\n",
       forward ? "Mith\xF6ren und weiterleiten" : "Nur mith\xF6ren (nichts weiterleiten)",
       session.settings.port, other_settings.port);
  return std::make_unique<Tap>(std::move(session.port), std::move(other), forward, session.options,
                               [&session](TrafficBatch& events) { Publish(session, events); });
}

}  // namespace tapix
