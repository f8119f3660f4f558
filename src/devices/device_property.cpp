#include "devices/device_property.h"

#include <algorithm>
#include <new>

namespace mw {
namespace {

// Joins NUL-terminated strings until an empty one or the end of the data. The
// data need not end in NUL: a device may report a string without one.
void AppendJoinedStrings(const unsigned char* data, std::size_t end, std::string& value) {
  std::size_t pos = 0;
  while (pos < end && data[pos] != 0) {
    const std::size_t start = pos;
    while (pos < end && data[pos] != 0) ++pos;
    value.append(reinterpret_cast<const char*>(data + start), pos - start);
    ++pos;  // past the NUL
  }
}

void AppendDetailsLine(std::string& details, std::string_view label, const std::string& value) {
  if (!details.empty()) details += "\r\n";
  details += label;
  details += " = ";
  details += value;
}

}  // namespace

PropertyBuffer AllocateZeroedBuffer(std::uint32_t size) {
  return PropertyBuffer(new (std::nothrow) unsigned char[size]());
}

void ReadDeviceProperty(DeviceSetupPort& port, DeviceSetupPort::DeviceSet set,
                        const DeviceElement& element, std::uint32_t property, std::string& value,
                        std::string_view label, DeviceRecord& record,
                        const PropertyBufferSource& allocate) {
  value.clear();
  std::uint32_t required = 0;
  std::uint32_t error = 0;
  // A size query that succeeds has nothing to tell.
  if (port.GetProperty(set, element, property, nullptr, 0, &required, &error)) return;

  PropertyBuffer buffer;
  std::uint32_t buffer_size = 0;
  for (int attempts = 0;;) {
    if (error == setup::kErrorInvalidData) return;  // the device has no such property
    if (error == setup::kErrorInsufficientBuffer) {
      buffer.reset();
      buffer_size = 0;
      // A failed allocation leaves no buffer; the next query fails and we try again.
      buffer = allocate(required);
      if (buffer) buffer_size = required;
    }
    if (attempts >= kMaxSizedPropertyQueries) return;
    ++attempts;
    if (port.GetProperty(set, element, property, buffer.get(), buffer_size, &required, &error))
      break;
  }
  if (!buffer) return;

  // The successful query's required size is the end of the data; the buffer's
  // own size bounds it too, whatever the system claims.
  AppendJoinedStrings(buffer.get(), std::min(required, buffer_size), value);
  AppendDetailsLine(record.Details, label, value);
}

}  // namespace mw
