// Bytes from and for the line written as text a person can read and type:
// the failure line of a scenario and its report show what came this way,
// and a scenario's "send" and "expect" are written in the same form.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tapix {

// Printable ASCII as it stands; every other byte as \xNN (two upper-case hex
// digits), the backslash as \\ and the double quote as \x22, so that what is
// shown can be written back into a scenario as it is.
std::string Readable(std::string_view bytes);

// The bytes a scenario's text stands for: \xNN (two hex digits, either case)
// is that byte, \\ a backslash; every other character stands for itself.
// On a backslash that starts neither, none, with `bad_at` set to its offset.
std::optional<std::string> Unescape(std::string_view text, std::size_t* bad_at);

}  // namespace tapix
