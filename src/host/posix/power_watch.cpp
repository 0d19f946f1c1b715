// The power watch over the system bus, through sd-bus: UPower's OnBattery,
// asked with Get at start and whenever UPower starts anew, and followed
// through its PropertiesChanged. Every call is asynchronous: the answers
// come when the driver's poll says the bus has something.
#include "host/posix/power_watch.h"

#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace coderain {
namespace {

constexpr const char* kService = "org.freedesktop.UPower";
constexpr const char* kPath = "/org/freedesktop/UPower";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kOnBattery = "OnBattery";
constexpr std::uint64_t kNever = UINT64_MAX;

std::uint64_t NowUs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::uint64_t>(t.tv_sec) * 1000000u + static_cast<std::uint64_t>(t.tv_nsec) / 1000u;
}

}  // namespace

struct PowerWatch::Bus {
  sd_bus* bus = nullptr;
  bool onBattery = false;  // as the loop was last told (mains at start)
  bool changed = false;    // since it was told
  std::uint64_t deadlineUs = kNever;

  ~Bus() { sd_bus_close_unref(bus); }

  void Heard(bool battery) {
    if (battery == onBattery) return;
    onBattery = battery;
    changed = true;
  }

  void Ask() {
    sd_bus_call_method_async(bus, nullptr, kService, kPath, kProperties, "Get", OnValue, this, "ss", kService,
                             kOnBattery);
  }

  // The answer to Get: a variant holding a boolean, or an error (no UPower).
  static int OnValue(sd_bus_message* m, void* self, sd_bus_error*) {
    int battery = 0;
    if (!sd_bus_message_is_method_error(m, nullptr) && sd_bus_message_read(m, "v", "b", &battery) >= 0) {
      static_cast<Bus*>(self)->Heard(battery != 0);
    }
    return 0;
  }

  // PropertiesChanged: the interface, the new values, the names whose value
  // must be asked for.
  static int OnChanged(sd_bus_message* m, void* data, sd_bus_error*) {
    Bus* self = static_cast<Bus*>(data);
    const char* name = nullptr;
    if (sd_bus_message_read(m, "s", &name) < 0 || std::strcmp(name, kService) != 0) return 0;
    if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
      int battery = 0;
      if (sd_bus_message_read(m, "s", &name) < 0) return 0;
      if (std::strcmp(name, kOnBattery) == 0) {
        if (sd_bus_message_read(m, "v", "b", &battery) < 0) return 0;
        self->Heard(battery != 0);
      } else if (sd_bus_message_skip(m, "v") < 0) {
        return 0;
      }
      if (sd_bus_message_exit_container(m) < 0) return 0;
    }
    if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_enter_container(m, 'a', "s") < 0) return 0;
    while (sd_bus_message_read(m, "s", &name) > 0) {
      if (std::strcmp(name, kOnBattery) == 0) self->Ask();
    }
    return 0;
  }

  // UPower started (ask it) or ended (as on mains).
  static int OnOwner(sd_bus_message* m, void* data, sd_bus_error*) {
    Bus* self = static_cast<Bus*>(data);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0) return 0;
    if (after[0] != '\0') {
      self->Ask();
    } else {
      self->Heard(false);
    }
    return 0;
  }
};

PowerWatch::PowerWatch() {
  auto bus = std::make_unique<Bus>();
  if (sd_bus_open_system(&bus->bus) < 0) return;
  // The matches go first: a change after the answer to Get is heard.
  if (sd_bus_match_signal_async(bus->bus, nullptr, kService, kPath, kProperties, "PropertiesChanged", Bus::OnChanged,
                                nullptr, bus.get()) < 0 ||
      sd_bus_add_match_async(bus->bus, nullptr,
                             "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                             "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='org.freedesktop.UPower'",
                             Bus::OnOwner, nullptr, bus.get()) < 0) {
    return;
  }
  bus->Ask();
  bus_ = std::move(bus);
}

PowerWatch::~PowerWatch() = default;

pollfd PowerWatch::PrepareWait(int* timeoutMs) {
  if (!bus_) return {-1, 0, 0};
  const int events = sd_bus_get_events(bus_->bus);
  const int fd = sd_bus_get_fd(bus_->bus);
  if (events < 0 || fd < 0) {
    bus_.reset();
    return {-1, 0, 0};
  }
  std::uint64_t at = kNever;
  if (sd_bus_get_timeout(bus_->bus, &at) < 0) at = kNever;
  bus_->deadlineUs = at;
  if (at != kNever) {
    const std::uint64_t now = NowUs();
    const int ms = at <= now ? 0 : static_cast<int>(std::min<std::uint64_t>((at - now + 999) / 1000, INT_MAX));
    if (*timeoutMs < 0 || ms < *timeoutMs) *timeoutMs = ms;
  }
  return {fd, static_cast<short>(events), 0};
}

bool PowerWatch::Dispatch(short revents, bool* onBattery) {
  if (!bus_) return false;
  if (revents == 0 && (bus_->deadlineUs == kNever || NowUs() < bus_->deadlineUs)) return false;
  int r = 0;
  while ((r = sd_bus_process(bus_->bus, nullptr)) > 0) {
  }
  // A bus that went away says nothing more: as on mains from then on.
  if (r < 0 || !sd_bus_is_open(bus_->bus)) bus_->Heard(false);
  const bool changed = bus_->changed;
  bus_->changed = false;
  *onBattery = bus_->onBattery;
  if (r < 0 || !sd_bus_is_open(bus_->bus)) bus_.reset();
  return changed;
}

}  // namespace coderain
