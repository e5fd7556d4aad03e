#pragma once
// Splits a file list's pattern text into the patterns searched one after the
// other. Free of Windows headers so it can be fuzzed natively.

#include <string_view>
#include <vector>

namespace ui {

// Trailing blanks are removed; the rest is split at ';'. An empty pattern text
// means "*.*". Empty pieces between separators search nothing and are dropped.
std::vector<std::string_view> SplitFilePatterns(std::string_view patternText);

}  // namespace ui
