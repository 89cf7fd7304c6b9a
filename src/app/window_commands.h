// The main window's behaviour as the protocol sees it, shared by every front
// end: the Qt window and the headless panel call these with control IDs.
#pragma once

#include <cstdint>

#include "app/session.h"

namespace tapix {

// The window's initialisation: remember it as the main window, tick the boxes
// of the flags that start at 1 (the option list: AutoAnswer, AnswerOk), bind
// the port list to its combo box and fill it, selecting the port of
// PortSettings.
void InitWindow(Session& session, Panel& window);

// The window is going away: the protocol no longer reads it.
void ForgetWindow(Session& session);

// A click (WM_COMMAND) on control `id`:
//  - option boxes copy their box's state into their flag;
//  - the eleven command buttons queue their request, read from the fields
//    the message table names;
//  - 1101 (call only on a completed selection) reselects the port;
//  - 1000 runs the port configuration for the port shown in the combo box;
//  - 1 ("Beenden") ends the loop.
// Every other ID does nothing.
void OnCommand(Session& session, int id);

// After an open or a configuration of the open port: when a port is open, its
// settings are the ones the end of the run saves, and a device path numbered
// for this run is pinned in the port map.
void RememberAccepted(Session& session);

// A tick of the query timer (every kQueryTimerMs).
void OnTimer(Session& session);

// The port configuration for port n (the combo box's selection): shows the
// front end's dialog with the open port's settings or the defaults for port n;
// on OK the DCB replaces that of PortSettings and is applied to an open port.
// Nothing for n < 1 or when no dialog is available.
void ConfigurePort(Session& session, std::uint32_t n);

}  // namespace tapix
