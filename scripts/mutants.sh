#!/usr/bin/env bash
# Plants single-line faults into the product, one at a time, and tells which
# of them the tests catch:
#
#   scripts/mutants.sh [--wine] [NAME-FILTER]
#
# Each fault is planted into the source, the host unit tests are built and
# run (with --wine also the Windows unit and adapter tests under Wine), and
# the source is restored, whatever happened. A fault is killed when the build
# or a test fails. It prints one line per fault and "N killed, M survived".
# A fault that only the program itself shows, driven by the end-to-end suite,
# ends in "@@ e2e CASES" (a GoogleTest filter): with --wine Mountwick.exe is
# built and those cases run as well; without, it is listed and counted apart.
# Faults are found by their text, not their line number, so the list keeps
# working while the code around them changes; a fault whose text is gone is
# reported as such and counted apart.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

wine=0
if [[ ${1:-} == --wine ]]; then
  wine=1
  shift
fi
filter=${1:-}

# file @@ text to find @@ its replacement @@ the fault it plants [@@ e2e CASES] (<NL>: a line break)
faults=$(cat <<'EOF'
src/engine/command_line_split.cpp @@ if (text.front() == '"') { @@ if (text.front() == '\'') { @@ a leading quote no longer marks a quoted program
src/engine/command_line_split.cpp @@ split.parameters = line.Sub(close + 1); @@ split.parameters = line.Sub(close); @@ the closing quote slips into the parameters
src/engine/command_line_split.cpp @@ if (end == std::string::npos) end = text.find(".COM "); @@ if (end != std::string::npos) end = text.find(".COM "); @@ ".BAT " no longer wins over ".COM "
src/engine/command_line_split.cpp @@ split.parameters = line.Sub(end + 5); @@ split.parameters = line.Sub(end + 4); @@ the separating blank stays with the parameters
src/engine/command_line_split.cpp @@ if (text.find(' ') == std::string::npos) return split; @@ if (text.find(' ') != std::string::npos) return split; @@ lines with blanks are never split
src/engine/command_line_split.cpp @@ return at != std::string_view::npos && upper.size() >= 4 && at == upper.size() - 4; @@ return at != std::string_view::npos; @@ any extension anywhere counts as the program's end
src/engine/command_line_split.cpp @@ if (at + 4 == upper.size() || upper[at + 4] == ' ') return at + 4; @@ if (upper[at + 4] == ' ') return at + 4; @@ a program path at the very end is not found
src/engine/command_line_split.cpp @@ if (path.find(' ') != std::string::npos && path.find('"') == std::string::npos) @@ if (path.find('"') == std::string::npos) @@ every program path is quoted
src/engine/command_line_split.cpp @@ command = '"' + path + '"' + command.substr(end); @@ command = '"' + command + '"'; @@ the options are quoted together with the path
src/engine/launch_target.cpp @@ if (needed == 0 || needed > kLaunchBufferSize - 1) return false; @@ if (needed == 0) return false; @@ an over-long expansion is started cut
src/engine/launch_target.cpp @@ if (line.upper.rfind("MAILTO:", 0) == 0) @@ if (line.original.rfind("MAILTO:", 0) == 0) @@ a mail address in small letters is not recognised
src/engine/launch_target.cpp @@ if (line.upper.find("://") != std::string::npos) { @@ if (line.upper.find("://") == 0) { @@ web addresses no longer go to the browser
src/engine/launch_target.cpp @@ if (!placeholder && associated_upper != split.program.upper) { @@ if (associated_upper != split.program.upper) { @@ a placeholder association replaces the document
src/engine/launch_target.cpp @@ class_name = extension; @@ return false; @@ an extension without a class fails instead of standing for itself
src/engine/launch_target.cpp @@ command.resize(exe + 4); @@ command.resize(exe); @@ the associated program loses its ".EXE"
src/engine/command_line_split.cpp @@ return command + split.joint + split.parameters.original; @@ return command + ' ' + split.parameters.original; @@ a blank is added where the line had none before its parameters
src/engine/command_line_split.cpp @@ shell.file = command.substr(1, end - 1); @@ shell.file = command.substr(0, end); @@ the shell gets the program file with its quotes
src/engine/launcher.cpp @@ if (wait && !processes.CreateWaitableJob(job.receive(), &error)) @@ if (false && !processes.CreateWaitableJob(job.receive(), &error)) @@ no job: what the program hands on is not waited for
src/engine/launcher.cpp @@ if (active == 0) return true; @@ return true; @@ the processes left in the job are not waited for
src/engine/launcher.cpp @@ if (!platform.processes.ActiveJobProcesses(job, &active)) return false; @@ if (!platform.processes.ActiveJobProcesses(job, &active)) return true; @@ a job that cannot be read is logged as emptied
src/engine/launcher.cpp @@ if (message == JobMessage::Failed) platform.threads.Sleep(kJobPollMilliseconds); @@ (void)message; @@ a failing job port makes the wait spin
src/engine/launcher.cpp @@ if (error == kErrorElevationRequired) return StartElevated(platform, command, wait, who); @@ (void)0; @@ a program that asks for administrator rights fails to start
src/engine/runner.cpp @@ return {false, launched.error}; @@ return {false, 0}; @@ a failed start's code is lost
src/engine/runner.cpp @@ run.removal->Leave(work.ran ? &action : nullptr); @@ run.removal->Leave(&action); @@ a run that started nothing removes with its own settings
src/engine/removal_group.cpp @@ if (working_ > 0) return {working_, std::nullopt}; @@ (void)0; @@ every run of one arrival asks for the removal
src/engine/removal_group.cpp @@ if (ran) last_ran_ = *ran; @@ (void)ran; @@ runs of one arrival never remove their device
src/engine/dispatcher.cpp @@ return {device.record->HardwareID, '\0', device.instance, device.record->DisplayName}; @@ return {device.record->HardwareID, '\0', "", device.record->DisplayName}; @@ the device that arrived is not the one removed
src/devices/device_eject.cpp @@ InstanceKey(id) == InstanceKey(instance_id); @@ true; @@ any device is removed in place of the one that arrived
src/engine/runner.cpp @@ for (int attempt = 0; attempt < kVolumeQueryAttempts; ++attempt) { @@ for (int attempt = 0; attempt < kVolumeQueryAttempts - 1; ++attempt) { @@ one volume query too few
src/engine/runner.cpp @@ platform.desktop.ToUpper(label); @@ (void)label; @@ the label is compared without upper-casing
src/engine/device_removal.cpp @@ if (retries_left == 0) retries_left = kUnlimitedRetries; @@ if (retries_left == 1) retries_left = kUnlimitedRetries; @@ a count of 0 no longer means unlimited
src/engine/device_removal.cpp @@ if (retries_left > 0) { @@ if (retries_left > 1) { @@ one retry too few
src/engine/device_removal.cpp @@ } else if (retries_left != kUnlimitedRetries) { @@ } else { @@ unlimited retries stop after the first
src/engine/device_removal.cpp @@ if (!retrying || !refused) return @@ if (!retrying) return @@ a removal that failed for another reason than a veto is retried
src/engine/runner.cpp @@ if (!IsFlagOn(action.Eject)) return work.error; @@ if (false) return work.error; @@ removal is requested without automatic removal
src/engine/runner.cpp @@ command_line.replace(at, token_length, 1, letter); @@ command_line.replace(at, token_length - 1, 1, letter); @@ the token is replaced one byte short
src/engine/runner.cpp @@ if (has_letter && !NewDrivePasses(platform, run)) return {}; @@ if (!NewDrivePasses(platform, run)) return {}; @@ runs without a drive letter are checked too
src/engine/device_change.cpp @@ for (int drive = 0; drive < 26; ++drive) { @@ for (int drive = 1; drive < 26; ++drive) { @@ drive A is never reported
src/engine/device_change.cpp @@ if (flags & dbt::kFlagNet) return @@ if (flags == dbt::kFlagNet) return @@ a network drive with the media flag is dispatched
src/engine/device_change.cpp @@ size < dbt::kVolumeFieldsEnd @@ size < 12 @@ a short packet's volume fields are read
src/engine/list_reading.cpp @@ return read_new && !known.contains(DeviceTracker::Key(instance)); @@ return read_new && known.contains(DeviceTracker::Key(instance)); @@ old devices count as new and new ones as old
src/engine/dispatcher.cpp @@     devices_.Remember(Keys(fresh), enumeration.complete);<NL>  }<NL>  starter_.ReportFailedStarts @@   }<NL>  starter_.ReportFailedStarts @@ the last list is never updated, so a device stays new
src/engine/dispatcher.cpp @@ 一覧を取得できませんでした");<NL>      return; @@ 一覧を取得できませんでした"); @@ a failed enumeration replaces the last list
src/engine/run_starter.cpp @@ pending_.DropLastLocked(); @@ (void)0; @@ a run whose thread failed stays pending
src/engine/pending_runs.cpp @@ runs_.pop_back(); @@ (void)0; @@ a taken run stays in the list
src/engine/decimal.cpp @@ if (negative) value = -value; @@ (void)negative; @@ negative numbers lose their sign
src/engine/decimal.cpp @@ return value < 0 ? 0u : static_cast<std::uint32_t>(value); @@ return static_cast<std::uint32_t>(value); @@ a negative wait never ends
src/model/action.h @@ return action.State != kFlagOn; @@ return action.State == kFlagOff; @@ only a "0" State is dispatched
src/model/action.h @@ return flag != kFlagOff; @@ return flag == kFlagOn; @@ check boxes show checked only for "1"
src/devices/device_property.cpp @@ while (pos < end && data[pos] != 0) { @@ while (pos <= end && data[pos] != 0) { @@ the property walk reads one byte past its end
src/devices/device_property.cpp @@ if (attempts >= kMaxSizedPropertyQueries) return; @@ if (attempts > kMaxSizedPropertyQueries) return; @@ one query more than allowed
src/devices/device_property.cpp @@ if (!details.empty()) details += "\r\n"; @@ details += "\r\n"; @@ Details begins with a line break
src/devices/device_property.cpp @@ AppendJoinedStrings(buffer.get(), std::min(required, buffer_size), value); @@ AppendJoinedStrings(buffer.get(), required, value); @@ the walk trusts the reported size over the buffer
src/devices/display_name.cpp @@ if (!name.empty()) name += '/'; @@ name += '/'; @@ a name can begin with "/"
src/devices/display_name.cpp @@ while (!name.empty() && name.back() == ' ') name.pop_back(); @@ (void)0; @@ trailing blanks stay in the name
src/devices/device_enumeration.cpp @@ if (FindDeviceByHardwareID(record.HardwareID, list) < 0) list.push_back(std::move(record)); @@ list.push_back(std::move(record)); @@ duplicate devices are listed twice
src/devices/device_enumeration.cpp @@ AllKnown ? setup::kDigcfDeviceInterface : setup::kDigcfPresent | setup::kDigcfDeviceInterface; @@ setup::kDigcfPresent | setup::kDigcfDeviceInterface; @@ all known devices are never listed
src/devices/device_eject.cpp @@ return scratch.HardwareID == hardware_id; @@ return scratch.HardwareID != hardware_id; @@ the wrong device is removed
src/store/registry_settings.cpp @@ if (path.size() >= kSettingsPathBufferSize) return std::nullopt; @@ if (path.size() > kSettingsPathBufferSize) return std::nullopt; @@ a path that fills the buffer is accepted
src/store/registry_settings.cpp @@ if (result == reg::kFileNotFound) return ReadResult::kMissing; @@ (void)0; @@ a missing value brings a notice
src/store/registry_settings.cpp @@ static_cast<std::uint32_t>(text.size() + 1)); @@ static_cast<std::uint32_t>(text.size())); @@ values are stored without their NUL
src/store/registry_text.cpp @@ if (result == reg::kMoreData && attempt + 1 < kReadAttempts) { @@ if (false) { @@ a value that grew is not read again
src/model/action.h @@ {&Action::Ex_RunWait, "Ex_RunWait", "2000", true}, @@ {&Action::Ex_RunWait, "Ex_RunWait", "2000", false}, @@ a missing wait loads empty instead of its default
src/store/action_store.cpp @@ if (key && WriteAll(platform, key, actions, failures))<NL>    RemoveOtherValues(platform, key, actions.size(), failures); @@ if (key) (void)WriteAll(platform, key, actions, failures); @@ values of removed Actions stay behind
src/store/action_store.cpp @@ if (VersionSubkeyExists(platform, kActionsSubkey)) @@ if (true) @@ an absent subkey brings a deletion notice
src/ui/action_form.cpp @@ if (check.name.empty() || check.name == kNewActionName) { @@ if (check.name.empty()) { @@ the untouched default name is registered as is
src/ui/action_form.cpp @@ if (static_cast<int>(i) != selection && actions[i].Name == check.name) @@ if (actions[i].Name == check.name) @@ renaming an Action to its own name is refused
src/ui/action_form.cpp @@ if (!form.eject_enabled) form.eject_checked = false; @@ (void)0; @@ a greyed-out removal option stays checked
src/ui/action_form.cpp @@ const std::size_t backslash = FindLastSingleByte(command_line, '\\'); @@ const std::size_t backslash = command_line.rfind('\\'); @@ a trail byte 0x5C splits the generated name
src/ui/device_picker.cpp @@ if (option_id == picker.mode) return false; @@ if (false) return false; @@ the devices are enumerated again for the same mode
src/ui/device_picker.cpp @@ if (all_known || devices[i].Present) shown.push_back(static_cast<int>(i)); @@ shown.push_back(static_cast<int>(i)); @@ absent devices show among the connected ones
src/ui/extended_form.cpp @@ work_copy.*box.field = it != form.checked.end() && it->second ? kFlagOn : kFlagOff; @@ work_copy.*box.field = kFlagOn; @@ every extended check box is stored on
src/ui/settings_list.cpp @@ if (answer != mb::kIdYes || !IsRow(actions, selection)) return false; @@ if (!IsRow(actions, selection)) return false; @@ No deletes the Action as well
src/platform/sjis.cpp @@ ++i;<NL>      continue;<NL>    }<NL>    if (text[i] == ch) found = i; @@ continue;<NL>    }<NL>    if (text[i] == ch) found = i; @@ a trail byte 0x5C counts as a backslash
src/app/startup_options.cpp @@ arguments.find("SET") != std::string::npos; @@ false; @@ "SET" no longer opens the settings
src/app/tray_clicks.h @@ first_click_pending_ = !first_click_pending_; @@ first_click_pending_ = true; @@ a second click never opens the settings
src/ui/test_run.cpp @@ const std::string command = CutToBuffer(command_line, kShortCommandLimit); @@ const std::string command = command_line; @@ the test run is tried uncut
src/ui/test_run.cpp @@ (void)LaunchProgram(platform, command, false); @@ (void)LaunchProgram(platform, command, true); @@ a test run without removal holds the dialog until its program ends
src/ui/test_run.cpp @@ (void)LaunchProgram(platform, command, false); @@ done(static_cast<bool>(LaunchProgram(platform, command, false))); @@ a test run without removal tells of an end it never saw
src/ui/test_run.cpp @@ mb::kOk | mb::kIconInformation | mb::kTopmost @@ mb::kOk | mb::kIconInformation @@ the box of the ended test run can hide behind other windows
src/app/update_checker.cpp @@ if (root.Open(RegistryRoot::CurrentUser, kUpdateCheckerRoot, reg::kRead) != reg::kSuccess) @@ if (false) @@ the update checker's values are written where it is not installed
src/app/update_checker.cpp @@ reinterpret_cast<const unsigned char*>(&build), sizeof build); @@ reinterpret_cast<const unsigned char*>(&build), 2); @@ the build number is stored in two bytes
src/app/update_checker.cpp @@ static_cast<std::uint32_t>(text.size() + 1)); @@ static_cast<std::uint32_t>(text.size())); @@ the update checker's texts are stored without their NUL
src/app/about_box_win.cpp @@ SetDlgItemTextA(dialog, IDC_BUILD_TEXT, build.c_str()); @@ (void)build; @@ the about box shows its placeholder for the build @@ e2e Case.TrayClicks*
src/app/main_window_win.cpp @@ ShowTrayMenu(window);<NL>      break; @@ (void)ShowTrayMenu;<NL>      break; @@ a right click on the tray icon shows no menu @@ e2e Case.ASecond*
src/app/main_window_win.cpp @@ if (message == app.taskbar_created && message != 0) { @@ if (false) { @@ a restarted taskbar does not get the icon back @@ e2e Case.ASecond*
src/ui/settings_dialog_win.cpp @@ if (!RequireSelection(d.context.platform, SelectionMark(d))) return;<NL>  FormEdit edit @@ if (RequireSelection(d.context.platform, SelectionMark(d))) return;<NL>  FormEdit edit @@ Change does not open the selected Action for editing @@ e2e Case.AnAction*
src/ui/settings_dialog_win.cpp @@ SetEditMode(d, true, false, edit);<NL>  ShowSelectedAction(d, edit); @@ SetEditMode(d, true, false, edit); @@ Cancel leaves the abandoned edit in the form @@ e2e Case.AnAction*
src/ui/settings_list.cpp @@ for (int id : kFormGroup) states.push_back({id, form_enabled}); @@ for (int id : kFormGroup) states.push_back({id, true}); @@ the form stays usable in list mode @@ e2e Case.AnAction*
src/ui/settings_list.cpp @@ for (int id : kListGroup) states.push_back({id, list_enabled}); @@ for (int id : kListGroup) states.push_back({id, list_enabled || form_enabled}); @@ the list stays usable while the form is edited @@ e2e Case.AnAction*
src/ui/extended_form.cpp @@ {IDC_RUN_WAIT_SPIN, IDE_RUN_WAIT, 32000, 250}, @@ {IDC_RUN_WAIT_SPIN, IDE_RUN_WAIT, 32767, 250}, @@ the run wait's arrows go past 32000 @@ e2e Case.AnAction*
src/ui/extended_form.cpp @@ {IDC_RMV_WAIT_SPIN, IDE_RMV_WAIT, 32000, 250}, @@ {IDC_RMV_WAIT_SPIN, IDE_RMV_WAIT, 32000, 100}, @@ the removal wait's arrows step by 100 @@ e2e Case.AnAction*
src/ui/extended_form.cpp @@ {IDC_RMV_RETRY_COUNT_SPIN, IDE_RMV_RETRY_COUNT, 9, 1}, @@ {IDC_RMV_RETRY_COUNT_SPIN, IDE_RMV_RETRY_COUNT, 99, 1}, @@ the retry count's arrows go past 9 @@ e2e Case.AnAction*
src/ui/extended_dialog_win.cpp @@ UDACCEL accel = {0, static_cast<UINT>(up_down.step)}; @@ UDACCEL accel = {0, 1}; @@ every arrow steps by 1 @@ e2e Case.AnAction*
src/engine/dispatcher.cpp @@ if (std::any_of(fresh.begin(), fresh.end(), is_new) || new_count != old_count) { @@ if (new_count > old_count) { @@ a device that replaced another is not new while the count stays
src/devices/device_enumeration.cpp @@ if (wants_record(device.instance)) @@ if (true) @@ every attached device is read in full and counted new
src/engine/dispatcher.cpp @@ if (!enumeration_) return StartEnumeration(); @@ return StartEnumeration(); @@ each change in a burst is a reading of the whole list
src/engine/dispatcher.cpp @@ if (std::exchange(list_change_gathered_, false)) StartEnumeration(); @@ list_change_gathered_ = false; @@ changes that came while a list was read are lost
src/engine/dispatcher.cpp @@ if (!enumeration_ || !enumeration_->done.load(std::memory_order_acquire)) return; @@ if (!enumeration_) return; @@ a list is compared before it has been read
src/engine/dispatcher.cpp @@ if (since < kStartQuietMilliseconds) @@ if (false) @@ a list read right after programs started competes with their start
src/engine/device_tracker.cpp @@ return InstanceKey(instance); @@ return InstanceKey(instance.substr(0, instance.rfind('\\'))); @@ devices are told apart by their model, not their instance, so a twin is never new
src/engine/device_tracker.cpp @@ std::exchange(known_, std::exchange(arrived_meanwhile_, {})); @@ std::exchange(known_, {}); @@ a device that came by its interface while a list was read runs again
src/engine/dispatcher.cpp @@ return device.record && !devices_.Knows(key) && @@ return device.record.has_value() && @@ a device read in full runs again though its interface arrival ran it
src/engine/device_tracker.cpp @@ || !known_.insert(key).second) return false; @@ || !(known_.insert(key), true)) return false; @@ a known device's interface arrival runs it again
src/engine/device_change.cpp @@ if (device_type == dbt::kDevTypDeviceInterface) {<NL>    RoutedDeviceChange routed @@ if (false) {<NL>    RoutedDeviceChange routed @@ a USB device's own arrival is ignored
src/engine/device_change.cpp @@ sizeof setup::kUsbDeviceInterfaceClass) != 0) @@ 0) != 0) @@ any interface's arrival is taken for a USB device's
src/engine/device_change.cpp @@ std::replace(instance.begin(), instance.end(), '#', '\\'); @@ (void)0; @@ the instance keeps the path's separators
src/app/main_win.cpp @@ PostMessageA(a.main_window, mw::kDeviceListReadMessage, 0, 0) @@ PostMessageA(nullptr, mw::kDeviceListReadMessage, 0, 0) @@ a list read on the pool never reaches the window @@ e2e Rows/Arrival.*/ANewStick*Replaced*
src/platform/win32/registry_win32.cpp @@ CreateEventA(nullptr, TRUE, FALSE, nullptr); @@ CreateEventA(nullptr, FALSE, FALSE, nullptr); @@ the tray's wait takes the change away from the next read @@ e2e Rows/Arrival.*/AnActionChanged*
src/app/main_win.cpp @@ MsgWaitForMultipleObjectsEx(change ? 1 : 0, @@ MsgWaitForMultipleObjectsEx(0, @@ changed settings are read only at the next arrival @@ e2e Rows/Arrival.*/AnActionChanged*
src/engine/dispatcher.cpp @@ if (settings_absent_) return; @@ (void)0; @@ broadcasts start Actions while no settings exist @@ e2e Rows/Arrival.*/TheCarryOverFileAnsweredNo*
src/store/action_store.cpp @@ stored.extended ? stored.default_text : "", @@ stored.default_text, @@ a missing base value takes a default instead of empty text
src/model/action.cpp @@ if (field.extended) to.*field.member = from.*field.member; @@ to.*field.member = from.*field.member; @@ the extended copy takes every field
src/model/action.h @@ {&Action::Ex_RmvRetryWait, "Ex_RmvRetryWait", "3000", true}, @@ {&Action::Ex_RmvRetryWait, "Ex_RmvRetryWait", "300", true}, @@ the retry wait's default is wrong
src/platform/win32/threads_win32.cpp @@ SetLastError(ERROR_SUCCESS);<NL>  start.routine @@ start.routine @@ a run begins with the error a run before it left on its thread
src/engine/device_removal.cpp @@ if (instance.empty() && IsGenericEntry(run.HardwareID)) { @@ if (false) { @@ a drive no USB device holds is removed by its entry's identifier
src/engine/device_removal.cpp @@ if (!result.asked()) return LogRemovalEnd(platform, run, result); @@ if (false) return; @@ a removal never asked for is logged as a request and retried
src/devices/device_eject.cpp @@ (code == setup::kCrSuccess && veto_type != kVetoTypeUnknown); @@ false; @@ a success that names a veto counts as granted
src/devices/device_eject.cpp @@ if (found) { @@ if (false) { @@ with twins attached, a removal by model takes the first
src/engine/device_drive.cpp @@ (action.ExeFile.find(kDriveToken) != std::string::npos || @@ (false || @@ a device's run starts with the literal drive token
src/engine/device_drive.cpp @@ IsFlagOn(action.Ex_RunVolumeChk) || IsFlagOn(action.Ex_RunPathChk)); @@ false); @@ a device's label and path checks are skipped
src/engine/device_drive.h @@ kDeviceDriveLookMilliseconds = 500; @@ kDeviceDriveLookMilliseconds = 5000; @@ a drive that comes unannounced is found ten times later
src/engine/device_drive.cpp @@ DriveBell::Waiter waiter(platform.threads, bell); @@ DriveBell::Waiter waiter(platform.threads, nullptr); @@ a volume arrival does not wake the runs that wait for their drive
src/engine/dispatcher.cpp @@ drive_bell_.Ring(); @@ (void)0; @@ the window does not wake the runs that wait for their drive
src/engine/dispatcher.cpp @@ owner = found.instance; @@ (void)found; @@ a drive's run does not remove the device that holds the drive
src/engine/runner.cpp @@ ShowNotice(platform, kDeviceDriveMissing, run.Name, device); @@ (void)device; @@ a device's run whose drive never came is not told of
src/engine/runner.cpp @@ if (NeedsDeviceDrive(of) && !TakeDeviceDrive(platform, bell, of, run)) return {}; @@ if (NeedsDeviceDrive(of)) (void)TakeDeviceDrive(platform, bell, of, run); @@ a device's run whose drive never came starts with the literal token
src/ui/device_picker.cpp @@ service == kUsbAttachedScsiService || @@ false || @@ a UASP disk is offered no automatic removal
src/ui/device_picker.cpp @@ service == kGenericEntryService; @@ false; @@ the drive and medium entries are offered no automatic removal
src/devices/drive_owner.cpp @@ if (type != storage::kDriveRemovable && type != storage::kDriveFixed) @@ if (type == storage::kDriveRemote) @@ a CD-ROM drive is given the owner of a disk of its number
src/devices/drive_owner.cpp @@ && target.starts_with("\\??\\")) @@ && false) @@ a subst drive is given the owner of the volume it points into
src/devices/drive_owner.cpp @@ if (extents > 1 && (listed || error == storage::kErrorMoreData)) @@ if (extents > 1 && listed) @@ a volume over several disks is not told when the system says there are more
src/devices/drive_owner.cpp @@ if (listed && extents == 1) { @@ if (listed) { @@ Wine's answer of no extents is taken for disk 0
src/devices/drive_owner.cpp @@ return p_.storage.GetDeviceNumber(volume.get(), disk, &error) ? nullptr : kNoDiskNumberText; @@ return kNoDiskNumberText; @@ a volume that lists no extents is not found by its own number
src/devices/drive_owner.cpp @@ if (each.number.device_type == disk.device_type &&<NL> @@ if (<NL> @@ a CD-ROM is taken for the disk of the same number
src/devices/drive_owner.cpp @@ usb_instances_.contains(InstanceKey(id))) @@ !id.empty()) @@ a drive's owner is its disk's parent, USB device or not
src/devices/drive_owner.cpp @@ constexpr int kMaxParentSteps = 16; @@ constexpr int kMaxParentSteps = 1; @@ the walk stops below a composite device
src/devices/drive_owner.cpp @@ for (int step = 0; step < kMaxParentSteps; ++step) { @@ for (int step = 0;; ++step) { @@ a parent walk that never ends is not stopped
src/devices/drive_owner.cpp @@         disks_.push_back(disk);<NL>    }<NL> @@         disks_.push_back(disk);<NL>    }<NL>    disk_set_.Reset();<NL> @@ the disk set is closed before the walk, whose DEVINSTs die with it under Wine
src/devices/drive_owner.cpp @@ InstanceKey(finder.Find(letter).instance) == wanted) @@ finder.Find(letter).instance == instance) @@ a device named in another case holds no drives
src/devices/drive_owner.cpp @@ letter = InstanceKey(std::string(1, letter))[0]; @@ (void)0; @@ a drive letter in small case has no owner
src/platform/win32/storage_win32.cpp @@ target->assign(buffer.data());  // the first string of the list @@ (void)buffer; @@ the drive's DOS device target is lost, so no subst drive is told
src/platform/win32/device_setup_win32.cpp @@ id->assign(buffer, strnlen(buffer, sizeof buffer)); @@ id->clear(); @@ a device's instance is never read, so no drive has an owner
src/engine/dispatcher.cpp @@ devices_.Left(DeviceTracker::Key(change.instance)); @@ (void)0; @@ a device pulled and plugged again while a list is read is missed
src/engine/device_tracker.cpp @@ if (!left_meanwhile_.contains(key) && known_.insert(key).second @@ if (known_.insert(key).second @@ a list read before a device left makes it known again
src/engine/device_change.cpp @@ routed.event = DeviceEvent::UsbDeviceLeft; @@ (void)0; @@ a USB device's removal is taken for its arrival
src/store/registry_settings.cpp @@ if (count_++ > 0) return; @@ count_++; @@ a save's notice names its last failure instead of its first
src/store/registry_settings.cpp @@ failures.Add(kSetFailed, result, name); @@ ShowSystemErrorNotice(platform, static_cast<std::uint32_t>(result), kSetFailed); @@ each value a save cannot write has a notice of its own
src/store/registry_settings.cpp @@   LogActivity(platform, "%s: 失敗 @@   if (false) LogActivity(platform, "%s: 失敗 @@ the activity log does not tell a failed save
src/store/action_store.cpp @@ failures.Report(platform, kLoadWork); @@ (void)kLoadWork; @@ a load that cannot read tells nothing
src/engine/waiting_runs.cpp @@ if (!IsFlagOn(action.Eject)) return; @@ (void)0; @@ runs without removal are told as waiting
src/engine/waiting_runs.cpp @@ names_.begin()->second @@ names_.rbegin()->second @@ the tip names the newest run, not the one that has waited longest
src/engine/runner.cpp @@ const WaitingRuns::Entry waiting(context.pending.waiting(), run->action); @@ (void)0; @@ runs are never told as waiting
src/app/tray_tip.cpp @@ if (waiting.count == 0) return kTrayTip; @@ if (waiting.count < 2) return kTrayTip; @@ one waiting run leaves the product's tip
src/app/tray_tip.cpp @@ kTrayTipBufferSize); @@ kTrayTipBufferSize + 1); @@ the tip is cut one byte past its buffer
src/app/quit_question.cpp @@ if (waiting.count == 0) return true; @@ if (true) return true; @@ quitting never asks while runs wait
src/app/quit_question.cpp @@ mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2 @@ mb::kYesNo | mb::kIconQuestion @@ the quit question's default is Yes
src/ui/test_run.cpp @@ if (platform.threads.RunDetached(&WaitForTestRun, run, &error)) return true; @@ if (false) return true; @@ a test run with removal waits on the dialog's thread
src/ui/settings_dialog_win.cpp @@     HoldControls(d); @@     (void)HoldControls; @@ the dialog's controls stay usable while a test run waits @@ e2e Waiting.ATestRun*
src/app/main_window_win.cpp @@ if (app.tray) app.tray->SetTip( @@ if (false) app.tray->SetTip( @@ the tip never tells the waiting runs @@ e2e Waiting.TheTip*
src/app/quit_question.cpp @@   LogActivity(platform, "終了します @@   if (false) LogActivity(platform, "終了します @@ quitting with waiting runs leaves no word in the log
src/store/action_store.cpp @@ stored == kept.size()) @@ true) @@ a save never removes what lies beyond its list
src/engine/dispatcher.cpp @@ return device.record && !devices_.Knows(key) && !devices_.LeftMeanwhile(key); @@ return device.record && !devices_.Knows(key); @@ a device pulled and plugged again while a list waits to be read runs twice
src/engine/device_tracker.cpp @@ if (gone_untold_.erase(key) != 0 && known_.contains(key)) return; @@ (void)gone_untold_.erase(key); @@ a late removal of a device a list saw come back makes its arrival run it again
src/engine/device_tracker.cpp @@ if (came_untold_.erase(key) != 0 || @@ if ( @@ the late arrival of a device a list saw come and go runs it again
src/engine/device_tracker.cpp @@   if (!complete) keys.insert @@   if (false) keys.insert @@ a device whose instance could not be read once looks gone, then new
src/engine/run_starter.cpp @@ if (group) (void)group->Leave(nullptr); @@ (void)group; @@ a run whose thread could not start holds its group's removal back for ever
src/devices/drive_owner.cpp @@ InstanceKey(finder.Find(letter).instance) == wanted) @@ InstanceKey(finder.Find(letter).instance).starts_with(wanted.substr(0, wanted.rfind('\\')))) @@ a twin's run works on the first twin's drive
src/store/action_cache.cpp @@ if (up_to_date_ && !watch_.Changed()) return actions_; @@ if (!actions_.empty()) return actions_; @@ a list once read is never read again, so a save in a burst runs the old one
src/engine/launcher.cpp @@ if (wait && process) WaitForPrograms(platform, process.get(), 0, id, who); @@ (void)wait; @@ a program started through the consent prompt is not waited for
src/engine/launcher.cpp @@ platform.processes.ShellExecuteProcess(shell.file, shell.parameters, @@ platform.processes.ShellExecuteProcess(shell.file, "", @@ a program started through the consent prompt loses its parameters
src/platform/win32/threads_win32.cpp @@ CallbackMayRunLong(instance); @@ (void)instance; @@ the pool is not told that a run may wait for hours
src/platform/win32/processes_win32.cpp @@ (thread ? CREATE_SUSPENDED : 0); @@ 0; @@ a program meant for a job runs before it is in the job
src/app/main_win.cpp @@ a.usb_arrivals.Reset(mw::win32::RegisterUsbInterfaceArrivals(a.main_window)); @@ (void)0; @@ the window never registers for USB device arrivals @@ e2e Rows/Arrival.*/ANewStickRunsItsActionsOnceEven*
src/engine/launcher.cpp @@ if (!ShellOpen(platform, target.what, std::nullopt, &error)) return {false, error}; @@ if (!ShellOpen(platform, target.what, std::nullopt, &error)) return {false, 0}; @@ a mail address that fails to open is logged without its code
src/store/registry_settings.cpp @@ if (result == reg::kSuccess || result == reg::kFileNotFound) return true; @@ if (result == reg::kSuccess) return true; @@ deleting a value that is already gone counts as a failure
src/engine/command_line_split.cpp @@ if (end == std::string::npos) end = text.find(".COM "); @@ (void)0; @@ a .COM program keeps its parameters in its path
src/platform/sjis.cpp @@       ++i;<NL>    } else if @@     } else if @@ a double-byte character's trail byte is upper-cased
src/ui/settings_list.cpp @@ mb::kYesNo | mb::kIconQuestion | mb::kDefaultButton2); @@ mb::kYesNo | mb::kIconQuestion); @@ the delete question's default is Yes
src/store/action_store.cpp @@ failures.Report(platform, kSaveWork); @@ failures.Report(platform, kSaveWork), failures.Report(platform, kSaveWork); @@ a failed save shows its notice twice
src/app/update_checker.cpp @@ const std::uint32_t build = kBuildNumber; @@ const std::uint32_t build = kBuildNumber + 1; @@ the update checker is told another build than the product's
src/app/main_window_win.cpp @@ app.dispatcher->Dispatch(RouteDeviceChange(wparam, @@ if (wparam != DBT_DEVICEREMOVECOMPLETE) app.dispatcher->Dispatch(RouteDeviceChange(wparam, @@ the window drops a USB device's removal, so one plugged again at once passes for known @@ e2e Storm.*
src/engine/run_starter.cpp @@ removing += BindsDevice(action, id) && IsDispatched(action) && IsFlagOn(action.Eject); @@ removing += BindsDevice(action, id) && IsFlagOn(action.Eject); @@ a disabled Action with removal holds its device's removal back
src/engine/dispatcher.cpp @@     delete parameter;<NL>    enumeration_->quiet_ms = 0; @@     delete parameter;<NL>    return; @@ when the pool refuses work the list change is never read
src/devices/device_eject.cpp @@ return platform.devices.GetInstanceId(set, element, &id, &error) && @@ return !platform.devices.GetInstanceId(set, element, &id, &error) || @@ a device whose instance cannot be read is removed in place of the one that arrived
src/engine/dispatcher.cpp @@   if (dispatching_) return; @@   (void)dispatching_; @@ a broadcast that comes while another is handled, during its notice, is handled inside it
EOF
)

build=build/mutants
log=$build/mutant.log
mkdir -p "$build"
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake --preset host -B "$build" >"$build/configure.log" 2>&1 || {
    echo "mutants: configuring $build failed (see $build/configure.log)"
    exit 1
  }
fi

# The end-to-end cases a fault names, if any.
e2e_cases() { [[ $1 =~ \ @@\ e2e\ ([^@]+)$ ]] && echo "${BASH_REMATCH[1]}"; }
# Whether the fault's file is built only for Windows (the adapters, *_win files).
windows_only() { [[ ${1%% @@ *} == */win32/* || ${1%% @@ *} == *_win.* ]]; }

# run_tests [E2E-CASES]: with cases, under Wine only those, not the unit and adapter tests.
run_tests() {
  cmake --build "$build" --target mountwick_unit_tests -j2 >"$log" 2>&1 || return 1
  timeout 60 "$build/mountwick_unit_tests" --gtest_brief=1 >>"$log" 2>&1 || return 1
  ((wine)) || return 0
  if [[ -n ${1:-} ]]; then
    cmake --build --preset win64 --target Mountwick mountwick_e2e_tests -j2 >>"$log" 2>&1 || return 1
    (cd build/win64/bin &&
      timeout 900 "$root/scripts/wine-exec" ./mountwick_e2e_tests.exe --gtest_filter="$1") >>"$log" 2>&1
    return
  fi
  cmake --build --preset win64 --target mountwick_unit_tests mountwick_win_tests -j2 >>"$log" 2>&1 ||
    return 1
  (cd build/win64/bin && timeout 600 "$root/scripts/wine-exec" ./mountwick_unit_tests.exe &&
    timeout 600 "$root/scripts/wine-exec" ./mountwick_win_tests.exe) >>"$log" 2>&1
}

if ((wine)); then
  if [[ ! -f build/win64/CMakeCache.txt ]]; then
    cmake --preset win64 >"$build/configure-win64.log" 2>&1 || {
      echo "mutants: configuring build/win64 failed (see $build/configure-win64.log)"
      exit 1
    }
  fi
  source scripts/wine-env.sh
  wine_env_start "$root/build/wine"
  trap wine_env_stop EXIT
fi

# Every end-to-end case the chosen faults name must pass unplanted.
all_cases=""
if ((wine)); then
  while IFS= read -r fault; do
    [[ -n $filter && $fault != *"$filter"* ]] && continue
    cases=$(e2e_cases "$fault") && all_cases+="${all_cases:+:}$cases"
  done <<<"$faults"
fi

echo "== unplanted tree"
if ! run_tests || { [[ -n $all_cases ]] && ! run_tests "$all_cases"; }; then
  echo "mutants: the tests fail without any planted fault (see $log)"
  exit 1
fi

killed=0
survived=0
missing=0
unrun=0
while IFS= read -r fault; do
  [[ -z $fault ]] && continue
  [[ -n $filter && $fault != *"$filter"* ]] && continue
  cases=$(e2e_cases "$fault")
  if { [[ -n $cases ]] || windows_only "$fault"; } && ((!wine)); then
    echo "wine     ${fault%% @@ *}: $(awk -F ' @@ ' '{print $4}' <<<"$fault")  (needs --wine)"
    unrun=$((unrun + 1))
    continue
  fi
  # Plants the fault, keeping the original beside it; prints the file and what it plants.
  planted=$(python3 - "$fault" <<'PY'
import sys
file, find, replace, what = (p.replace("<NL>", "\n") for p in sys.argv[1].split(" @@ ")[:4])
print(file + ": " + what)
text = open(file, encoding="utf-8").read()
if find not in text:
    sys.exit(1)
open(file + ".unplanted", "w", encoding="utf-8").write(text)
open(file, "w", encoding="utf-8").write(text.replace(find, replace, 1))
PY
  )
  status=$?
  file=${fault%% @@ *}
  if ((status != 0)); then
    echo "gone     $planted"
    missing=$((missing + 1))
    continue
  fi
  if run_tests "$cases"; then
    echo "SURVIVED $planted"
    survived=$((survived + 1))
  else
    # The tests that failed; none when the build failed or the run crashed or hung.
    by=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/]*\.[A-Za-z0-9_/]*\).*/\1/p' "$log" | sort -u | paste -sd, -)
    echo "killed   $planted  (by ${by:-the build, a crash or a hang})"
    killed=$((killed + 1))
  fi
  mv "$file.unplanted" "$file"
  touch "$file"  # newer than the objects built from the fault
done <<<"$faults"

echo "$killed killed, $survived survived, $missing no longer found, $unrun left to --wine"
