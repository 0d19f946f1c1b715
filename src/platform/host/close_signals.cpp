#include "platform/host/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace coderain {

namespace {

volatile std::sig_atomic_t requested = 0;
int pipeFds[2] = {-1, -1};

void OnWatchdog(int) {
  // The loop did not get to close the scene within a second.
  const int sig = requested;
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

}  // namespace

bool CloseSignals::Install() {
  if (pipeFds[0] < 0 && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa {};
  sigemptyset(&sa.sa_mask);
  sa.sa_handler = OnWatchdog;
  sigaction(SIGALRM, &sa, nullptr);
  sa.sa_handler = OnClose;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
  return true;
}

int CloseSignals::Fd() const { return pipeFds[0]; }

int CloseSignals::Requested() const { return requested; }

void CloseSignals::DieBySignal() const {
  const int sig = requested != 0 ? requested : SIGTERM;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(1);
}

}  // namespace coderain
