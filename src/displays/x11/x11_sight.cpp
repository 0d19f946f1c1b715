#include "displays/x11/x11_sight.h"

#include <X11/extensions/dpmsconst.h>

namespace coderain {

bool MonitorsLit(bool enabled, int level) {
  if (!enabled) return true;
  switch (level) {
    case DPMSModeStandby:
    case DPMSModeSuspend:
    case DPMSModeOff:
      return false;
    default:
      return true;
  }
}

bool WindowWithin(::Display* d, ::Window w, ::Window ancestor) {
  if (ancestor == None) return false;
  while (w != None) {
    if (w == ancestor) return true;
    ::Window root = None, parent = None;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (w == root) return false;
    w = parent;
  }
  return false;
}

}  // namespace coderain
