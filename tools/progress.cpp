#include "progress.h"

#include <cmath>
#include <utility>

#include "render_options.h"

namespace coderain {

namespace {

// A line redrawn more often than this only flickers.
constexpr std::chrono::milliseconds kRedraw{250};

}  // namespace

std::string ShownTime(double seconds) {
  char text[32];
  const long whole = std::lround(std::floor(seconds));
  if (whole < 60)
    std::snprintf(text, sizeof text, "%.1f s", std::floor(seconds * 10) / 10);
  else if (whole < 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

Progress::Progress(std::FILE* out, bool terminal, std::int64_t frames, std::string what)
    : out_(out), terminal_(terminal), frames_(frames), what_(std::move(what)) {}

double Progress::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::Made(std::int64_t done, std::int64_t sceneMs) {
  if (firstMs_ < 0) firstMs_ = sceneMs;
  lastMs_ = sceneMs;
  if (!out_ || !terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done < frames_ && shown_ && now - drawn_ < kRedraw) return;
  drawn_ = now;
  Draw(done, sceneMs);
}

void Progress::Draw(std::int64_t done, std::int64_t sceneMs) {
  const double elapsed = Elapsed();
  const double left = done > 0 ? elapsed * static_cast<double>(frames_ - done) / static_cast<double>(done) : 0;
  // Back to the start of the line, the new text, the rest of the old one
  // cleared.
  std::fprintf(out_, "\r%s: frame %lld of %lld (%lld %%), scene at %s, %s taken, %s left\033[K", kRenderProgram,
               static_cast<long long>(done), static_cast<long long>(frames_),
               static_cast<long long>(done * 100 / frames_), ShownTime(static_cast<double>(sceneMs) / 1000).c_str(),
               ShownTime(elapsed).c_str(), ShownTime(left).c_str());
  std::fflush(out_);
  shown_ = true;
}

void Progress::Stopped() {
  if (shown_) std::fputs("\n", out_);
  shown_ = false;
}

void Progress::Finished() {
  if (!out_ || terminal_) return Stopped();
  std::fprintf(out_, "%s: wrote %s: %lld frames, the scene from %lld ms to %lld ms, in %s\n", kRenderProgram,
               what_.c_str(), static_cast<long long>(frames_), static_cast<long long>(firstMs_),
               static_cast<long long>(lastMs_), ShownTime(Elapsed()).c_str());
}

}  // namespace coderain
