// SIGINT and SIGTERM ask the player to stop; the main loop looks, and quits cleanly.
#pragma once

// [main thread, at start]
void catchStopSignals();
// [main thread] The signal that asked to stop, or 0.
int stopSignal();
