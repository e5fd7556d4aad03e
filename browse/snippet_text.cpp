#include "browse/snippet_text.h"

#include <windows.h>

#include <cwctype>

namespace browse {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr std::wstring_view kNewestDocumentModeTag =
    L"<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">";

bool StartsWith(const unsigned char* bytes, std::size_t length,
                std::initializer_list<unsigned char> prefix) {
  if (length < prefix.size()) return false;
  std::size_t i = 0;
  for (unsigned char expected : prefix) {
    if (bytes[i++] != expected) return false;
  }
  return true;
}

std::wstring FromCodePage(UINT codePage, DWORD flags, const char* bytes, std::size_t length,
                          bool* valid) {
  *valid = true;
  if (length == 0) return {};
  const int count = static_cast<int>(length);
  const int wideLength = MultiByteToWideChar(codePage, flags, bytes, count, nullptr, 0);
  if (wideLength <= 0) {
    *valid = false;
    return {};
  }
  std::wstring text(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, flags, bytes, count, text.data(), wideLength);
  return text;
}

// UTF-16 code units from byte pairs; an odd last byte is completed with the
// zero byte that ended the caller's text.
std::wstring FromUtf16(const unsigned char* bytes, std::size_t length, bool bigEndian) {
  std::wstring text;
  text.reserve((length + 1) / 2);
  for (std::size_t i = 0; i < length; i += 2) {
    const unsigned first = bytes[i];
    const unsigned second = i + 1 < length ? bytes[i + 1] : 0;
    const unsigned unit = bigEndian ? (first << 8) | second : (second << 8) | first;
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

DecodedSnippet DecodeSnippet(const char* bytes, std::size_t length) {
  DecodedSnippet decoded;
  if (!bytes || length == 0) return decoded;
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes);
  bool valid = true;

  if (StartsWith(raw, length, {0xEF, 0xBB, 0xBF})) {
    decoded.encoding = SnippetEncoding::kUtf8Bom;
    decoded.text = FromCodePage(CP_UTF8, 0, bytes + 3, length - 3, &valid);
  } else if (StartsWith(raw, length, {0xFF, 0xFE})) {
    decoded.encoding = SnippetEncoding::kUtf16LeBom;
    decoded.text = FromUtf16(raw + 2, length - 2, false);
    decoded.cut_at_zero_byte = (length % 2) != 0;
  } else if (StartsWith(raw, length, {0xFE, 0xFF})) {
    decoded.encoding = SnippetEncoding::kUtf16BeBom;
    decoded.text = FromUtf16(raw + 2, length - 2, true);
    decoded.cut_at_zero_byte = (length % 2) != 0;
  } else {
    decoded.text = FromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, &valid);
    if (valid) {
      decoded.encoding = SnippetEncoding::kUtf8;
    } else {
      decoded.encoding = SnippetEncoding::kGbk;
      decoded.text = FromCodePage(kGbkCodePage, 0, bytes, length, &valid);
    }
  }
  return decoded;
}

std::wstring DecodeGbk(const char* text) {
  if (!text) return {};
  bool valid = true;
  return FromCodePage(kGbkCodePage, 0, text, std::char_traits<char>::length(text), &valid);
}

std::wstring WithWindowsLineEnds(std::wstring_view text) {
  std::wstring result;
  result.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      result += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n') {
      result += L"\r\n";
    } else {
      result.push_back(c);
    }
  }
  return result;
}

bool ChoosesDocumentMode(std::wstring_view page) {
  constexpr std::wstring_view kName = L"x-ua-compatible";
  for (std::size_t i = 0; i + kName.size() <= page.size(); ++i) {
    if (StartsWithNoCase(page.substr(i), kName)) return true;
  }
  return false;
}

std::wstring WithNewestDocumentMode(std::wstring_view page) {
  if (ChoosesDocumentMode(page)) return std::wstring(page);
  // The doctype must stay first or the engine drops to quirks mode.
  std::size_t insertAt = 0;
  std::size_t start = 0;
  while (start < page.size() && std::iswspace(page[start])) ++start;
  if (StartsWithNoCase(page.substr(start), L"<!doctype")) {
    const std::size_t end = page.find(L'>', start);
    if (end != std::wstring_view::npos) insertAt = end + 1;
  }
  std::wstring result;
  result.reserve(page.size() + kNewestDocumentModeTag.size());
  result.append(page.substr(0, insertAt));
  result.append(kNewestDocumentModeTag);
  result.append(page.substr(insertAt));
  return result;
}

std::string Utf8WithBom(std::wstring_view text) {
  std::string bytes = "\xEF\xBB\xBF";
  if (text.empty()) return bytes;
  const int count = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return bytes;
  bytes.resize(3 + static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), count, bytes.data() + 3, length, nullptr, nullptr);
  return bytes;
}

}  // namespace browse
