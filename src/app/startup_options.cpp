#include "app/startup_options.h"

namespace mw {

bool OpenSettingsAtStart(DesktopPort& text, std::string arguments) {
  text.ToUpper(arguments);
  return arguments.find("/S") != std::string::npos || arguments.find("SET") != std::string::npos;
}

bool OpenActivityLogOnly(DesktopPort& text, std::string arguments) {
  text.ToUpper(arguments);
  return arguments.find("/LOG") != std::string::npos;
}

}  // namespace mw
