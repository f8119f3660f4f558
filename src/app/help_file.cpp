#include "app/help_file.h"

#include "model/product.h"
#include "engine/launcher.h"
#include "platform/sjis.h"

namespace mw {

std::string HelpFilePath(const Platform& platform) {
  const std::string program = platform.files.ProgramFile();
  // A trail byte 0x5C of a double-byte folder name is no separator.
  const std::size_t slash = FindLastSingleByte(program, '\\');
  if (slash == std::string::npos) return kHelpFileName;
  return program.substr(0, slash + 1) + kHelpFileName;
}

void OpenHelpFile(const Platform& platform) {
  (void)ShellOpen(platform, HelpFilePath(platform));
}

}  // namespace mw
