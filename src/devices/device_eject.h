#pragma once
// Safe removal of an attached USB device.
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace mw {

// What became of one removal: only the first three were asked of the system.
enum class RemovalAnswer { Granted, Refused, Failed, NoSuchDevice, SetUnavailable };

struct RemovalResult {
  RemovalAnswer answer = RemovalAnswer::NoSuchDevice;
  std::uint32_t code = 0;       // the configuration manager's CONFIGRET, when asked
  std::uint32_t veto_type = 0;  // PNP_VETO_TYPE of a refusal
  bool asked() const {
    return answer == RemovalAnswer::Granted || answer == RemovalAnswer::Refused ||
           answer == RemovalAnswer::Failed;
  }
};

// The answer to one request: CR_REMOVE_VETOED, or a success that names a veto
// anyway, is a refusal.
RemovalResult ClassifyRemoval(std::uint32_t code, std::uint32_t veto_type);

// Asks the configuration manager to remove one attached device: the device
// instance_id names when it is not empty (the one that arrived), else the one
// attached device whose HardwareID equals hardware_id; with two of that model
// attached, neither (it could be the wrong one). Logs why nothing was asked.
RemovalResult EjectDevice(const Platform& platform, const std::string& hardware_id,
                          const std::string& instance_id = {});

// A refusal's kind (PNP_VETO_TYPE) in words, for the activity log.
const char* VetoTypeText(std::uint32_t veto_type);

}  // namespace mw
