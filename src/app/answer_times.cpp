#include "app/answer_times.h"

#include "app/answers.h"

namespace tapix {
namespace {

bool IsAnswer(const MessageSpec& message) { return message.reply == Reply::None; }

// How many answers a request waits for: one per unit for a cancellation
// read with its quantity, else one.
int AnswersWanted(const MessageSpec& request, std::string_view text, const OptionFlags& options) {
  if (request.reply != Reply::PerUnit || !options.CreditQuantity) return 1;
  const int units = CancellationUnits(text);
  return units < 1 ? 1 : units;
}

}  // namespace

Direction OtherWay(Direction direction) {
  switch (direction) {
    case Direction::FromPeer: return Direction::ToPeer;
    case Direction::ToPeer: return Direction::FromPeer;
    case Direction::FromRegister: return Direction::FromDispenser;
    case Direction::FromDispenser: return Direction::FromRegister;
  }
  return direction;
}

const MessageSpec* MessageOfEvent(const TrafficEvent& event) {
  if (event.kind == TrafficKind::Received) return event.frame.message;
  if (event.kind == TrafficKind::Written && event.written > 0)
    return MessageStartedBy(static_cast<unsigned char>(event.bytes[0]));
  return nullptr;
}

std::string_view TextOfEvent(const TrafficEvent& event) {
  if (event.kind == TrafficKind::Received) return event.frame.text;
  if (event.kind == TrafficKind::Written)
    return std::string_view(event.bytes).substr(0, event.written);
  return event.bytes;
}

void AnswerTimes::Take(TrafficEvent& event, const OptionFlags& options) {
  const MessageSpec* message = MessageOfEvent(event);
  if (!message) return;
  const OptionFlags& read_under = event.kind == TrafficKind::Received ? event.frame.options : options;
  std::optional<Waiting>& other = waiting_[static_cast<std::size_t>(OtherWay(event.direction))];
  const bool answers_record_query =
      message->kind == Kind::Record && other && other->request->kind == Kind::RecordQuery;
  if ((IsAnswer(*message) || answers_record_query) && other) {
    event.answers = other->request;
    // Never below 0: a message the loop found waiting late counts at the
    // deadline of the one before it.
    const auto after =
        std::chrono::duration_cast<std::chrono::microseconds>(event.when.steady - other->when.steady);
    event.answer_after = after.count() < 0 ? std::chrono::microseconds(0) : after;
    other->answered = true;
    if (--other->answers_left <= 0) other.reset();
  }
  if (IsAnswer(*message)) return;
  std::optional<Waiting>& own = waiting_[static_cast<std::size_t>(event.direction)];
  if (own && !own->answered) ++unanswered_;
  own = Waiting{message, event.when, AnswersWanted(*message, TextOfEvent(event), read_under), false};
}

std::size_t AnswerTimes::Unanswered(bool at_end) const {
  std::size_t count = unanswered_;
  if (at_end) {
    for (const auto& waiting : waiting_) count += waiting && !waiting->answered ? 1 : 0;
  }
  return count;
}

}  // namespace tapix
