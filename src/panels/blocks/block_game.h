// The self-playing falling-block game in picWatch.
#pragma once

namespace coderain {

class Form1;

// Clears GameOver and empties every cell of the grid; draws nothing.
void ResetGame(Form1& f);
// Spawns, moves or lands the block in play and draws the changed cells.
void GameStep(Form1& f);

}  // namespace coderain
