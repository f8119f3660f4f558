#pragma once
// Fixed facts of the product.

namespace mw {

inline constexpr int kBuildNumber = 102;
inline constexpr char kProductName[] = "Mountwick";
inline constexpr char kProgramFileName[] = "Mountwick.exe";
inline constexpr char kHelpFileName[] = "Mountwick.chm";
inline constexpr char kProcessMutexName[] = "Mutex_Mountwick_Process";
inline constexpr char kTrayTip[] = "ﾃﾞﾊﾞｲｽ監視ﾗﾝﾁｬｰ";

}  // namespace mw
