#include "displays/wayland/wayland_shm.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/run/framebuffer_display.h"

namespace coderain {

ShmBuffer::~ShmBuffer() {
  if (buffer_) wl_buffer_destroy(buffer_);
  if (memory_) munmap(memory_, size_);
}

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, int width, int height, std::string* error, Use use) {
  const auto fail = [&](const std::string& why) {
    *error = NoMemoryFor(width, height) + " (" + why + ")";
    return nullptr;
  };
  width = std::max(width, 1);
  height = std::max(height, 1);
  // A pool's size is a signed 32-bit number of bytes.
  const std::int64_t pitch = std::int64_t{width} * 4;
  const std::int64_t size = pitch * height;
  if (size > std::numeric_limits<std::int32_t>::max()) return fail("larger than a shared buffer can be");
  const int fd = memfd_create("coderain", MFD_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  if (const int err = posix_fallocate(fd, 0, size); err != 0) {
    close(fd);
    return fail(std::strerror(err));
  }
  std::unique_ptr<ShmBuffer> b(new ShmBuffer);
  b->width_ = width;
  b->height_ = height;
  if (use == Use::Drawn) {
    void* memory = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
      close(fd);
      return fail(std::strerror(errno));
    }
    b->memory_ = memory;
    b->size_ = static_cast<std::size_t>(size);
    b->view_ = {static_cast<std::uint8_t*>(memory), width, height, static_cast<int>(pitch)};
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
  b->buffer_ =
      wl_shm_pool_create_buffer(pool, 0, width, height, static_cast<std::int32_t>(pitch), WL_SHM_FORMAT_XRGB8888);
  // The buffer keeps the memory; the pool and the descriptor are no longer
  // needed.
  wl_shm_pool_destroy(pool);
  close(fd);
  static const wl_buffer_listener released = {
      .release = [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy_ = false; }};
  wl_buffer_add_listener(b->buffer_, &released, b.get());
  return b;
}

}  // namespace coderain
