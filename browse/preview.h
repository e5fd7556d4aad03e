#pragma once
// The preview window: what the exported UpdateTobrilCode shows, reachable
// from inside the library (and its tests) with a few more choices.

#include <cstddef>

namespace browse {

enum class EngineRoad {
  kAutomatic,    // render with the HTML engine, except under Wine
  kForceEngine,  // try the engine even under Wine (tests of the hosting code)
};

enum class EngineOutcome {
  kNotTried,        // nothing to render, or Wine: straight to the source view
  kOleUnavailable,  // the thread can't host the control
  kCreateFailed,    // the control could not be created or activated in place
  kNoDocument,      // no complete document in time: the source view took over
  kLoaded,          // the page is shown
  kClosedWhileLoading,
};

struct PreviewRequest {
  const char* title = nullptr;  // GBK; null for none
  const char* snippet = nullptr;  // the page's bytes in any encoding; null for none
  std::size_t snippetLength = 0;
  EngineRoad road = EngineRoad::kAutomatic;
  // How long the engine gets to present a complete document.
  unsigned loadTimeLimitMs = 5000;
};

// What happened during one preview, for the tests of the hosting code.
struct PreviewReport {
  bool windowShown = false;
  bool engineCreated = false;
  bool activatedInPlace = false;
  EngineOutcome outcome = EngineOutcome::kNotTried;
  // COM references the control still held on our site after it was closed.
  long siteReferencesLeft = 0;
};

bool RunningUnderWine();

// Shows the preview owned by the calling thread's active window and returns
// when the person closes it. Nothing of it outlives the call.
PreviewReport ShowPreview(const PreviewRequest& request);

}  // namespace browse
