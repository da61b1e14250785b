// The signals that ask a tool to stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE) only set a flag,
// which the tool looks at where it can stop cleanly: ulvo-render between two blocks, removing its
// temporary file and then raising the signal again so that the shell sees which one ended it;
// ulvo-play in its main loop, saving its state and exiting with 0, as a session manager's SIGTERM
// is how it is meant to quit. SIGXFSZ is ignored: a write past the file-size limit then fails
// and is reported like a full disk, instead of killing the program with its temporary file in
// place.
#pragma once

#include <atomic>
#include <string>

void installStopSignals();

// Set by the first stop signal.
const std::atomic<bool>& stopRequested();

// The first stop signal caught, or 0.
int caughtSignal();

// "interrupted by SIGTERM".
std::string interruptionText();

// Ends the program as the caught signal would have: its default action, with exit status
// 128 + its number. A SIGQUIT leaves no core file: it is how a user stops a render, not a crash.
[[noreturn]] void dieOfCaughtSignal();
