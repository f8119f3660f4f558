#pragma once
// Which USB device holds a drive, and which drives a USB device holds.
#include <string>

#include "platform/platform.h"

namespace mw {

// Why a drive has no owner, for the activity log.
inline constexpr char kNotRemovableOrFixedText[] = "リムーバブルでも固定でもないドライブです";
inline constexpr char kSubstDriveText[] = "SUBST のドライブです";
inline constexpr char kDriveNotOpenedText[] = "ドライブを開けませんでした";
inline constexpr char kSpannedVolumeText[] = "複数のディスクにまたがるボリュームです";
inline constexpr char kNoDiskNumberText[] = "ディスク番号を読めませんでした";
inline constexpr char kDiskNotFoundText[] = "ディスクが見つかりません";
inline constexpr char kNotOnUsbText[] = "USB デバイスにつながっていません";
inline constexpr char kNoDeviceInfoText[] = "デバイス情報を取得できませんでした";

struct DriveOwner {
  // The USB device instance holding the drive, as CM_Get_Device_IDA spells
  // it; empty when none does.
  std::string instance;
  // One of the texts above when instance is empty, else null.
  const char* why_none = nullptr;
};

// The nearest USB device above the disk of drive letter (either case). Shows
// no notice; every handle it opened is closed when it returns.
DriveOwner FindDriveOwner(const Platform& platform, char letter);

// The letters, ascending, of every drive of GetLogicalDrives whose owner is
// instance (compared case-insensitively, ASCII only); empty for an empty one.
std::string DriveLettersOf(const Platform& platform, const std::string& instance);

}  // namespace mw
