#include "rain/falling_streams.h"

#include "app/form1.h"

namespace coderain {

void StepStream(Form1& f, std::int32_t& X, std::int32_t& Y, std::int32_t& OldX) {
  (void)f;
  (void)X;
  (void)Y;
  (void)OldX;
}

void StreamTick(Form1& f, int index) {
  RainStream& s = f.state.Streams[index];
  StepStream(f, s.X, s.Y, s.OldX);
}

}  // namespace coderain
