#include "panels/blocks/block_game.h"

#include "app/form1.h"

namespace coderain {

void ResetGame(Form1& f) { (void)f; }
void GameStep(Form1& f) { (void)f; }

}  // namespace coderain
