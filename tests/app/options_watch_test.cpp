// The options watch on a session: what the receiver reads reaches it as
// traffic, and its surveys run when the loop's deadlines say.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/events.h"
#include "app/exit_codes.h"
#include "app/options_watch.h"
#include "protocol/messages.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using std::chrono::seconds;

// Messages with fields as a sender with `options` writes them.
std::vector<std::string> Sent(const OptionFlags& options) {
  const bool check = options.Checksum != 0;
  return {
      Compose(MessageOf(Kind::WaiterRelease), {5, 0, 0}, options, check),
      Compose(MessageOf(Kind::TableOccupancy), {12, 7, 0}, options, check),
      Compose(MessageOf(Kind::CreditRelease), {2, 345, 0}, options, check),
      Compose(MessageOf(Kind::WaiterCreditCancel), {1, 33, 4711}, options, check),
  };
}

OptionFlags With(std::uint32_t OptionFlags::*flag) {
  OptionFlags options;
  options.*flag = 1;
  return options;
}

struct Watched : testing::SessionFixture {
  void Watch(OptionsWatch made) {
    watch.emplace(std::move(made));
    session.observers.push_back(&*watch);
    session.options_watch = &*watch;
  }
  // The messages, each in a read of its own, and the deadlines that passed
  // after each, as the loop does them.
  void Play(const std::vector<std::string>& messages) {
    for (const std::string& message : messages) {
      Receive(message);
      OnTimeout(session, now);
    }
  }
  std::size_t Count(const std::string& part) const {
    std::size_t n = 0;
    for (std::size_t at = console.log_.find(part); at != std::string::npos;
         at = console.log_.find(part, at + 1))
      ++n;
    return n;
  }
  std::optional<OptionsWatch> watch;
};

// Each option set otherwise on the sender: the hint names the sender's
// setting once, whatever else comes, and the options stay as they were.
// Noise before the traffic (a device switched on) does not keep it back.
TEST(OptionsWatch, TheHintNamesTheSendersSettingOnceAndChangesNothing) {
  for (const auto flag : {&OptionFlags::Checksum, &OptionFlags::Waiter3, &OptionFlags::CreditQuantity}) {
    Watched line;
    line.Watch(OptionsWatch::Hint(line.session));
    const OptionFlags before = line.session.options;
    line.Play({std::string("\x01\xFF\x02", 3), "A00"});
    for (int round = 0; round < 4; ++round) line.Play(Sent(With(flag)));
    EXPECT_EQ(line.console.log_.find("Hinweis: Der Verkehr passt zu " +
                                     Combination::Of(With(flag)).Describe() + "\n") != std::string::npos,
              true)
        << line.console.log_;
    EXPECT_EQ(line.Count("Hinweis:"), 1u) << line.console.log_;
    EXPECT_EQ(Combination::Of(line.session.options), Combination::Of(before));
  }
}

// Traffic the options read, or noise no setting reads: no hint, and no
// survey is even due while nothing goes wrong.
TEST(OptionsWatch, NoHintForTrafficTheOptionsReadOrForNoise) {
  Watched line;
  line.Watch(OptionsWatch::Hint(line.session));
  for (int round = 0; round < 4; ++round) line.Play(Sent(OptionFlags{}));
  EXPECT_FALSE(line.watch->Deadline());
  line.Play({"\x01\x02", "A005"});
  for (int round = 0; round < 4; ++round) line.Play(Sent(OptionFlags{}));
  EXPECT_EQ(line.Count("Hinweis:"), 0u) << line.console.log_;
  // Once the survey has told, nothing is due until the next fault.
  EXPECT_FALSE(line.watch->Deadline());
}

// The diagnosis ends once enough messages are explained, with the evidence
// of all eight settings; on noise it ends when its time is up, with 1.
TEST(OptionsWatch, TheDiagnosisEndsWithItsEvidenceAndTheExitCode) {
  {
    Watched line;
    line.Watch(OptionsWatch::Detect(line.session, line.now, seconds(600)));
    for (int round = 0; round < 8 && !line.session.quit_requested; ++round)
      line.Play(Sent(With(&OptionFlags::Checksum)));
    EXPECT_TRUE(line.session.quit_requested);
    EXPECT_EQ(line.session.exit_code, kExitNormal);
    EXPECT_EQ(line.Count(" Nachrichten, "), Combination::kCount);
    EXPECT_EQ(line.Count(" (eingestellt)\n"), 1u);
    EXPECT_NE(line.console.log_.find("Ergebnis: Der Verkehr passt zu " +
                                     Combination::Of(With(&OptionFlags::Checksum)).Describe()),
              std::string::npos)
        << line.console.log_;
  }
  {
    Watched line;
    const auto start = line.now;
    line.Watch(OptionsWatch::Detect(line.session, start, seconds(30)));
    line.Receive(std::string("\x01\x02\xFF", 3));
    line.now = start + seconds(31);
    ASSERT_TRUE(line.watch->Deadline());
    EXPECT_LE(*line.watch->Deadline(), line.now);
    OnTimeout(line.session, line.now);
    EXPECT_TRUE(line.session.quit_requested);
    EXPECT_EQ(line.session.exit_code, kExitNotExplained);
    EXPECT_NE(line.console.log_.find("Ergebnis: keine Kombination"), std::string::npos);
    EXPECT_FALSE(line.watch->Deadline());
  }
}

}  // namespace
}  // namespace tapix
