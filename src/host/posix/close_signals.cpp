#include "host/posix/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace coderain {

namespace {

volatile std::sig_atomic_t requested = 0;
volatile std::sig_atomic_t resets = 0;
int pipeFds[2] = {-1, -1};

void OnWatchdog(int) {
  // Only a close request starts the watchdog; an alarm from anywhere else
  // changes nothing.
  const int sig = requested;
  if (sig == 0) return;
  // The loop did not get to close the scene within a second.
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(1);
}

void OnClose(int sig) {
  if (requested != 0) return;
  requested = sig;
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(pipeFds[1], &byte, 1);
  alarm(1);
}

void OnReset(int) {
  resets = resets + 1;
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(pipeFds[1], &byte, 1);
}

}  // namespace

bool CloseSignals::Install() {
  if (pipeFds[0] < 0 && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa {};
  sigemptyset(&sa.sa_mask);
  sa.sa_handler = OnWatchdog;
  sigaction(SIGALRM, &sa, nullptr);
  sa.sa_handler = OnClose;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
  sa.sa_handler = OnReset;
  sigaction(SIGUSR1, &sa, nullptr);
  // A connection that breaks in the middle of a write is the display's to
  // report, in its own words, rather than a silent death.
  sa.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &sa, nullptr);
  return true;
}

int CloseSignals::Fd() const { return pipeFds[0]; }

int CloseSignals::Requested() const { return requested; }

unsigned CloseSignals::Resets() const { return static_cast<unsigned>(resets); }

void CloseSignals::Drain() const {
  char bytes[64];
  while (read(pipeFds[0], bytes, sizeof bytes) > 0) {
  }
}

void CloseSignals::DieBySignal(int sig) {
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(1);
}

}  // namespace coderain
