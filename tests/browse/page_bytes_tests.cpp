// What the engine and the default browser get from a snippet: the page as
// decoded for the source view, in UTF-8 with a BOM, asking the engine for its
// newest document mode. (No page renders under Wine, so these are checked on
// the bytes themselves.)

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "browse/snippet_text.h"
#include "browse/temp_page.h"

namespace {

using browse::DecodeSnippet;
using browse::SnippetEncoding;
using browse::Utf8WithBom;
using browse::WithNewestDocumentMode;

constexpr wchar_t kModeTag[] = L"<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">";

struct DocumentModeCase {
  const char* name;
  const wchar_t* page;
  std::wstring expected;
};

const DocumentModeCase kDocumentModeCases[] = {
    {"PlainFragment", L"<p>x</p>", std::wstring(kModeTag) + L"<p>x</p>"},
    {"AfterTheDoctype", L"<!DOCTYPE html>\n<html><head></head></html>",
     std::wstring(L"<!DOCTYPE html>") + kModeTag + L"\n<html><head></head></html>"},
    {"AfterALowerCaseDoctypeWithBlanksBefore", L"  <!doctype html><p>x",
     std::wstring(L"  <!doctype html>") + kModeTag + L"<p>x"},
    {"PageChoosesItsOwnMode", L"<meta http-equiv=\"x-ua-compatible\" content=\"IE=9\"><p>x",
     L"<meta http-equiv=\"x-ua-compatible\" content=\"IE=9\"><p>x"},
    {"EmptyPage", L"", kModeTag},
};

class DocumentMode : public ::testing::TestWithParam<DocumentModeCase> {};

TEST_P(DocumentMode, TheTagGoesWhereTheEngineReadsIt) {
  EXPECT_EQ(WithNewestDocumentMode(GetParam().page), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, DocumentMode, ::testing::ValuesIn(kDocumentModeCases),
                         [](const ::testing::TestParamInfo<DocumentModeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PageBytes, AGbkSnippetReachesTheEngineAsUtf8WithABom) {
  const char gbk[] = "<p>\xD6\xD0\xCE\xC4</p>";  // <p>中文</p>
  const auto decoded = DecodeSnippet(gbk, sizeof gbk - 1);
  ASSERT_EQ(decoded.encoding, SnippetEncoding::kGbk);
  EXPECT_EQ(Utf8WithBom(decoded.text), "\xEF\xBB\xBF<p>\xE4\xB8\xAD\xE6\x96\x87</p>");
}

// Inside the library the snippet may also come with a length, zero bytes and all.
TEST(PageBytes, Utf16WithItsZeroBytesDecodesWhole) {
  const char utf16[] = "\xFF\xFE<\0p\0>\0\x2D\x4E";  // <p>中
  const auto decoded = DecodeSnippet(utf16, sizeof utf16 - 1);
  EXPECT_EQ(decoded.encoding, SnippetEncoding::kUtf16LeBom);
  EXPECT_EQ(decoded.text, L"<p>\u4E2D");
  EXPECT_FALSE(decoded.cut_at_zero_byte);
}

std::string ReadWholeFile(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

TEST(TempPage, EachOpeningWritesItsOwnHtmlFileInTheTempFolder) {
  const std::wstring page = L"<p>\u4E2D\u6587</p>";  // <p>中文</p>
  const std::wstring first = browse::WritePageToTempFile(page);
  const std::wstring second = browse::WritePageToTempFile(page);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  for (const std::wstring& path : {first, second}) {
    EXPECT_EQ(path.rfind(temp, 0), 0u);
    EXPECT_EQ(path.substr(path.size() - 5), L".html");
    EXPECT_EQ(ReadWholeFile(path), "\xEF\xBB\xBF<p>\xE4\xB8\xAD\xE6\x96\x87</p>");
    DeleteFileW(path.c_str());
  }
}

}  // namespace
