// The options replay on bytes from both directions of a line: the first byte
// chooses the current options (fuzz_options.h), the window's size and how
// many messages the verdict asks for; then each pair is a pause (low 7 bits,
// in ms; the high bit: the other direction) and a byte. Each window keeps at
// most its size, the newest bytes in order with times that never go back;
// the survey adds up what the framer found; the verdict names only a
// combination that reads everything cleanly with enough messages, and of
// those the closest to the current options, or says that two tie.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_options.h"
#include "protocol/options_replay.h"

namespace {

void CheckWindow(const tapix::ByteWindow& window, const std::string& fed) {
  const auto& bytes = window.Bytes();
  if (bytes.size() > window.Capacity() || bytes.size() > fed.size()) std::abort();
  const std::size_t skipped = fed.size() - bytes.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i].value != static_cast<unsigned char>(fed[skipped + i])) std::abort();
    if (i > 0 && bytes[i].when < bytes[i - 1].when) std::abort();
  }
}

bool Sufficient(const tapix::Evidence& evidence, std::size_t least) {
  return evidence.Clean() && evidence.with_fields >= least;
}

void CheckVerdict(const tapix::Survey& survey, const tapix::Verdict& verdict,
                  tapix::Combination current, std::size_t least) {
  using Outcome = tapix::Verdict::Outcome;
  int closest = 4;
  int closest_count = 0;
  bool any_clean = false;
  for (std::size_t i = 0; i < tapix::Combination::kCount; ++i) {
    any_clean |= survey[i].Clean();
    if (!Sufficient(survey[i], least)) continue;
    const int d = tapix::Combination::FromIndex(i).Distance(current);
    if (d < closest) {
      closest = d;
      closest_count = 0;
    }
    if (d == closest) ++closest_count;
  }
  const auto& best = survey[verdict.best.Index()];
  switch (verdict.outcome) {
    case Outcome::Explained:
      if (!Sufficient(best, least) || closest_count != 1) std::abort();
      if (verdict.best.Distance(current) != closest) std::abort();
      break;
    case Outcome::Tied:
      if (closest_count < 2 || verdict.best == verdict.other) std::abort();
      if (!Sufficient(survey[verdict.other.Index()], least)) std::abort();
      if (verdict.best.Distance(current) != closest || verdict.other.Distance(current) != closest)
        std::abort();
      break;
    case Outcome::TooLittle:
      if (closest_count != 0 || !best.Clean()) std::abort();
      break;
    case Outcome::None:
      if (any_clean) std::abort();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const tapix::OptionFlags options = tapix::fuzz::OptionsFromBits(data[0]);
  const tapix::Combination current = tapix::Combination::Of(options);
  const std::size_t capacity = 64 + 32 * ((data[0] >> 3) & 3);
  const std::size_t least = (data[0] >> 5) & 7;
  tapix::ByteWindow windows[2] = {tapix::ByteWindow(capacity), tapix::ByteWindow(capacity)};
  std::string fed[2];
  auto now = std::chrono::steady_clock::time_point{};
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    now += std::chrono::milliseconds(data[i] & 0x7F);
    const int side = data[i] >> 7;
    const char byte = static_cast<char>(data[i + 1]);
    windows[side].Add(std::string_view(&byte, 1), now);
    fed[side].push_back(byte);
  }
  for (int side = 0; side < 2; ++side) CheckWindow(windows[side], fed[side]);

  const tapix::ByteWindow* both[] = {&windows[0], &windows[1]};
  const tapix::Survey survey = tapix::SurveyWindows(both, now);
  for (std::size_t i = 0; i < tapix::Combination::kCount; ++i) {
    const tapix::Evidence& e = survey[i];
    // Every frame took at least one byte of the windows.
    if (e.messages + e.check_errors + e.timeouts + e.unexpected > windows[0].Size() + windows[1].Size())
      std::abort();
    if (e.with_fields > e.messages) std::abort();
    // Without the check character nothing can fail it.
    if (!(i & 1) && e.check_errors != 0) std::abort();
  }
  CheckVerdict(survey, tapix::Judge(survey, current, least), current, least);

  // After a verdict of none: at most one message's bytes stay, the newest.
  for (int side = 0; side < 2; ++side) {
    windows[side].KeepLatest();
    if (windows[side].Size() > tapix::kLongestMessage) std::abort();
    if (fed[side].size() > 0 && windows[side].Size() == 0) std::abort();
    CheckWindow(windows[side], fed[side]);
  }

  const std::string hint = tapix::HintLine(current);
  if (hint.back() != '\n' || hint.find('\n') != hint.size() - 1) std::abort();
  return 0;
}
