#include "core/app/input_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace coderain {
namespace {

// Raw input as a front end hands it in, one step a string, and what the
// rules answer: "appear K..." (the window appears with keys K held),
// "down K ends|stays", "up K", "press T", "release T ends|stays", where T
// is a target: 0 for the bare window, 1 or 2 for a panel.
struct Case {
  const char* name;
  std::vector<std::string> steps;
};

TEST(InputRules, KeysAndClicks) {
  const int panels[2] = {};
  const void* targets[] = {nullptr, &panels[0], &panels[1]};
  const Case cases[] = {
      {"a key pressed on the display ends it", {"appear", "down 36 ends"}},
      {"so does one before the window appeared", {"down 36 ends"}},
      {"a key held since before the window appeared does not, nor its repeats",
       {"appear 36", "down 36 stays", "down 36 stays"}},
      {"once released, that key ends it again", {"appear 36", "down 36 stays", "up 36", "down 36 ends"}},
      {"another key pressed while one is held ends it", {"appear 36 50", "down 24 ends"}},
      {"the window appearing again (the focus back) ignores nothing new", {"appear", "appear 36", "down 36 ends"}},
      {"a repeat of a key already down does not", {"down 36 ends", "down 36 stays"}},
      {"press and release on the same panel make a click", {"press 1", "release 1 ends"}},
      {"on the bare window too", {"press 0", "release 0 ends"}},
      {"press on one target, release on another: no click", {"press 1", "release 2 stays"}},
      {"a release without a press: no click", {"release 0 stays"}},
      {"one press makes one click", {"press 0", "release 0 ends", "release 0 stays"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InputRules rules;
    for (const std::string& step : c.steps) {
      SCOPED_TRACE(step);
      std::istringstream in(step);
      std::string verb, outcome;
      int value = 0;
      in >> verb;
      if (verb == "appear") {
        std::vector<int> held;
        while (in >> value) held.push_back(value);
        rules.WindowAppeared(held);
        continue;
      }
      in >> value >> outcome;
      bool ends = false;
      if (verb == "down") ends = rules.KeyDown(value);
      if (verb == "up") rules.KeyUp(value);
      if (verb == "press") rules.ButtonDown(targets[value]);
      if (verb == "release") ends = rules.ButtonUp(targets[value]);
      EXPECT_EQ(ends, outcome == "ends");
    }
  }
}

}  // namespace
}  // namespace coderain
