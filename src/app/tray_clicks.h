#pragma once
// Two left clicks on the tray icon within the click timer, or a double
// click, open the settings; a single click opens nothing.
namespace mw {

inline constexpr unsigned kClickTimerId = 100;
inline constexpr unsigned kClickTimerMs = 800;

class TrayClicks {
 public:
  enum class Response { StartClickTimer, OpenSettings };

  Response OnLeftButtonDown() {
    first_click_pending_ = !first_click_pending_;
    return first_click_pending_ ? Response::StartClickTimer : Response::OpenSettings;
  }
  Response OnDoubleClick() {
    first_click_pending_ = false;
    return Response::OpenSettings;
  }
  void OnRightButtonDown() { first_click_pending_ = false; }
  void OnClickTimer() { first_click_pending_ = false; }
  bool FirstClickPending() const { return first_click_pending_; }

 private:
  bool first_click_pending_ = false;
};

}  // namespace mw
