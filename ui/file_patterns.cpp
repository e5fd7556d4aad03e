#include "ui/file_patterns.h"

namespace ui {

std::vector<std::string_view> SplitFilePatterns(std::string_view patternText) {
  while (!patternText.empty() && patternText.back() == ' ') patternText.remove_suffix(1);
  if (patternText.empty()) return {std::string_view("*.*")};

  std::vector<std::string_view> patterns;
  while (true) {
    std::size_t separator = patternText.find(';');
    std::string_view piece = patternText.substr(0, separator);
    if (!piece.empty()) patterns.push_back(piece);
    if (separator == std::string_view::npos) break;
    patternText.remove_prefix(separator + 1);
  }
  return patterns;
}

}  // namespace ui
