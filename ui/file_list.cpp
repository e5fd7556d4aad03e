#include "ui/file_list.h"

#include <cstring>

#include "base/win_handles.h"
#include "ui/file_patterns.h"

namespace ui {
namespace {

// The folder, the backslash, a pattern and the NUL must fit in MAX_PATH; a
// longer search path would be cut by the system, so it is not searched at all
// and that pattern contributes nothing.
bool FitsSearchPath(std::size_t folderLength, std::size_t patternLength) {
  return folderLength + patternLength + 1 <= MAX_PATH;
}
constexpr std::size_t kMaxPatternText = MAX_PATH + 3;

class RedrawPause {
 public:
  explicit RedrawPause(HWND window) : window_(window) {
    SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawPause() {
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }

 private:
  HWND window_;
};

}  // namespace

FileList::FileList(HWND listBox, const char* patternText)
    : listBox_(listBox), patternText_(base::Text::Copy(patternText)) {}

void FileList::SetDirectory(const char* directory) {
  directory_ = base::Text::Copy(directory);
  Refill();
}

base::Text FileList::Directory() const { return base::Text::Copy(directory_.get()); }

base::Text FileList::SelectedName() const {
  LRESULT index = SendMessageA(listBox_, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return base::Text();
  LRESULT length = SendMessageA(listBox_, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || length == 0) return base::Text();
  char* name = static_cast<char*>(base::HeapAllocOrDie(static_cast<std::size_t>(length) + 1));
  LRESULT copied = SendMessageA(listBox_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
  name[copied == LB_ERR ? 0 : copied] = '\0';
  return base::Text::Adopt(name);
}

void FileList::Refill() {
  RedrawPause pause(listBox_);
  SendMessageA(listBox_, LB_RESETCONTENT, 0, 0);

  if (directory_.empty()) {
    char current[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH) return;
    directory_ = base::Text::Copy(current);
  }

  std::size_t patternLength = patternText_.length();
  if (patternLength > kMaxPatternText) return;

  std::size_t folderLength = directory_.length();
  bool endsWithBackslash = directory_.c_str()[folderLength - 1] == '\\' &&
      CharPrevA(directory_.c_str(), directory_.c_str() + folderLength) ==
          directory_.c_str() + folderLength - 1;
  base::Text folder = endsWithBackslash ? base::Text::Copy(directory_.get())
                                        : base::Join({directory_.get(), "\\"});

  std::vector<std::string_view> patterns = SplitFilePatterns(patternText_.c_str());
  for (std::string_view pattern : patterns) {
    if (!FitsSearchPath(folder.length(), pattern.size())) continue;
    base::Text patternCopy = base::Text::CopyBytes(pattern.data(), pattern.size());
    // One search yields each name once; only a second pattern can repeat one.
    AddMatches(folder.c_str(), patternCopy.c_str(), patterns.size() > 1);
  }
  // A fill leaves nothing selected (LB_RESETCONTENT already cleared it).
}

void FileList::AddMatches(const char* folderWithBackslash, const char* pattern,
                          bool skipDuplicates) {
  base::Text searchPath = base::Join({folderWithBackslash, pattern});
  WIN32_FIND_DATAA found;
  base::FindHandle search(FindFirstFileA(searchPath.c_str(), &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (skipDuplicates) {
      // LB_FINDSTRINGEXACT ignores case; names here must differ exactly.
      LRESULT count = SendMessageA(listBox_, LB_GETCOUNT, 0, 0);
      bool seen = false;
      for (LRESULT i = SendMessageA(listBox_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(found.cFileName));
           i != LB_ERR && i < count && !seen; ++i) {
        char existing[MAX_PATH];
        if (SendMessageA(listBox_, LB_GETTEXTLEN, i, 0) >= MAX_PATH) break;
        SendMessageA(listBox_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(existing));
        if (lstrcmpiA(existing, found.cFileName) != 0) break;
        seen = std::strcmp(existing, found.cFileName) == 0;
      }
      if (seen) continue;
    }
    SendMessageA(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search.get(), &found));
}

}  // namespace ui
