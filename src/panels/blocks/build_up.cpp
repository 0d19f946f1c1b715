#include "panels/blocks/build_up.h"

#include "app/form1.h"
#include "panels/blocks/block_game.h"

namespace coderain {

void Timer14Tick(Form1& f) { (void)f; }

}  // namespace coderain
