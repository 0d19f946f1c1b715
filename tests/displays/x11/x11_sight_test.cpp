#include "displays/x11/x11_sight.h"

#include <X11/extensions/dpmsconst.h>
#undef None
#undef Bool

#include <gtest/gtest.h>

namespace coderain {
namespace {

TEST(X11, WhetherTheMonitorsShowAPicture) {
  struct Case {
    bool enabled;
    int level;
    bool lit;
  };
  const Case cases[] = {
      {true, DPMSModeOn, true},
      {true, DPMSModeStandby, false},
      {true, DPMSModeSuspend, false},
      {true, DPMSModeOff, false},
      {false, DPMSModeOff, true},
      {false, DPMSModeOn, true},
      {true, 7, true},  // a level the server has no name for darkens nothing
  };
  for (const Case& c : cases) EXPECT_EQ(MonitorsLit(c.enabled, c.level), c.lit) << c.enabled << " " << c.level;
}

TEST(X11, WhetherAWindowIsSeen) {
  struct Case {
    Sight sight;
    bool saverOn, monitorsDark, seen;
  };
  const Case cases[] = {
      {{}, false, false, true},
      {{.obscured = true}, false, false, false},
      {{.unmapped = true}, false, false, false},
      {{}, true, false, false},                // the saver over it
      {{.inSaver = true}, true, false, true},  // it is the saver
      {{.inSaver = true}, true, true, false},  // but the monitors sleep
      {{}, false, true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.sight.Seen(c.saverOn, c.monitorsDark), c.seen);
}

}  // namespace
}  // namespace coderain
