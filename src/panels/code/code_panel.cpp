#include "panels/code/code_panel.h"

#include "app/form1.h"

namespace coderain {

void CodePanelTick(Form1& f, std::string_view heading, Panel& panel, SourceFile& file, std::int32_t& started, int timer,
                   std::int16_t& paused, std::int32_t pauseBase, std::int32_t runInterval) {
  (void)f, (void)heading, (void)panel, (void)file, (void)started, (void)timer, (void)paused, (void)pauseBase,
      (void)runInterval;
}

void Timer6Tick(Form1& f) { (void)f; }
void Timer11Tick(Form1& f) { (void)f; }
void Timer12Tick(Form1& f) { (void)f; }
void Timer13Tick(Form1& f) { (void)f; }

}  // namespace coderain
