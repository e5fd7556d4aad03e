// Names shared by the resource script and the program's code.
#pragma once

// The icon group: the executable's icon, and the main window's big and small
// icon (LoadImageA with this name picks the 48/32/16-pixel image it needs).
#define MORVESSA_ICON_NAME "DEFAULT_ICON"

#define MORVESSA_VERSION_NUMBERS 1, 0, 0, 0
#define MORVESSA_VERSION_TEXT "1.0.0.0"
