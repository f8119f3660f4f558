#include "store/registry_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mw {
namespace {

// A value that keeps growing between the size query and the read is given up
// after this many reads.
constexpr int kReadAttempts = 4;

}  // namespace

long ReadRegistryText(RegistryPort& registry, RegistryPort::Key key, const std::string& name,
                      std::string& value) {
  std::uint32_t size = 0;
  long result = registry.QueryValue(key, name, nullptr, nullptr, &size);
  for (int attempt = 0; result == reg::kSuccess && attempt < kReadAttempts; ++attempt) {
    // One zero byte more than the value holds, so that text without a NUL ends too.
    std::vector<char> buffer(std::size_t{size} + 1, '\0');
    std::uint32_t length = size;
    result = registry.QueryValue(key, name, nullptr,
                                 reinterpret_cast<unsigned char*>(buffer.data()), &length);
    if (result == reg::kSuccess) {
      const auto stored = buffer.begin() + std::min(length, size);
      value.assign(buffer.begin(), std::find(buffer.begin(), stored, '\0'));
      return reg::kSuccess;
    }
    // The value grew since the size query; the registry told the new size.
    if (result == reg::kMoreData && attempt + 1 < kReadAttempts) {
      size = length;
      result = reg::kSuccess;
    }
  }
  return result;
}

}  // namespace mw
