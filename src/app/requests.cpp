#include "app/requests.h"

#include <cstring>
#include <string>

namespace tapix {

bool IsHostCommand(int id) { return MessageOfButton(id) != nullptr; }

void QueueRequest(PendingRequest& pending, const MessageSpec& message, const FieldValues& values,
                  const OptionFlags& options, bool check) {
  if (pending.SendPending) return;
  const std::string text = Compose(message, values, options, check);
  // The longest request is 13 characters; the slot holds 99 and the 0.
  const std::size_t length =
      text.size() < sizeof pending.text ? text.size() : sizeof pending.text - 1;
  std::memcpy(pending.text, text.data(), length);
  pending.text[length] = '\0';
  pending.SendPending = 1;
}

void QueryTick(PendingRequest& pending, const OptionFlags& options) {
  if (options.AutoQuery) QueueRequest(pending, MessageOf(Kind::RecordQuery), {}, options, false);
}

}  // namespace tapix
