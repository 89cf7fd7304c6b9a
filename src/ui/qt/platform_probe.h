// Whether Qt's window platform can start, known before the window program
// builds its QApplication: Qt ends the process (abort) when the platform
// plugin cannot start (a misspelt QT_QPA_PLATFORM, eglfs without a DRM
// device), and a plugin that starts without a screen (linuxfb without a frame
// buffer) ends it at the first window, with the virtual line's link left
// behind and nothing saved.
#pragma once

#include <string>

namespace tapix {

// Starts the platform in a child process and asks it for a screen: true when
// it has one. False, with what Qt said in `why`, when the child failed, died
// or did not answer within `timeout_ms`. True as well when no child can be
// made: the start then goes on as it would have.
bool QtPlatformStarts(std::string& why, int timeout_ms = 10000);

// From here on a fatal Qt message ends the process with the message and exit
// code 2 (a start that cannot go on) instead of an abort.
void EndFatalQtMessagesWithTwo();

}  // namespace tapix
