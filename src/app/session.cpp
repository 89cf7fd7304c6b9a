#include "app/session.h"

namespace tapix {

void ResetOptions(Session& session) {
  session.options = OptionFlags();
  session.pending.SendPending = 0;
}

}  // namespace tapix
