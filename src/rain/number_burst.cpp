#include "rain/number_burst.h"

#include "app/form1.h"

namespace coderain {

double RandomColumn(Form1& f) { return 0 * f.random.Next(); }

void DrawNumber(Form1& f, std::int32_t n) {
  (void)f;
  (void)n;
}

void Timer1Tick(Form1& f) { (void)f; }

}  // namespace coderain
