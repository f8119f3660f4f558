#pragma once
// Quitting while runs wait: their devices would not be removed, so the user
// is asked first. The programs they wait for are never ended either way.
#include "engine/waiting_runs.h"
#include "platform/platform.h"

namespace mw {

inline constexpr char kQuitQuestion[] =
    "アクション「%s」など %u 件が、プログラムの終了とデバイスの取り外しを待っています。\n"
    "デバイスを取り外さずに終了しますか？（プログラムは終了しません）";

// True to quit: at once when nothing waits, otherwise on the user's Yes to a
// question whose default is No.
bool ConfirmQuit(const Platform& platform, const WaitingRuns::Summary& waiting);

}  // namespace mw
