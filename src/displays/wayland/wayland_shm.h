// Buffers of ours in shared memory (a memfd), in the frame's own layout
// (XRGB8888, which every compositor takes), that the compositor reads.
#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/gfx/frame_copy.h"
#include "core/gfx/geometry.h"

namespace coderain {

class ShmBuffer {
 public:
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  enum class Use { Drawn, Unmapped };
  // A black buffer of width x height pixels: one we draw into, or one that
  // stays black and that only the compositor maps (View() is then empty).
  // Returns null and sets *error when the memory cannot be had: it is
  // reserved here, so that a full memory never shows later as a fault.
  static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, int width, int height, std::string* error,
                                           Use use = Use::Drawn);

  wl_buffer* Buffer() const { return buffer_; }
  ImageView View() const { return view_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Whether the compositor holds it: from an attach until it says it has
  // let it go. A buffer it holds is never written.
  bool Busy() const { return busy_; }
  void Attached() { busy_ = true; }

 private:
  ShmBuffer() = default;

  wl_buffer* buffer_ = nullptr;
  void* memory_ = nullptr;
  std::size_t size_ = 0;
  ImageView view_;
  int width_ = 0, height_ = 0;
  bool busy_ = false;
};

}  // namespace coderain
