#include "panels/message/typewriter.h"

#include "app/form1.h"

namespace coderain {

std::string ComposeMessageText() { return {}; }

void Timer15Tick(Form1& f) { (void)f; }

}  // namespace coderain
