#pragma once
// While a window is being loaded, and once the process has begun to end, no
// event handler of any window may run. One process-wide counter says so.

namespace ui {

class EventSuppression {
 public:
  EventSuppression();
  ~EventSuppression();
  EventSuppression(const EventSuppression&) = delete;
  EventSuppression& operator=(const EventSuppression&) = delete;
};

// For the two ways out of the process: raised and never lowered again.
void SuppressEventsForever();

bool EventsSuppressed();

}  // namespace ui
