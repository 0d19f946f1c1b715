// How far a long render has come, told on stderr: on a terminal one line
// redrawn in place (frames done of all, the scene's time reached, the time
// taken and the time left), ending at 100 %; elsewhere (a pipe, a file) a
// line of what was done at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace coderain {

class Progress {
 public:
  // `frames` to make, into `what` (the file's name), told on `out` (none:
  // nothing is told); `terminal`: `out` is one.
  Progress(std::FILE* out, bool terminal, std::int64_t frames, std::string what);
  // Frame `done` of all (counted from 1) was made, of the scene at `sceneMs`.
  void Made(std::int64_t done, std::int64_t sceneMs);
  // The work was cut short: the line in place ends where it was.
  void Stopped();
  // All is written.
  void Finished();

 private:
  void Draw(std::int64_t done, std::int64_t sceneMs);
  double Elapsed() const;

  std::FILE* out_;
  bool terminal_;
  std::int64_t frames_;
  std::string what_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawn_{};
  bool shown_ = false;  // a line is drawn in place
  std::int64_t firstMs_ = -1, lastMs_ = 0;
};

// The time as a line shows it: "12.3 s", or "4:05" past a minute and
// "1:02:03" past an hour.
std::string ShownTime(double seconds);

}  // namespace coderain
