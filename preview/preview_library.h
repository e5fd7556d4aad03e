#pragma once
// The binding to the external preview library: "Browse.dll" and its export
// "UpdateTobrilCode", loaded on the first preview and kept until End.

namespace preview {

// The address of the preview export. The first call loads the library from
// the program directory, else the bare name through the system's search for
// libraries, and looks the export up once in the copy that loaded; later
// calls return the kept address. A library that can't be loaded or lacks the
// export is the fatal error (code 0) naming both; nothing is retried.
void* PreviewExport();

// The same, looking first in `programDirectory` instead of the program's own
// directory (tests place the library copies themselves).
void* PreviewExportLookingFirstIn(const char* programDirectory);

// Unloads the library if it was loaded and forgets the export; End calls it.
void ReleasePreviewLibrary();

}  // namespace preview
