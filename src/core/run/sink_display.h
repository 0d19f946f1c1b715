// A display whose presents go nowhere, over the screens of another: a run
// on a virtual clock (a picture, a video, a page's still) has its scenes
// draw into the other display's frames, and its caller shows what they
// drew where and when it wants it (the other's PresentAll), not once a
// frame as a live run does.
#pragma once

#include <vector>

#include "core/run/scene_display.h"

namespace coderain {

class SinkDisplay : public SceneDisplay {
 public:
  // `over` outlives the sink.
  explicit SinkDisplay(SceneDisplay* over) : over_(*over) {}

  std::vector<int> Screens() const override { return over_.Screens(); }
  Bitmap& Frame(int screen) override { return over_.Frame(screen); }
  const OutputFit& Fit(int screen) const override { return over_.Fit(screen); }
  void Show() override {}
  bool Present(int, const DamageList&) override { return true; }
  void PresentAll(int) override {}
  bool Pending(int) const override { return false; }

 private:
  SceneDisplay& over_;
};

}  // namespace coderain
