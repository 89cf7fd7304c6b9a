#include "app/options_watch.h"

#include <algorithm>
#include <string>

#include "app/exit_codes.h"
#include "app/session.h"
#include "app/tap.h"
#include "log/console.h"

namespace tapix {
OptionsWatch OptionsWatch::Hint(Session& session) {
  return OptionsWatch(session, Mode::Hint, kHintWindow, {}, {});
}

OptionsWatch OptionsWatch::Detect(Session& session, Time start, std::chrono::seconds listen) {
  return OptionsWatch(session, Mode::Detect, kDetectWindow, start, listen);
}

OptionsWatch::OptionsWatch(Session& session, Mode mode, std::size_t window, Time start,
                           std::chrono::seconds listen)
    : session_(session),
      mode_(mode),
      windows_{ByteWindow(window), ByteWindow(window), ByteWindow(window)},
      start_(start),
      end_(start + listen) {}

ByteWindow* OptionsWatch::WindowOf(Direction direction) {
  switch (direction) {
    case Direction::FromPeer: return &windows_[0];
    case Direction::FromRegister: return &windows_[1];
    case Direction::FromDispenser: return &windows_[2];
    case Direction::ToPeer: return nullptr;  // this side's own writes
  }
  return nullptr;
}

void OptionsWatch::Heard(Direction direction, std::string_view bytes, const ByteTime& when) {
  ByteWindow* window = WindowOf(direction);
  if (finished_ || !window || bytes.empty()) return;
  window->Add(bytes, when.steady);
  fresh_ = true;
}

void OptionsWatch::OnTraffic(const TrafficEvent& event) {
  if (finished_ || mode_ != Mode::Hint || watching_ || !WindowOf(event.direction)) return;
  const bool fault =
      (event.kind == TrafficKind::Received &&
       (!event.frame.complete || event.frame.check == CheckResult::Bad)) ||
      event.kind == TrafficKind::Unexpected;
  if (!fault) return;
  watching_ = true;
  fault_ = event.kind == TrafficKind::Received ? event.frame.first.steady : event.when.steady;
}

std::optional<OptionsWatch::Time> OptionsWatch::Deadline() const {
  if (finished_) return std::nullopt;
  if (mode_ == Mode::Hint) {
    // After a fault: a survey once the next few messages have come, no
    // sooner than a second after the last, and only while bytes come.
    if (!watching_ || !fresh_) return std::nullopt;
    Time due = last_ ? std::max(fault_ + kSurveySettle, *last_ + kSurveyGap) : fault_ + kSurveySettle;
    // Not while a message is half read: its line, stamped with its first
    // byte, would follow the hint's.
    const auto after = [&due](std::optional<Time> cut) {
      if (cut) due = std::max(due, *cut);
    };
    if (session_.port) after(session_.receiver.Deadline());
    if (session_.tap) after(session_.tap->Deadline());
    return due;
  }
  // The diagnosis: its end, and a survey a second after the last while bytes
  // come.
  if (!fresh_) return end_;
  return std::min(end_, (last_ ? *last_ : start_) + kSurveyGap);
}

void OptionsWatch::OnTimeout(Time now) {
  const std::optional<Time> deadline = Deadline();
  if (!deadline || now < *deadline) return;
  if (mode_ == Mode::Detect && now >= end_) {
    Finish(now);
  } else {
    TakeSurvey(now);
  }
}

tapix::Survey OptionsWatch::Look(Time now) const {
  const ByteWindow* windows[] = {&windows_[0], &windows_[1], &windows_[2]};
  return SurveyWindows(windows, now);
}

void OptionsWatch::TakeSurvey(Time now) {
  const tapix::Survey survey = Look(now);
  last_ = now;
  fresh_ = false;
  const Combination current = Combination::Of(session_.options);
  if (mode_ == Mode::Detect) {
    // Ends early only on a verdict that enough messages back, and says that
    // one (a look again now could see a tie on fewer).
    const Verdict verdict = Judge(survey, current, kDetectMessages);
    if (verdict.outcome == Verdict::Outcome::Explained) Conclude(survey, verdict, now);
    return;
  }
  const Verdict verdict = Judge(survey, current, kHintMessages);
  // Too few messages yet to tell: another look once more have come; else
  // the next fault asks again.
  if (verdict.outcome != Verdict::Outcome::TooLittle) watching_ = false;
  // No setting reads what came (noise, or the devices changed their
  // options): the next survey judges what comes from now on.
  if (verdict.outcome == Verdict::Outcome::None) {
    for (ByteWindow& window : windows_) window.KeepLatest();
  }
  if (verdict.outcome != Verdict::Outcome::Explained || verdict.best == current) return;
  const std::size_t bit = std::size_t{1} << verdict.best.Index();
  if ((hinted_ & bit) != 0 || !session_.console) return;
  hinted_ |= bit;
  session_.console->Log(HintLine(verdict.best));
}

void OptionsWatch::Finish(Time now) {
  if (finished_ || mode_ != Mode::Detect) return;
  const tapix::Survey survey = Look(now);
  Conclude(survey, Judge(survey, Combination::Of(session_.options), kHintMessages), now);
}

void OptionsWatch::Conclude(const tapix::Survey& survey, const Verdict& verdict, Time now) {
  finished_ = true;
  Report(survey, verdict, now);
  session_.exit_code =
      verdict.outcome == Verdict::Outcome::Explained ? kExitNormal : kExitNotExplained;
  session_.quit_requested = true;
}

void OptionsWatch::Report(const tapix::Survey& survey, const Verdict& verdict, Time now) {
  if (!session_.console) return;
  Console& console = *session_.console;
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
  console.Log("---- Optionen nach " + std::to_string(seconds) +
              " s Mith\xF6ren (Nachrichten, Fehler Chksumme, timeout, unerwartet) ----\n");
  const Combination current = Combination::Of(session_.options);
  for (std::size_t i = 0; i < Combination::kCount; ++i) {
    const Combination combination = Combination::FromIndex(i);
    const Evidence& e = survey[i];
    console.Log(combination.Describe() + ": " + std::to_string(e.messages) + " Nachrichten, " +
                std::to_string(e.check_errors) + " Fehler Chksumme, " + std::to_string(e.timeouts) +
                " timeout, " + std::to_string(e.unexpected) + " unerwartet" +
                (combination == current ? " (eingestellt)\n" : "\n"));
  }
  switch (verdict.outcome) {
    case Verdict::Outcome::Explained:
      console.Log("Ergebnis: Der Verkehr passt zu " + verdict.best.Describe() + "\n");
      break;
    case Verdict::Outcome::Tied:
      console.Log("Ergebnis: Der Verkehr passt ebenso zu " + verdict.best.Describe() + " wie zu " +
                  verdict.other.Describe() + "\n");
      break;
    case Verdict::Outcome::TooLittle:
      console.Log("Ergebnis: zu wenige Nachrichten, um die Optionen zu erkennen\n");
      break;
    case Verdict::Outcome::None:
      console.Log("Ergebnis: keine Kombination der Optionen erkl\xE4rt den Verkehr\n");
      break;
  }
}

}  // namespace tapix
