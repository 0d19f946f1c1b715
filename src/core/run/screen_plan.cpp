#include "core/run/screen_plan.h"

#include <algorithm>
#include <iterator>

#include "core/run/run_mode.h"

namespace coderain {

namespace {

bool IsFit(const DisplayEvent& e) {
  using Kind = DisplayEvent::Kind;
  return e.kind == Kind::ScreenAdded || e.kind == Kind::Resized || e.kind == Kind::Failed;
}

}  // namespace

ScreenPlan PlanScreens(std::span<const Rect> monitors, std::span<const PlacedScene> scenes,
                       const LaunchRequest& request, std::span<const std::string> names) {
  const RunMode& mode = ModeOf(request.mode);
  ScreenPlan plan;
  std::vector<Rect> places;
  for (const Rect& m : monitors)
    if (std::find(places.begin(), places.end(), m) == places.end()) places.push_back(m);
  if (!mode.ownsWindows || places.empty()) {
    for (const PlacedScene& s : scenes) plan.stay.push_back(s.screen);
    if (scenes.empty() && !places.empty()) plan.added.push_back(places.front());
    return plan;
  }
  if (!(request.everyMonitor && mode.sceneOnEveryMonitor)) {
    // The named monitor, while it is there, stands in for the primary.
    const auto named = std::find(names.begin(), names.end(), request.output);
    if (!request.output.empty() && named != names.end() && named - names.begin() < std::ssize(monitors)) {
      const Rect home = monitors[static_cast<std::size_t>(named - names.begin())];
      std::stable_partition(places.begin(), places.end(), [&](const Rect& m) { return m == home; });
    }
    if (scenes.empty())
      plan.added.push_back(places.front());
    else if (scenes.front().monitor == places.front())
      plan.stay.push_back(scenes.front().screen);
    else
      plan.moves.push_back({scenes.front().screen, places.front()});
    for (std::size_t i = 1; i < scenes.size(); ++i) plan.removed.push_back(scenes[i].screen);
    if (mode.coversOtherMonitors) plan.covered.assign(places.begin() + 1, places.end());
    return plan;
  }
  std::vector<int> spare;
  for (const PlacedScene& s : scenes) {
    if (std::find(places.begin(), places.end(), s.monitor) != places.end())
      plan.stay.push_back(s.screen);
    else
      spare.push_back(s.screen);
  }
  std::size_t nextSpare = 0;
  for (const Rect& m : places) {
    if (std::any_of(scenes.begin(), scenes.end(), [&](const PlacedScene& s) { return s.monitor == m; })) continue;
    if (nextSpare < spare.size())
      plan.moves.push_back({spare[nextSpare++], m});
    else
      plan.added.push_back(m);
  }
  plan.removed.assign(spare.begin() + static_cast<std::ptrdiff_t>(nextSpare), spare.end());
  return plan;
}

std::string MissingOutput(std::span<const std::string> names, const LaunchRequest& request) {
  if (request.output.empty() || std::find(names.begin(), names.end(), request.output) != names.end()) return {};
  std::string there;
  for (const std::string& n : names)
    if (!n.empty()) there += (there.empty() ? "" : ", ") + Printable(n);
  return "--output " + Printable(request.output) + ": no such output (there " +
         (there.empty() ? std::string("are none") : "are " + there) + ")";
}

OutputFacts WindowFacts(const LaunchRequest& request, int width, int height, double dpi, int refreshHz) {
  OutputFacts facts;
  facts.width = width;
  facts.height = height;
  facts.dpi = dpi;
  facts.requestedScale = request.scale;
  facts.fit = ModeOf(request.mode).fit;
  facts.refreshHz = refreshHz;
  return facts;
}

bool NeedsRefit(const OutputFacts& was, const OutputFacts& now) {
  return was.width != now.width || was.height != now.height || was.dpi != now.dpi ||
         was.requestedScale != now.requestedScale || was.fit != now.fit;
}

void FitsFirst(std::vector<DisplayEvent>* events, std::size_t first) {
  std::stable_partition(events->begin() + static_cast<std::ptrdiff_t>(first), events->end(), IsFit);
}

DisplayEvent BareScreenButton(bool down, std::span<const int> screens) {
  DisplayEvent e{down ? DisplayEvent::Kind::ButtonDown : DisplayEvent::Kind::ButtonUp,
                 screens.empty() ? 0 : screens.front()};
  e.at = {-1, -1};
  return e;
}

OutputPlan PlanOutputs(std::span<const OutputById> outputs, std::span<const std::uint32_t> scenes,
                       const LaunchRequest& request) {
  const RunMode& mode = ModeOf(request.mode);
  OutputPlan plan;
  const auto listed = [&](std::uint32_t id) {
    return std::any_of(outputs.begin(), outputs.end(), [id](const OutputById& o) { return o.id == id; });
  };
  if (request.everyMonitor && mode.sceneOnEveryMonitor) {
    for (std::size_t i = 0; i < scenes.size(); ++i)
      if (scenes[i] == 0 || !listed(scenes[i])) plan.removed.push_back(i);
    for (const OutputById& o : outputs)
      if (o.ready && std::find(scenes.begin(), scenes.end(), o.id) == scenes.end()) plan.added.push_back(o.id);
    return plan;
  }
  std::uint32_t on = 0;
  for (const OutputById& o : outputs)
    if (!request.output.empty() && o.name == request.output) {
      on = o.id;
      break;
    }
  if (on == 0 && !scenes.empty() && scenes.front() != 0 && listed(scenes.front())) on = scenes.front();
  for (const OutputById& o : outputs)
    if (on == 0 && o.ready) on = o.id;
  if (scenes.empty())
    plan.added.push_back(on);
  else if (on != 0 && on != scenes.front())
    plan.moves.push_back({0, on});
  else
    on = scenes.front();
  for (std::size_t i = 1; i < scenes.size(); ++i) plan.removed.push_back(i);
  if (mode.coversOtherMonitors)
    for (const OutputById& o : outputs)
      if (o.ready && o.id != on) plan.covered.push_back(o.id);
  return plan;
}

}  // namespace coderain
