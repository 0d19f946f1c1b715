// picWatch's build-up: edges traced, the frame blinking, the sweep and the
// grid, then the game until it is over.
#pragma once

namespace coderain {

class Form1;

void Timer14Tick(Form1& f);

}  // namespace coderain
