#pragma once
// Reads one registry property of a device element into text, the way every
// property of a DeviceRecord is read: a size query, then sized queries.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/device_record.h"
#include "platform/device_setup_port.h"

namespace mw {

inline constexpr int kMaxSizedPropertyQueries = 11;

using PropertyBuffer = std::unique_ptr<unsigned char[]>;
// Gives a zero-filled buffer of the size asked, or null when none can be had.
using PropertyBufferSource = std::function<PropertyBuffer(std::uint32_t size)>;

// The program's own source: a nothrow allocation.
PropertyBuffer AllocateZeroedBuffer(std::uint32_t size);

// Sets value to the property's strings joined without separator (up to the
// first empty one) and adds "label = value" to record.Details. A property that
// cannot be read - missing, failing, attempts exhausted, no buffer - leaves
// value empty and Details untouched.
void ReadDeviceProperty(DeviceSetupPort& port, DeviceSetupPort::DeviceSet set,
                        const DeviceElement& element, std::uint32_t property, std::string& value,
                        std::string_view label, DeviceRecord& record,
                        const PropertyBufferSource& allocate = AllocateZeroedBuffer);

}  // namespace mw
