#pragma once
// The file list: a sorted list box of the file names in one directory that
// match a pattern text. It fills itself when created and whenever its
// directory is written; it never watches the folder.

#include <windows.h>

#include "base/text.h"

namespace ui {

class FileList {
 public:
  FileList(HWND listBox, const char* patternText);

  // Stores `directory` unchanged (no backslash is added) and refills the list.
  void SetDirectory(const char* directory);
  // A fresh copy of the stored directory.
  base::Text Directory() const;
  // A fresh copy of the selected entry's text; the empty text when nothing is selected.
  base::Text SelectedName() const;

  void Refill();

 private:
  void AddMatches(const char* folderWithBackslash, const char* pattern, bool skipDuplicates);

  HWND listBox_;
  base::Text directory_;
  base::Text patternText_;
};

}  // namespace ui
