#include "app/quit_question.h"

#include "notices/notices.h"

namespace mw {

bool ConfirmQuit(const Platform& platform, const WaitingRuns::Summary& waiting) {
  if (waiting.count == 0) return true;
  const std::string question = FormatBounded(
      kQuitQuestion, {waiting.first_name, static_cast<unsigned>(waiting.count)}, kNoticeBufferSize);
  return platform.notices.ShowMessageBox(0, question, kNoticeCaption,
                                         mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2) ==
         mb::kIdYes;
}

}  // namespace mw
