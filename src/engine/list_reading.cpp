#include "engine/list_reading.h"

#include <memory>

namespace mw {

void ListReading::Run() {
  listed = EnumerateAttachedDevices(
      platform, fresh,
      [this](const std::string& instance) {
        return read_new && !known.contains(DeviceTracker::Key(instance));
      },
      &complete);
  done.store(true, std::memory_order_release);
}

std::uint32_t ListReading::RunOnPool(void* parameter) {
  const std::unique_ptr<std::shared_ptr<ListReading>> owner(
      static_cast<std::shared_ptr<ListReading>*>(parameter));
  ListReading& reading = **owner;
  if (reading.quiet_ms != 0) reading.platform.threads.Sleep(reading.quiet_ms);
  reading.Run();
  reading.wake();
  return 0;
}

}  // namespace mw
