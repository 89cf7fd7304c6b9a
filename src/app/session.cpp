#include "app/session.h"

namespace tapix {

void ResetOptions(Session& session) {
  session.options.CreditQuantity = 0;
  session.options.Waiter3 = 0;
  session.options.Checksum = 0;
  session.options.AnswerOk = 1;
  session.options.AutoAnswer = 1;
  session.options.AutoQuery = 0;
  session.options.SendRecord = 0;
  session.pending.SendPending = 0;
}

}  // namespace tapix
