// The preview window: a toolbar, the page (or its source) and a status line,
// run modally over the caller's window until the person closes it.

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/win_handles.h"
#include "browse/preview.h"
#include "browse/snippet_text.h"
#include "browse/temp_page.h"
#include "browse/web_view.h"

namespace browse {
namespace {

constexpr wchar_t kClassName[] = L"MorvessaPreviewWindow";
constexpr UINT_PTR kLoadTimerId = 1;
constexpr UINT kLoadPollMs = 50;

enum ControlId : int {
  kToggleId = 101,
  kOpenInBrowserId,
  kCloseId,
  kSourceId,
  kStatusId,
};

// Sizes at 96 dpi.
constexpr int kPreferredWidth = 900;
constexpr int kPreferredHeight = 650;
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 320;
constexpr int kMargin = 8;
constexpr int kButtonHeight = 28;
constexpr int kButtonPadding = 24;
constexpr int kMinimumButtonWidth = 88;
constexpr int kStatusHeight = 24;

namespace text {
constexpr wchar_t kNothingToShow[] = L"\u6CA1\u6709\u53EF\u9884\u89C8\u7684\u5185\u5BB9\u3002";  // 没有可预览的内容。
// 在 Wine 中运行：这里没有网页引擎，只显示源代码；可用“在浏览器中打开”查看网页。
constexpr wchar_t kUnderWine[] =
    L"\u5728 Wine \u4E2D\u8FD0\u884C\uFF1A\u8FD9\u91CC\u6CA1\u6709\u7F51\u9875\u5F15\u64CE\uFF0C"
    L"\u53EA\u663E\u793A\u6E90\u4EE3\u7801\uFF1B\u53EF\u7528\u201C\u5728\u6D4F\u89C8\u5668\u4E2D"
    L"\u6253\u5F00\u201D\u67E5\u770B\u7F51\u9875\u3002";
constexpr wchar_t kLoading[] = L"\u6B63\u5728\u8F7D\u5165\u7F51\u9875\u2026";  // 正在载入网页…
constexpr wchar_t kPageView[] = L"\u7F51\u9875\u89C6\u56FE";  // 网页视图
constexpr wchar_t kSourceView[] = L"\u6E90\u4EE3\u7801\u89C6\u56FE";  // 源代码视图
// 网页引擎没有按时载入页面，改为显示源代码。
constexpr wchar_t kNoDocument[] =
    L"\u7F51\u9875\u5F15\u64CE\u6CA1\u6709\u6309\u65F6\u8F7D\u5165\u9875\u9762\uFF0C"
    L"\u6539\u4E3A\u663E\u793A\u6E90\u4EE3\u7801\u3002";
// 无法创建网页控件，改为显示源代码。
constexpr wchar_t kCreateFailed[] =
    L"\u65E0\u6CD5\u521B\u5EFA\u7F51\u9875\u63A7\u4EF6\uFF0C\u6539\u4E3A\u663E\u793A\u6E90\u4EE3"
    L"\u7801\u3002";
// 此线程不能承载网页控件，改为显示源代码。
constexpr wchar_t kOleUnavailable[] =
    L"\u6B64\u7EBF\u7A0B\u4E0D\u80FD\u627F\u8F7D\u7F51\u9875\u63A7\u4EF6\uFF0C\u6539\u4E3A\u663E"
    L"\u793A\u6E90\u4EE3\u7801\u3002";
constexpr wchar_t kEncodingLabel[] = L"\u3000\u7F16\u7801\uFF1A";  // 　编码：
// （在第一个零字节处被截断）
constexpr wchar_t kCutAtZeroByte[] =
    L"\uFF08\u5728\u7B2C\u4E00\u4E2A\u96F6\u5B57\u8282\u5904\u88AB\u622A\u65AD\uFF09";
constexpr wchar_t kShowSource[] = L"\u6E90\u4EE3\u7801 (Ctrl+U)";  // 源代码 (Ctrl+U)
constexpr wchar_t kShowPage[] = L"\u7F51\u9875 (Ctrl+U)";  // 网页 (Ctrl+U)
constexpr wchar_t kOpenInBrowser[] = L"\u5728\u6D4F\u89C8\u5668\u4E2D\u6253\u5F00";  // 在浏览器中打开
constexpr wchar_t kClose[] = L"\u5173\u95ED";  // 关闭
constexpr wchar_t kTempFileFailed[] = L"\u65E0\u6CD5\u5199\u5165\u4E34\u65F6\u6587\u4EF6\u3002";  // 无法写入临时文件。
// 无法打开默认浏览器。
constexpr wchar_t kBrowserFailed[] = L"\u65E0\u6CD5\u6253\u5F00\u9ED8\u8BA4\u6D4F\u89C8\u5668\u3002";
// 已在默认浏览器中打开：
constexpr wchar_t kOpenedInBrowser[] =
    L"\u5DF2\u5728\u9ED8\u8BA4\u6D4F\u89C8\u5668\u4E2D\u6253\u5F00\uFF1A";
}  // namespace text

const wchar_t* EncodingName(SnippetEncoding encoding) {
  switch (encoding) {
    case SnippetEncoding::kUtf8Bom: return L"UTF-8 (BOM)";
    case SnippetEncoding::kUtf16LeBom: return L"UTF-16 LE";
    case SnippetEncoding::kUtf16BeBom: return L"UTF-16 BE";
    case SnippetEncoding::kUtf8: return L"UTF-8";
    case SnippetEncoding::kGbk: return L"GBK";
    case SnippetEncoding::kNone: break;
  }
  return L"";
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// OLE for the length of one preview; the host has it already, so this only
// adds a reference, but it makes the library safe on any thread.
class OleSession {
 public:
  OleSession() : result_(OleInitialize(nullptr)) {}
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  bool Usable() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// A screen DC borrowed for measuring and font look-ups.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Registered for one preview and unregistered after it: the class belongs to
// this module, which the host may unload and load again at another address.
class WindowClass {
 public:
  WindowClass(HINSTANCE module, WNDPROC procedure) : module_(module) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    registered_ = RegisterClassExW(&windowClass) != 0;
    usable_ = registered_ || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass() {
    if (registered_) UnregisterClassW(kClassName, module_);
  }
  bool Usable() const { return usable_; }

 private:
  HINSTANCE module_;
  bool registered_ = false;
  bool usable_ = false;
};

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(HDC dc, const wchar_t* face) {
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The fonts of one preview: the owned ones are deleted with it.
struct Fonts {
  HFONT ui = nullptr;
  HFONT source = nullptr;
  base::GdiObject ownedUi;
  base::GdiObject ownedSource;

  void Choose(int dpi) {
    ScreenDc screen;
    if (FontInstalled(screen.Get(), L"Microsoft YaHei")) {
      ownedUi.reset(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                L"Microsoft YaHei"));
    } else {
      NONCLIENTMETRICSW metrics = {};
      metrics.cbSize = sizeof metrics;
      if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        ownedUi.reset(CreateFontIndirectW(&metrics.lfMessageFont));
      }
    }
    ui = ownedUi ? static_cast<HFONT>(ownedUi.get())
                 : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    // A monospace face with Chinese glyphs first: snippets are Chinese pages.
    const wchar_t* face = L"";
    for (const wchar_t* candidate : {L"NSimSun", L"Consolas", L"Courier New"}) {
      if (FontInstalled(screen.Get(), candidate)) {
        face = candidate;
        break;
      }
    }
    ownedSource.reset(CreateFontW(-MulDiv(10, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  *face ? DEFAULT_CHARSET : GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN,
                                  face));
    source = ownedSource ? static_cast<HFONT>(ownedSource.get()) : ui;
  }
};

RECT WorkAreaNear(HWND owner) {
  HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  RECT area = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// Sized for reading, centred over the owner, and kept inside the work area.
RECT PlaceOver(HWND owner, int dpi) {
  const RECT work = WorkAreaNear(owner);
  const int workLeft = work.left, workTop = work.top;
  const int workRight = work.right, workBottom = work.bottom;
  const int width = (std::min)(MulDiv(kPreferredWidth, dpi, 96), workRight - workLeft);
  const int height = (std::min)(MulDiv(kPreferredHeight, dpi, 96), workBottom - workTop);

  RECT over = work;
  if (owner) GetWindowRect(owner, &over);
  const int centreX = (over.left + over.right) / 2;
  const int centreY = (over.top + over.bottom) / 2;
  const int left = (std::max)(workLeft, (std::min)(centreX - width / 2, workRight - width));
  const int top = (std::max)(workTop, (std::min)(centreY - height / 2, workBottom - height));
  return RECT{left, top, left + width, top + height};
}

class PreviewWindow {
 public:
  PreviewWindow(const PreviewRequest& request, PreviewReport& report, bool oleUsable)
      : request_(request),
        report_(report),
        oleUsable_(oleUsable),
        snippet_(DecodeSnippet(request.snippet, request.snippetLength)) {}
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;
  ~PreviewWindow() {
    if (window_) DestroyWindow(window_);
  }

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam);

  bool Create(HINSTANCE module, HWND owner) {
    owner_ = owner;
    {
      ScreenDc screen;
      dpi_ = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    }
    fonts_.Choose(dpi_);
    const RECT place = PlaceOver(owner, dpi_);
    const std::wstring title = DecodeGbk(request_.title);
    CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                    place.left, place.top, place.right - place.left, place.bottom - place.top,
                    owner, nullptr, module, this);
    return window_ != nullptr;
  }

  void RunModal() {
    // The owner is disabled for as long as the preview is open, so the host
    // can't start a second preview inside this one.
    if (owner_ && IsWindowEnabled(owner_)) {
      EnableWindow(owner_, FALSE);
      ownerDisabled_ = true;
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    report_.windowShown = true;
    ChooseFirstView();

    MSG message;
    while (window_) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        // The host's loop must still see its quit request.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (PreTranslate(&message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (window_) DestroyWindow(window_);
    if (owner_ && IsWindow(owner_) && GetActiveWindow() != owner_) SetActiveWindow(owner_);
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate();
  void OnCommand(int id);
  void OnTimer();
  void OnClose();
  void OnDestroy();
  void Layout();
  bool PreTranslate(MSG* message);

  void ChooseFirstView();
  void StartEngine();
  void PageLoaded();
  void FallBackToSource(EngineOutcome outcome, const wchar_t* reason);
  void ShowPage();
  void ShowSource();
  void ToggleView();
  void OpenInBrowser();
  void SetStatus(const std::wstring& message);
  std::wstring WithEncoding(const wchar_t* message) const;

  HWND AddControl(const wchar_t* className, const wchar_t* caption, DWORD style, int id,
                  HFONT font, DWORD extendedStyle = 0);
  int ButtonWidth(HWND button) const;
  int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  RECT ContentArea() const;

  enum class Phase { kIdle, kWaitingForBlank, kWaitingForPage };

  const PreviewRequest& request_;
  PreviewReport& report_;
  const bool oleUsable_;
  const DecodedSnippet snippet_;
  Fonts fonts_;
  int dpi_ = 96;
  HWND owner_ = nullptr;
  bool ownerDisabled_ = false;
  HWND window_ = nullptr;
  HWND toggle_ = nullptr;
  HWND openInBrowser_ = nullptr;
  HWND close_ = nullptr;
  HWND source_ = nullptr;
  HWND status_ = nullptr;
  WebView webView_;
  Phase phase_ = Phase::kIdle;
  DWORD loadStartedAt_ = 0;
  bool pageReady_ = false;
  bool showingPage_ = false;
};

LRESULT CALLBACK PreviewWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<PreviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT PreviewWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize.x = Scale(kMinimumWidth);
      limits->ptMinTrackSize.y = Scale(kMinimumHeight);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kLoadTimerId) OnTimer();
      return 0;
    case WM_NEXTDLGCTL: {
      // IsDialogMessage asks the window itself to move the focus on Tab.
      HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                         : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      // The read-only source reads like a document, not like a disabled field.
      if (reinterpret_cast<HWND>(lParam) == source_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

HWND PreviewWindow::AddControl(const wchar_t* className, const wchar_t* caption, DWORD style,
                               int id, HFONT font, DWORD extendedStyle) {
  HWND control = CreateWindowExW(extendedStyle, className, caption, WS_CHILD | style, 0, 0, 0, 0,
                                 window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)),
                                 nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void PreviewWindow::OnCreate() {
  // The owner's icon, if it has one, marks the preview as the program's own.
  if (owner_) {
    auto icon = SendMessageW(owner_, WM_GETICON, ICON_SMALL, 0);
    if (!icon) icon = SendMessageW(owner_, WM_GETICON, ICON_BIG, 0);
    if (icon) SendMessageW(window_, WM_SETICON, ICON_SMALL, icon);
  }

  const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  toggle_ = AddControl(L"BUTTON", text::kShowPage, button, kToggleId, fonts_.ui);
  openInBrowser_ = AddControl(L"BUTTON", text::kOpenInBrowser, button, kOpenInBrowserId, fonts_.ui);
  close_ = AddControl(L"BUTTON", text::kClose, button, kCloseId, fonts_.ui);
  source_ = AddControl(L"EDIT", L"",
                       WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                           ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                       kSourceId, fonts_.source, WS_EX_CLIENTEDGE);
  status_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE,
                       kStatusId, fonts_.ui);

  SendMessageW(source_, EM_SETLIMITTEXT, 0, 0);  // no 32K cap on long pages
  SetWindowTextW(source_, WithWindowsLineEnds(snippet_.text).c_str());
  EnableWindow(openInBrowser_, !snippet_.text.empty());
  EnableWindow(toggle_, FALSE);
  Layout();
}

int PreviewWindow::ButtonWidth(HWND button) const {
  wchar_t caption[64] = {};
  GetWindowTextW(button, caption, 64);
  ScreenDc screen;
  HGDIOBJ previous = SelectObject(screen.Get(), fonts_.ui);
  SIZE extent = {};
  GetTextExtentPoint32W(screen.Get(), caption, lstrlenW(caption), &extent);
  SelectObject(screen.Get(), previous);
  return (std::max)(static_cast<int>(extent.cx) + Scale(kButtonPadding), Scale(kMinimumButtonWidth));
}

RECT PreviewWindow::ContentArea() const {
  RECT client = {};
  GetClientRect(window_, &client);
  const int margin = Scale(kMargin);
  RECT area = {margin, margin * 2 + Scale(kButtonHeight), client.right - margin,
               client.bottom - Scale(kStatusHeight)};
  if (area.right < area.left) area.right = area.left;
  if (area.bottom < area.top) area.bottom = area.top;
  return area;
}

void PreviewWindow::Layout() {
  if (!status_) return;
  RECT client = {};
  GetClientRect(window_, &client);
  const int margin = Scale(kMargin);
  const int height = Scale(kButtonHeight);
  int left = margin;
  for (HWND button : {toggle_, openInBrowser_}) {
    const int width = ButtonWidth(button);
    MoveWindow(button, left, margin, width, height, TRUE);
    left += width + margin;
  }
  const int closeWidth = ButtonWidth(close_);
  MoveWindow(close_, client.right - margin - closeWidth, margin, closeWidth, height, TRUE);

  const RECT content = ContentArea();
  MoveWindow(source_, content.left, content.top, content.right - content.left,
             content.bottom - content.top, TRUE);
  webView_.Move(content);
  MoveWindow(status_, margin + Scale(2), content.bottom, client.right - 2 * margin,
             client.bottom - content.bottom, TRUE);
}

void PreviewWindow::SetStatus(const std::wstring& message) {
  SetWindowTextW(status_, message.c_str());
}

std::wstring PreviewWindow::WithEncoding(const wchar_t* message) const {
  std::wstring line = message;
  if (snippet_.encoding != SnippetEncoding::kNone) {
    line += text::kEncodingLabel;
    line += EncodingName(snippet_.encoding);
    if (snippet_.cut_at_zero_byte) line += text::kCutAtZeroByte;
  }
  return line;
}

void PreviewWindow::ChooseFirstView() {
  if (snippet_.text.empty()) {
    ShowSource();
    SetStatus(text::kNothingToShow);
  } else if (request_.road == EngineRoad::kAutomatic && RunningUnderWine()) {
    // A stock Wine can block this thread on an install dialog the moment a
    // page is created; there is no engine to show anyway.
    ShowSource();
    SetStatus(WithEncoding(text::kUnderWine));
  } else if (!oleUsable_) {
    report_.outcome = EngineOutcome::kOleUnavailable;
    ShowSource();
    SetStatus(WithEncoding(text::kOleUnavailable));
  } else {
    StartEngine();
  }
}

void PreviewWindow::StartEngine() {
  SetStatus(text::kLoading);
  const bool created = webView_.Create(window_, ContentArea());
  report_.engineCreated = webView_.ControlWasCreated();
  report_.activatedInPlace = webView_.ActivatedInPlace();
  if (!created) {
    FallBackToSource(EngineOutcome::kCreateFailed, text::kCreateFailed);
    return;
  }
  phase_ = Phase::kWaitingForBlank;
  loadStartedAt_ = GetTickCount();
  SetTimer(window_, kLoadTimerId, kLoadPollMs, nullptr);
}

// The document is trusted only once it exists and says it is complete; a
// missing or stuck engine gets a fixed time and then the source view.
void PreviewWindow::OnTimer() {
  if (phase_ == Phase::kWaitingForBlank && webView_.DocumentComplete()) {
    const std::wstring page = WithNewestDocumentMode(snippet_.text);
    if (!webView_.Load(Utf8WithBom(page))) {
      FallBackToSource(EngineOutcome::kNoDocument, text::kNoDocument);
      return;
    }
    phase_ = Phase::kWaitingForPage;
    return;
  }
  if (phase_ == Phase::kWaitingForPage && webView_.DocumentComplete()) {
    PageLoaded();
    return;
  }
  if (GetTickCount() - loadStartedAt_ >= request_.loadTimeLimitMs) {
    FallBackToSource(EngineOutcome::kNoDocument, text::kNoDocument);
  }
}

void PreviewWindow::PageLoaded() {
  KillTimer(window_, kLoadTimerId);
  phase_ = Phase::kIdle;
  pageReady_ = true;
  report_.outcome = EngineOutcome::kLoaded;
  EnableWindow(toggle_, TRUE);
  ShowPage();
  webView_.Focus();
}

void PreviewWindow::FallBackToSource(EngineOutcome outcome, const wchar_t* reason) {
  KillTimer(window_, kLoadTimerId);
  phase_ = Phase::kIdle;
  report_.outcome = outcome;
  webView_.Close();
  report_.siteReferencesLeft = webView_.SiteReferencesLeft();
  ShowSource();
  SetStatus(WithEncoding(reason));
}

void PreviewWindow::ShowPage() {
  showingPage_ = true;
  ShowWindow(source_, SW_HIDE);
  webView_.Show(true);
  SetWindowTextW(toggle_, text::kShowSource);
  Layout();
  SetStatus(WithEncoding(text::kPageView));
}

void PreviewWindow::ShowSource() {
  const bool hadFocus = !showingPage_ || webView_.Contains(GetFocus());
  showingPage_ = false;
  webView_.Show(false);
  ShowWindow(source_, SW_SHOW);
  SetWindowTextW(toggle_, text::kShowPage);
  Layout();
  if (hadFocus || !GetFocus()) SetFocus(source_);
}

void PreviewWindow::ToggleView() {
  if (!pageReady_) return;
  if (showingPage_) {
    ShowSource();
    SetStatus(WithEncoding(text::kSourceView));
  } else {
    ShowPage();
    webView_.Focus();
  }
}

void PreviewWindow::OpenInBrowser() {
  const std::wstring path = WritePageToTempFile(snippet_.text);
  if (path.empty()) {
    SetStatus(text::kTempFileFailed);
  } else if (!OpenInDefaultBrowser(window_, path)) {
    SetStatus(text::kBrowserFailed);
  } else {
    SetStatus(std::wstring(text::kOpenedInBrowser) + path);
  }
}

void PreviewWindow::OnCommand(int id) {
  switch (id) {
    case kToggleId:
      ToggleView();
      break;
    case kOpenInBrowserId:
      OpenInBrowser();
      break;
    case kCloseId:
    case IDCANCEL:
      PostMessageW(window_, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

// The owner comes back before this window goes, so activation returns to it
// instead of to some other program's window.
void PreviewWindow::OnClose() {
  if (ownerDisabled_) {
    EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
  }
  DestroyWindow(window_);
}

void PreviewWindow::OnDestroy() {
  if (phase_ != Phase::kIdle) report_.outcome = EngineOutcome::kClosedWhileLoading;
  KillTimer(window_, kLoadTimerId);
  phase_ = Phase::kIdle;
  webView_.Close();
  report_.siteReferencesLeft = webView_.SiteReferencesLeft();
  if (ownerDisabled_) {
    EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
  }
}

// Keys of the preview's own, then the page's (through the control's
// accelerator handling), then dialog-style Tab between the controls.
bool PreviewWindow::PreTranslate(MSG* message) {
  if (!window_) return false;
  const bool ours = message->hwnd == window_ || IsChild(window_, message->hwnd);
  if (!ours) return false;

  if (message->message == WM_KEYDOWN) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (message->wParam == VK_ESCAPE) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
      return true;
    }
    if (control && message->wParam == 'U') {
      ToggleView();
      return true;
    }
    if (control && message->wParam == 'A' && message->hwnd == source_) {
      SendMessageW(source_, EM_SETSEL, 0, -1);
      return true;
    }
  }
  if (webView_.Contains(message->hwnd)) {
    return message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
           webView_.TranslateKey(message);
  }
  return IsDialogMessageW(window_, message) != FALSE;
}

}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

PreviewReport ShowPreview(const PreviewRequest& request) {
  PreviewReport report;
  OleSession ole;
  const HINSTANCE module = ThisModule();
  WindowClass windowClass(module, &PreviewWindow::WindowProcedure);
  if (!windowClass.Usable()) return report;

  PreviewWindow preview(request, report, ole.Usable());
  if (preview.Create(module, GetActiveWindow())) preview.RunModal();
  return report;
}

}  // namespace browse
