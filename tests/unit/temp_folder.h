#pragma once
// A fresh folder under the temp directory for one test, removed afterwards.

#include <string>

namespace testing_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "\\" + name; }

  // Creates a file (relative path, ANSI names) with the given bytes and attributes.
  void AddFile(const std::string& name, const std::string& bytes = "x",
               unsigned long attributes = 0) const;
  void AddFolder(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace testing_support
