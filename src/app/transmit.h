// Writing a text to the port with the console echo of what went out.
#pragma once

#include "app/session.h"

namespace tapix {

// True when the window's "Prüfsumme" box asks for a check character; without a
// window the Checksum flag answers, which the box always mirrors.
bool ChecksumBoxTicked(const Session& session);

// Writes the zero-terminated text with one write, echoes each byte written
// straight to the console, prints " timeout (%s)" with the whole text when the
// write was short, and ends the echo with a line feed. Without an open port
// nothing goes out and the text counts as a short write.
void WriteWithEcho(Session& session, const char* text);

}  // namespace tapix
