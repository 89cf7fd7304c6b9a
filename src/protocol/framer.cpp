#include "protocol/framer.h"

#include <cstdio>

#include "protocol/check.h"

namespace tapix {

Frame Framer::Close(bool complete) {
  Frame frame;
  frame.message = open_;
  frame.text = std::move(text_);
  frame.complete = complete;
  frame.first = first_;
  if (complete && checksum_) {
    // The check stops at the first 0 byte, as on the C string it was made for.
    frame.check = VerifyCheck(frame.text.c_str(), &frame.expected) ? CheckResult::Good
                                                                    : CheckResult::Bad;
  }
  open_ = nullptr;
  text_.clear();
  wanted_ = 0;
  last_rest_byte_.reset();
  return frame;
}

std::optional<std::chrono::steady_clock::time_point> Framer::Deadline() const {
  if (!open_) return std::nullopt;
  if (!last_rest_byte_) return total_deadline_;
  const auto gap = *last_rest_byte_ + timeouts_.interval;
  return gap < total_deadline_ ? gap : total_deadline_;
}

std::optional<Frame> Framer::Expire(std::chrono::steady_clock::time_point now) {
  const auto deadline = Deadline();
  if (deadline && now > *deadline) return Close(false);
  return std::nullopt;
}

std::optional<Frame> Framer::Cut() {
  if (!open_) return std::nullopt;
  return Close(false);
}

Framer::Findings Framer::Feed(unsigned char byte, const ByteTime& when,
                              const OptionFlags& options) {
  Findings findings;
  findings.cut = Expire(when.steady);
  if (open_) {
    text_.push_back(static_cast<char>(byte));
    last_rest_byte_ = when.steady;
    if (text_.size() == wanted_) findings.found = Close(true);
    return findings;
  }
  const MessageSpec* message = MessageStartedBy(byte);
  const std::size_t rest =
      message ? RestLength(*message, options, options.Checksum != 0) : 0;
  if (rest == 0) {
    // A single character, or a byte that starts no message: a frame of its own.
    Frame single;
    single.message = message;
    single.text.assign(1, static_cast<char>(byte));
    single.first = when;
    findings.found = std::move(single);
    return findings;
  }
  if (next_timeouts_) {
    timeouts_ = *next_timeouts_;
    next_timeouts_.reset();
  }
  open_ = message;
  text_.assign(1, static_cast<char>(byte));
  wanted_ = 1 + rest;
  checksum_ = options.Checksum != 0 && message->check;
  first_ = when;
  total_deadline_ = when.steady + timeouts_.per_char * static_cast<int>(rest) + timeouts_.constant;
  return findings;
}

std::string FrameLine(const Frame& frame) {
  const unsigned char first = frame.text.empty() ? 0 : static_cast<unsigned char>(frame.text[0]);
  if (!frame.message) {
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c (%02X) unerwartet\n", first,
                                static_cast<unsigned>(first));
    return std::string(line, static_cast<std::size_t>(n));
  }
  // Log lines carry the received bytes as they came. A 0 byte inside a text
  // would end it as a C string; the log shows every byte that arrived, so
  // nothing read from the line goes unrecorded.
  std::string line = frame.text;
  if (frame.message->Fields().empty()) return line + frame.message->tail + "\n";
  if (!frame.complete) return line + " timeout\n";
  if (frame.check != CheckResult::Bad) return line + "\n";
  line += " Fehler Chksumme (";
  line += frame.expected;  // any byte, 0 included
  return line + ")\n";
}

std::string AnswerLine(char answer) { return std::string{answer, '\n'}; }

}  // namespace tapix
