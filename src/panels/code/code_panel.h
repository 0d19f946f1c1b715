// The code panels picASM, picC and picVB: one line of their source file a
// tick under a bold heading, a random pause when full, then a fresh page.
#pragma once

#include <cstdint>
#include <string_view>

namespace coderain {

class Form1;
class Panel;
class SourceFile;

// One tick of one code panel. `timer` is the number of the panel's timer,
// whose interval the tick changes.
void CodePanelTick(Form1& f, std::string_view heading, Panel& panel, SourceFile& file, std::int32_t& started, int timer,
                   std::int16_t& paused, std::int32_t pauseBase, std::int32_t runInterval);

void Timer6Tick(Form1& f);   // picASM
void Timer11Tick(Form1& f);  // picC
void Timer12Tick(Form1& f);  // picVB
void Timer13Tick(Form1& f);  // does nothing

}  // namespace coderain
