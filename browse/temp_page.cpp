#include "browse/temp_page.h"

#include <shellapi.h>

#include "base/win_handles.h"
#include "browse/snippet_text.h"

namespace browse {

std::wstring WritePageToTempFile(std::wstring_view page) {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD folderLength = GetTempPathW(MAX_PATH + 1, folder);
  if (folderLength == 0 || folderLength > MAX_PATH) return {};

  const std::string bytes = Utf8WithBom(page);
  const unsigned long stamp = GetTickCount();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[64];
    wsprintfW(name, L"Morvessa-%lu-%lx-%u.html", GetCurrentProcessId(), stamp, attempt);
    std::wstring path = std::wstring(folder) + name;
    base::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return {};
    }
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (!WriteFile(file.get(), bytes.data(), size, &written, nullptr) || written != size) {
      file.reset();
      DeleteFileW(path.c_str());
      return {};
    }
    return path;
  }
  return {};
}

bool OpenInDefaultBrowser(HWND owner, const std::wstring& path) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace browse
