#include "main/web/page_options.h"

#include "core/base/whole_number.h"
#include "core/run/launch_request.h"
#include "core/run/output_fit.h"

namespace coderain {

namespace {

// Lines about options set aside, at most: an address of thousands of them
// gets a count, not a console of lines.
constexpr int kMaxNotes = 8;

}  // namespace

PageOptions ParsePageOptions(std::string_view fragment, std::vector<std::string>* notes) {
  PageOptions o;
  int setAside = 0;
  if (!fragment.empty() && fragment[0] == '#') fragment.remove_prefix(1);
  while (!fragment.empty()) {
    const std::size_t amp = fragment.find('&');
    const std::string_view part = fragment.substr(0, amp);
    fragment = amp == std::string_view::npos ? std::string_view() : fragment.substr(amp + 1);
    if (part.empty()) continue;
    const std::size_t eq = part.find('=');
    const std::string_view name = part.substr(0, eq);
    const bool hasValue = eq != std::string_view::npos;
    const std::string_view value = hasValue ? part.substr(eq + 1) : std::string_view();
    std::string why;
    if (name == "seed") {
      std::uint64_t seed = 0;
      if (hasValue && ParseWholeNumber<std::uint64_t>(value, 0, UINT64_MAX, &seed))
        o.seed = seed;
      else
        why = "a seed is a whole number from 0 to 2^64 - 1";
    } else if (name == "at") {
      std::int64_t ms = 0;
      if (hasValue && ParseWholeNumber<std::int64_t>(value, 0, kMaxPageAtMs, &ms))
        o.atMs = ms;
      else
        why = "a time is a whole number of ms from 0 to " + std::to_string(kMaxPageAtMs);
    } else if (name == "scale") {
      int scale = 0;
      if (hasValue && ParseWholeNumber(value, 1, kMaxScale, &scale))
        o.scale = scale;
      else
        why = "a scale is a whole number from 1 to " + std::to_string(kMaxScale);
    } else if (name == "fps") {
      int fps = 0;
      if (hasValue && ParseWholeNumber(value, 1, FrameRate::kMaxFps, &fps))
        o.fps = fps;
      else
        why = "a frame rate is a whole number from 1 to " + std::to_string(FrameRate::kMaxFps);
    } else if (name == "wallpaper" || name == "stats") {
      if (!hasValue)
        (name == "stats" ? o.stats : o.wallpaper) = true;
      else
        why = std::string(name) + " takes no value";
    } else {
      why = "not an option of this page";
    }
    if (why.empty()) continue;
    if (++setAside <= kMaxNotes && notes) notes->push_back("coderain: " + Printable(part) + " ignored: " + why);
  }
  if (setAside > kMaxNotes && notes)
    notes->push_back("coderain: " + std::to_string(setAside - kMaxNotes) + " more options ignored");
  return o;
}

}  // namespace coderain
