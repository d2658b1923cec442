#pragma once

#include <string>

// An interrupted, terminated or hung-up run (SIGINT, SIGTERM, SIGHUP) stops
// every file from being put in place, removes its private working folder and
// then, last, the unfinished new files beside their targets, and ends as the
// signal would have ended it. The targets stay as they were.
//
// The signals are blocked in every thread and taken by one thread of their
// own with sigwait, so the removal is ordinary code, not a signal handler.
// From the signal on, the run prints nothing more, and a main thread that
// finishes meanwhile (its files gone) waits for the signal to end the
// process instead of ending it with an exit status of its own.
namespace interruptcleanup {

// Call first in main, before any other thread starts: threads take the
// blocked signals from the thread that starts them.
void Install();

// The folder to remove when a signal comes (empty: none).
void SetFolder(const std::string& path);

} // namespace interruptcleanup
