// picCommand types its message a character a tick, holds it and wipes it.
#pragma once

#include <string>

namespace coderain {

class Form1;

// The message: sixteen lines joined by CR LF.
std::string ComposeMessageText();
void Timer15Tick(Form1& f);

}  // namespace coderain
