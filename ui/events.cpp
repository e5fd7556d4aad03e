#include "ui/events.h"

namespace ui {
namespace {

int g_suppressionCount = 0;

}  // namespace

EventSuppression::EventSuppression() { ++g_suppressionCount; }
EventSuppression::~EventSuppression() { --g_suppressionCount; }

void SuppressEventsForever() { ++g_suppressionCount; }

bool EventsSuppressed() { return g_suppressionCount > 0; }

}  // namespace ui
