// The flags of 16 bits the scene's records keep: 0 for false and -1 for
// true.
#pragma once

#include <cstdint>

namespace coderain {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

}  // namespace coderain
