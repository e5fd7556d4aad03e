#pragma once
// "在浏览器中打开": pages that need a modern engine are handed to the default
// browser as a temporary file, since the browser outlives the preview.

#include <windows.h>

#include <string>
#include <string_view>

namespace browse {

// Writes `page` as UTF-8 with a BOM to a new, uniquely named .html file in the
// user's temporary folder. Returns its path, or an empty string on failure.
std::wstring WritePageToTempFile(std::wstring_view page);

// Opens the file with whatever the user has chosen for .html files.
bool OpenInDefaultBrowser(HWND owner, const std::wstring& path);

}  // namespace browse
