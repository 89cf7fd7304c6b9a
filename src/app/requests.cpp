#include "app/requests.h"

#include <cstdio>

#include "protocol/catalogue.h"
#include "app/control_ids.h"
#include "app/transmit.h"

namespace tapix {
namespace {

// A number field as GetDlgItemInt reads it signed, then taken as unsigned
// 32-bit for the reductions (-1 becomes 4294967295).
std::uint32_t Field(const Session& session, int id) {
  if (!session.window) return 0;
  return static_cast<std::uint32_t>(ReadSignedField(*session.window, id));
}

char Flag(const Session& session, int id) {
  return session.window && session.window->IsChecked(id) ? '1' : '0';
}

void QueueQuery(Session& session) {
  // "E" never carries a check character.
  session.pending.text[0] = 'E';
  session.pending.text[1] = '\0';
  session.pending.SendPending = 1;
}

}  // namespace

bool IsHostCommand(int id) {
  switch (id) {
    case ctl::BtnA: case ctl::BtnE: case ctl::BtnB: case ctl::BtnW: case ctl::BtnT:
    case ctl::BtnC: case ctl::BtnK: case ctl::BtnS: case ctl::BtnQ: case ctl::BtnLowerQ:
    case ctl::BtnAt:
      return true;
    default:
      return false;
  }
}

void HostCommand(Session& session, int id) {
  if (session.pending.SendPending) return;
  if (id == ctl::BtnE) {
    QueueQuery(session);
    return;
  }
  char* out = session.pending.text;
  const std::size_t size = sizeof session.pending.text;
  const bool quantity = session.options.CreditQuantity != 0;
  switch (id) {
    case ctl::BtnA:
      std::snprintf(out, size, "A%03u", ReduceWaiter(Field(session, ctl::FieldAWaiter)));
      break;
    case ctl::BtnB:
      std::snprintf(out, size, "B%03u", ReduceWaiter(Field(session, ctl::FieldBWaiter)));
      break;
    case ctl::BtnC:
      std::snprintf(out, size, "C%03u", ReduceWaiter(Field(session, ctl::FieldCWaiter)));
      break;
    case ctl::BtnW:
      std::snprintf(out, size, "W%03u%c", ReduceWaiter(Field(session, ctl::FieldWWaiter)),
                    Flag(session, ctl::BoxWFlag));
      break;
    case ctl::BtnT:
      std::snprintf(out, size, "T%03u%03u%c", ReduceWaiter(Field(session, ctl::FieldTWaiter)),
                    ReduceTable(Field(session, ctl::FieldTTable)), Flag(session, ctl::BoxTFlag));
      break;
    case ctl::BtnK:
      if (quantity) {
        std::snprintf(out, size, "K%04u%04u", ReduceQuantity(Field(session, ctl::FieldKQuantity)),
                      ReducePlu(Field(session, ctl::FieldKPlu)));
      } else {
        std::snprintf(out, size, "K%04u", ReducePlu(Field(session, ctl::FieldKPlu)));
      }
      break;
    case ctl::BtnS:
      if (quantity) {
        std::snprintf(out, size, "S%04u%04u", ReduceQuantity(Field(session, ctl::FieldSQuantity)),
                      ReducePlu(Field(session, ctl::FieldSPlu)));
      } else {
        std::snprintf(out, size, "S%04u", ReducePlu(Field(session, ctl::FieldSPlu)));
      }
      break;
    case ctl::BtnQ:
    case ctl::BtnLowerQ: {
      const bool upper = id == ctl::BtnQ;
      const char letter = upper ? 'Q' : 'q';
      const std::uint32_t waiter =
          ReduceWaiter(Field(session, upper ? ctl::FieldQWaiter : ctl::FieldqWaiter));
      const std::uint32_t plu = ReducePlu(Field(session, upper ? ctl::FieldQPlu : ctl::FieldqPlu));
      if (quantity) {
        const std::uint32_t units =
            ReduceQuantity(Field(session, upper ? ctl::FieldQQuantity : ctl::FieldqQuantity));
        std::snprintf(out, size, "%c%04u%03u%04u", letter, units, waiter, plu);
      } else {
        std::snprintf(out, size, "%c%03u%04u", letter, waiter, plu);
      }
      break;
    }
    case ctl::BtnAt: {
      const std::uint32_t raw = Field(session, ctl::FieldAtWaiter);
      const std::uint32_t table = ReduceTable(Field(session, ctl::FieldAtTable));
      if (session.options.Waiter3) {
        std::snprintf(out, size, "@%03u%03u", table, ReduceWaiter(raw));
      } else {
        std::snprintf(out, size, "@%03u%02u", table, ReduceWaiter2(raw));
      }
      break;
    }
    default:
      return;  // not a command button: the slot stays as it is
  }
  if (ChecksumBoxTicked(session)) AppendCheck(out);
  session.pending.SendPending = 1;
}

void QueryTick(Session& session) {
  if (session.options.AutoQuery && !session.pending.SendPending) QueueQuery(session);
}

}  // namespace tapix
