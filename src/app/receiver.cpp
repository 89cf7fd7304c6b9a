#include "app/receiver.h"

#include "protocol/framer.h"
#include "app/dispenser.h"
#include "app/scenario.h"

namespace tapix {

void DispatchByte(Session& session, unsigned char first) {
  // The port's read time-outs decide where a message ends, so the framer is
  // fed without a clock: it measures lengths, checks and makes the lines.
  Framer framer;
  const ByteTime at{};
  Framer::Findings findings = framer.Feed(first, at, session.options);
  std::optional<Frame> frame = std::move(findings.found);
  if (!frame) {
    // A message with fields: read the rest of it in one read.
    const std::size_t wanted = framer.Missing();
    unsigned char rest[kLongestMessage];
    std::size_t got = session.port ? session.port->Read(rest, wanted) : 0;
    if (got > wanted) got = wanted;
    for (std::size_t i = 0; i < got; ++i) {
      findings = framer.Feed(rest[i], at, session.options);
      if (findings.found) frame = std::move(findings.found);
    }
    if (!frame) frame = framer.Cut();
  }
  session.console->Log(FrameLine(*frame));
  AnswerMessage(session, *frame);
  if (session.scenario) session.scenario->Received(*frame, std::chrono::steady_clock::now());
}

}  // namespace tapix
