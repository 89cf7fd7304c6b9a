// The text form of the file store: the format of registry export files.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\TRESOL\Ventrix Test]
//   "Port"="3"
//   "Count"=dword:0000000a
//   "Blob"=hex:01,02,03
//   @="the key's default value"
//
// Text values are stored as their bytes (code page 1252), with "\\" and "\""
// escaped inside the quotes. A text value that cannot be written in quotes
// (a line break or a zero byte inside, or no terminating zero) is written as
// hex(1), which reads back to the same bytes. Other types are written as
// hex(n). The reader also takes "REGEDIT4", blank lines, comments starting
// with ';', CRLF line ends, a UTF-8 byte order mark, spaces around '=',
// deletion lines ([-key], "name"=-) and hex lists continued with '\'.
//
// The file is read value by value: a line of a key that cannot be read as a
// value (a value typed wrongly, a stray word) is kept with its key as an
// UnreadLine and written back after the key's values; the other values
// count. Only a fault that leaves the structure unknown makes the whole text
// no store: no header, a bad key line, a value line before any key, a zero
// byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/registry_tree.h"

namespace tapix {

inline constexpr std::string_view kStoreHeader = "Windows Registry Editor Version 5.00";

// Reads a store text into tree (which should be empty). False when the text is
// not a store; then *error_line (when given) is the 1-based line of the first
// fault and tree holds what was read before it. Lines that could not be read
// as values are in the keys' Unread().
bool ParseStore(std::string_view text, RegistryTree& tree, std::size_t* error_line = nullptr);

// The store text of tree, each key's unread lines after its values. Key
// paths and value names must not hold a line feed.
std::string WriteStore(const RegistryTree& tree);

}  // namespace tapix
