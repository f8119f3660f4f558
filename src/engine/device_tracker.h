#pragma once
// Which attached USB devices are known, by their instance: the devices of the
// last list that could be read, and those that came by their own arrival
// while it was read. A device is new by its instance, not by its model, so a
// second stick of a model already attached is new too.
#include <set>
#include <string>
#include <vector>

namespace mw {

class DeviceTracker {
 public:
  // The key a device is known by: its instance identifier in upper case,
  // since the system and a broadcast may spell it differently.
  static std::string Key(const std::string& instance);

  bool has_baseline() const { return has_baseline_; }
  bool Knows(const std::string& key) const { return known_.contains(key); }
  // Told by its own removal since the reading began: a list may hold it from
  // before, or from after it came back, which its own arrival tells.
  bool LeftMeanwhile(const std::string& key) const { return left_meanwhile_.contains(key); }
  const std::set<std::string>& known() const { return known_; }
  std::size_t size() const { return known_.size(); }

  // A reading of the list begins: arrivals from now on are kept over it.
  void BeginReading() { reading_ = true; }
  // The list read. The first one is the baseline; from then on a list
  // replaces what is known, but a device that came by its own arrival while
  // it was read may be missing from it and stays until a later list lacks it,
  // and one that left by its own removal meanwhile is not taken from it.
  // A list that left out a device it could not identify (not complete) takes
  // none of the known ones as gone: the one left out may be any of them.
  void Remember(std::vector<std::string> keys, bool complete = true);
  // A device told by its own arrival: true when it was not known (now it is).
  // The arrival of a device a list already brought is late news, even where
  // a later list has seen it go again.
  bool Arrived(const std::string& key);
  // A device told by its own removal is known no more, even where a list
  // read before the removal still holds it: plugged in again, it is new. But
  // the removal of a device that a list saw go and then come back is late news:
  // the device stays known, and its arrival that follows is no new one.
  void Left(const std::string& key);

 private:
  std::set<std::string> known_;
  std::set<std::string> arrived_meanwhile_;
  std::set<std::string> left_meanwhile_;
  std::set<std::string> gone_untold_;  // a list lacked them; their removal is yet to be told
  std::set<std::string> came_untold_;  // a list brought them; their arrival is yet to be told
  bool has_baseline_ = false;
  bool reading_ = false;
};

}  // namespace mw
