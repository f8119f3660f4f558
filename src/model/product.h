#pragma once
// Fixed facts of the product.
#include "model/version.h"

namespace mw {

inline constexpr int kBuildNumber = MOUNTWICK_BUILD_NUMBER;
inline constexpr char kProductName[] = "Mountwick";
inline constexpr char kProgramFileName[] = "Mountwick.exe";
inline constexpr char kHelpFileName[] = "Mountwick.chm";
inline constexpr char kProcessMutexName[] = "Mutex_Mountwick_Process";
inline constexpr char kTrayTip[] = "ﾃﾞﾊﾞｲｽ監視ﾗﾝﾁｬｰ";

}  // namespace mw
