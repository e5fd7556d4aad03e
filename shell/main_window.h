#pragma once

namespace ui {
class Window;
}

namespace shell {

// Loads the main window as the start window; false when it can't be created.
bool LoadMainWindow();

}  // namespace shell
