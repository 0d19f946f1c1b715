// A display on Windows as the driver sees it: a framebuffer display whose
// events come through the thread's message queue.
#pragma once

#include <vector>

#include "core/run/framebuffer_display.h"

namespace coderain {

class MessageDisplay : public FramebufferDisplay {
 public:
  // Events translated already: no sleeping.
  virtual bool Ready() const = 0;
  // Dispatches the queued messages, looks at what no message announces
  // (monitors, a preview's parent) and appends what it all means to
  // *events. Never waits.
  virtual void Dispatch(std::vector<DisplayEvent>* events) = 0;

 protected:
  using FramebufferDisplay::FramebufferDisplay;
};

}  // namespace coderain
