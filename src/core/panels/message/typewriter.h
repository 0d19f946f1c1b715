// picCommand types its message a character a tick, holds it and wipes it.
#pragma once

#include <cstdint>
#include <string>

#include "core/gfx/surface.h"

namespace coderain {

// The message panel as its timer's tick sees it: the panel, the message and
// the panel's fields of SceneState.
struct MessagePanel {
  Panel& picCommand;
  const std::string& MessageText;
  std::int32_t& MessagePos;
  std::int16_t& WipeDone;
  std::int32_t& WipeBottom;
};

// The message: sixteen lines joined by CR LF.
std::string ComposeMessageText();
void MessagePanelTick(const MessagePanel& m);

}  // namespace coderain
