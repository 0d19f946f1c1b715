// SIGTERM, SIGINT and SIGHUP as close requests, and SIGUSR1 as a reset.
//
// A request writes a byte into a pipe that the displays' waits watch, so
// the loop wakes at once and hears a close request like any other. It also starts a one-second watchdog: a program
// stuck on a display that has stopped answering cannot close the scene,
// and then ends as the signal would have ended it, so whoever asked is not
// kept waiting.
//
// A screen locker sends its saver SIGUSR1 when the password dialog closes,
// to have it start afresh, and counts a saver that ends on it as one to
// start again: the scenes start anew instead, in the windows they have.
#pragma once

namespace coderain {

class CloseSignals {
 public:
  // Installs the handlers (once per process), and ignores SIGPIPE. Returns
  // false when the pipe cannot be made.
  bool Install();
  // The read end of the pipe, for a display's wait.
  int Fd() const;
  // The signal that asked to close, or 0.
  int Requested() const;
  // How many resets have come so far.
  unsigned Resets() const;
  // Empties the pipe once it has woken the wait; a signal that comes after
  // writes again.
  void Drain() const;
  // Ends the process by signal `sig` (one that asked to close), with its
  // default action: the way a screen-saver daemon expects the programs it
  // runs to end.
  [[noreturn]] static void DieBySignal(int sig);
};

}  // namespace coderain
