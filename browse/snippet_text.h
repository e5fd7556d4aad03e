#pragma once
// The snippet arrives as bytes in whatever encoding its file was saved in.
// Everything the preview shows goes through one decoding, so the source view,
// the page and the copy opened in the browser always agree.

#include <cstddef>
#include <string>
#include <string_view>

namespace browse {

enum class SnippetEncoding {
  kNone,         // no bytes at all
  kUtf8Bom,
  kUtf16LeBom,
  kUtf16BeBom,
  kUtf8,         // valid UTF-8 without a BOM (plain ASCII included)
  kGbk,          // anything else: code page 936, whatever the machine's code page
};

struct DecodedSnippet {
  std::wstring text;
  SnippetEncoding encoding = SnippetEncoding::kNone;
  // UTF-16 text of odd length: the caller passes text only up to the first
  // zero byte, so the last character's missing byte was that zero; it is put
  // back and the text is known to be cut short.
  bool cut_at_zero_byte = false;
};

DecodedSnippet DecodeSnippet(const char* bytes, std::size_t length);

// The title comes from the host as GBK.
std::wstring DecodeGbk(const char* text);

// A multi-line edit control breaks lines only at CR LF.
std::wstring WithWindowsLineEnds(std::wstring_view text);

// Whether the page already chooses its own document mode.
bool ChoosesDocumentMode(std::wstring_view page);

// The page with a request for the engine's newest document mode, placed after
// a leading doctype or at the very start, unless the page chooses one itself.
std::wstring WithNewestDocumentMode(std::wstring_view page);

// UTF-8 with a byte order mark: the engine and other browsers then take the
// text as it was decoded here instead of guessing a code page.
std::string Utf8WithBom(std::wstring_view text);

}  // namespace browse
