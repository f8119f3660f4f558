#include "app/quit_question.h"

#include "notices/activity_log.h"
#include "notices/notices.h"

namespace mw {

bool ConfirmQuit(const Platform& platform, const WaitingRuns::Summary& waiting) {
  if (waiting.count == 0) return true;
  const std::string question = FormatBounded(
      kQuitQuestion, {waiting.first_name, static_cast<unsigned>(waiting.count)}, kNoticeBufferSize);
  if (platform.notices.ShowMessageBox(0, question, kNoticeCaption,
                                      mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2) !=
      mb::kIdYes)
    return false;
  // So that the log tells why these devices were never removed.
  LogActivity(platform, "終了します: アクション「%s」など %u 件の取り外しは行いません",
              waiting.first_name, static_cast<unsigned>(waiting.count));
  return true;
}

}  // namespace mw
