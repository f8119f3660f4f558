#pragma once
// A registry value read as text, however it changes while it is read.
#include <string>

#include "platform/registry_port.h"

namespace mw {

// The notice for a value that exists but cannot be read.
inline constexpr char kRegQueryFailed[] = "RegQueryValueExに失敗しました。";

// The value's bytes up to the first NUL, never past its stored length, read
// again with the new size while it keeps growing, a few times at most. Returns
// the registry's code; value holds the text only on success.
[[nodiscard]] long ReadRegistryText(RegistryPort& registry, RegistryPort::Key key,
                                    const std::string& name, std::string& value);

}  // namespace mw
