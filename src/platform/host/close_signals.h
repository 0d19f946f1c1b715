// SIGTERM, SIGINT and SIGHUP as close requests.
//
// A request writes a byte into a pipe that the program's wait watches, so
// the loop wakes at once. It also starts a one-second watchdog: a program
// stuck on a display that has stopped answering cannot close the scene,
// and then ends as the signal would have ended it, so whoever asked is not
// kept waiting.
#pragma once

namespace coderain {

class CloseSignals {
 public:
  // Installs the handlers (once per process). Returns false when the pipe
  // cannot be made.
  bool Install();
  // The read end of the pipe, for the loop's wait.
  int Fd() const;
  // The signal that asked to close, or 0.
  int Requested() const;
  // Ends the process by the signal that asked to close, with its default
  // action: the way a screen-saver daemon expects the programs it runs to
  // end.
  [[noreturn]] void DieBySignal() const;
};

}  // namespace coderain
