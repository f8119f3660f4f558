#pragma once
// The runs that one arrival starts for one device with automatic removal. Each
// waits for its own programs; only the last one to finish asks for the
// removal, once, so that no program loses its drive to another's end.
#include <mutex>
#include <optional>

#include "model/action.h"

namespace mw {

class RemovalGroup {
 public:
  explicit RemovalGroup(unsigned members) : working_(members) {}
  RemovalGroup(const RemovalGroup&) = delete;
  RemovalGroup& operator=(const RemovalGroup&) = delete;

  struct Departure {
    unsigned still_working = 0;
    // Set for the last member to leave when some member's program ran: the
    // Action whose removal settings apply, the last one whose program ended.
    std::optional<Action> remove_as;
  };

  // A member is done; ran is its Action when its program ran to its end, null
  // when it started nothing (a failed check or start, a thread that never ran).
  Departure Leave(const Action* ran);

 private:
  std::mutex guard_;
  unsigned working_;
  std::optional<Action> last_ran_;
};

}  // namespace mw
