#include "app/update_checker.h"

#include <cstdint>

#include "notices/bounded_format.h"
#include "model/product.h"

namespace mw {
namespace {

void WriteText(RegistryPort& registry, RegistryPort::Key key, const std::string& name,
               const std::string& text) {
  // Best effort: the update checker is a guest, a failed entry is no error of ours.
  (void)registry.SetValue(key, name, reg::kSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                          static_cast<std::uint32_t>(text.size() + 1));
}

}  // namespace

void RegisterWithUpdateChecker(const Platform& platform) {
  RegistryPort& registry = platform.registry;
  {
    ScopedRegKey root(registry);
    if (root.Open(RegistryRoot::CurrentUser, kUpdateCheckerRoot, reg::kRead) != reg::kSuccess)
      return;  // no update checker installed
  }
  const std::string author_path = std::string(kUpdateCheckerRoot) + kAuthorContact;
  {
    ScopedRegKey author(registry);
    if (author.Create(RegistryRoot::CurrentUser, author_path, reg::kReadWriteCreate) !=
        reg::kSuccess)
      return;
    WriteText(registry, author.get(), "Author", "Quillory");
    WriteText(registry, author.get(), "InfoURL", "https://quillory.example/mountwick/update.txt");
    WriteText(registry, author.get(), "DisplayHost", "https://quillory.example/");
  }
  const std::string file_path = FormatBounded(
      "%s\\%s", {FormatArg(platform.files.CurrentDirectory(1023)), FormatArg(kProgramFileName)},
      1024);
  ScopedRegKey entry(registry);
  if (entry.Create(RegistryRoot::CurrentUser, author_path + "\\" + kProductName + "\\",
                   reg::kReadWriteCreate) != reg::kSuccess)
    return;
  const std::uint32_t build = kBuildNumber;
  (void)registry.SetValue(entry.get(), "Build", reg::kDword,
                          reinterpret_cast<const unsigned char*>(&build), sizeof build);
  WriteText(registry, entry.get(), "DistinctName", kProductName);
  WriteText(registry, entry.get(), "DisplayName", "デバイス監視ランチャー(Mountwick)");
  WriteText(registry, entry.get(), "FilePath", file_path);
}

}  // namespace mw
