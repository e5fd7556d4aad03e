#pragma once
// The control skin: gives push buttons, check boxes, radio buttons, group
// boxes, edit boxes, drop-down combo boxes (with their lists) and up-down
// controls of the GUI thread a coloured look. List boxes, list views, tree
// views, tabs, progress bars, scroll bars and top-level windows keep theirs.
//
// Every skinned control carries the window property "MorvessaSkin" holding
// the scheme number, which another process can read with GetPropA.

namespace ui::skin {

// Once at start-up, on the GUI thread: the skin is off and nothing is hooked.
void Initialize();

// 1 blue, 2 olive green, 3 silver; any other number switches the skin off.
// Switching on first removes any previous skin, then skins every existing
// control of the calling thread and, through a thread-local hook, every such
// control created on it later (message box buttons included).
void Switch(int scheme);

// The scheme in force, 0 when the skin is off.
int ActiveScheme();

}  // namespace ui::skin
