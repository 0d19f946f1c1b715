// The code panels picASM, picC and picVB: one line of their source file a
// tick under a bold heading, a random pause when full, then a fresh page.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/base/random_source.h"
#include "core/base/source_file.h"
#include "core/base/timer_scheduler.h"
#include "core/gfx/surface.h"

namespace coderain {

// One code panel as its timer's tick sees it: its heading, its panel, its
// open source file, its two flags in SceneState (0 or 1, and 0 or -1), its
// timer, whose interval the tick changes, the pause base and the run
// interval in ms, and the shared random source.
struct CodePanel {
  std::string_view heading;
  Panel& panel;
  SourceFile& file;
  std::int32_t& started;
  TimerHandle timer;
  std::int16_t& paused;
  std::int32_t pauseBase;
  std::int32_t runInterval;
  RandomSource& random;
};

// One tick of one code panel.
void CodePanelTick(const CodePanel& p);

}  // namespace coderain
