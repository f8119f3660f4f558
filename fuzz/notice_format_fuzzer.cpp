// Notice formatting with a format, arguments and a buffer size from the input,
// and a system error notice whose system text comes from the input too.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "notices/bounded_format.h"
#include "notices/notices.h"
#include "fakes/fake_world.h"
#include "fuzz_check.h"

namespace {

using mw::FormatArg;

std::string Format(std::string_view format, const std::vector<FormatArg>& a, std::size_t size) {
  // FormatBounded takes its arguments as a braced list, as the notices pass them.
  switch (a.size()) {
    case 0:
      return mw::FormatBounded(format, {}, size);
    case 1:
      return mw::FormatBounded(format, {a[0]}, size);
    case 2:
      return mw::FormatBounded(format, {a[0], a[1]}, size);
    case 3:
      return mw::FormatBounded(format, {a[0], a[1], a[2]}, size);
    case 4:
      return mw::FormatBounded(format, {a[0], a[1], a[2], a[3]}, size);
    default:
      return mw::FormatBounded(format, {a[0], a[1], a[2], a[3], a[4]}, size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string format = input.ConsumeRandomLengthString(2048);
  std::vector<std::string> texts;  // the arguments' text outlives them
  texts.reserve(5);
  std::vector<FormatArg> args;
  for (int count = input.ConsumeIntegralInRange(0, 5); count > 0; --count) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
      case 0:
        args.emplace_back(input.ConsumeIntegral<int>());
        break;
      case 1:
        args.emplace_back(input.ConsumeIntegral<unsigned long>());
        break;
      case 2:
        args.emplace_back(input.ConsumeIntegral<char>());
        break;
      default:
        texts.push_back(input.ConsumeRandomLengthString(2048));
        args.emplace_back(texts.back());
    }
  }
  const std::size_t buffer_size = input.ConsumeIntegralInRange<std::size_t>(1, 2048);

  const std::string text = Format(format, args, buffer_size);
  FUZZ_CHECK(text.size() < buffer_size);

  // The way every notice is put together: the formatted text, the system's
  // text for the code, one message box.
  mw::fake::FakeWorld world;
  mw::fake::FakeWorld& notices = world;
  notices.system_texts[5] = input.ConsumeRandomLengthString(1024);
  const std::string argument = input.ConsumeRandomLengthString(2048);
  mw::ShowSystemErrorNotice(world.platform(), input.ConsumeBool() ? 5u : 6u, format, argument);
  FUZZ_CHECK(notices.shown.size() == 1);
  FUZZ_CHECK(notices.shown[0].text.size() < mw::kNoticeBufferSize);
  return 0;
}
