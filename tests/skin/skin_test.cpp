// The control skin on real windows of this thread: which controls it marks,
// that later controls and message boxes get it through the creation hook,
// that switching it off or to another scheme leaves nothing behind, and that
// what reaches the screen is really painted in the palette.
#include "ui/skin/skin.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "base/win_handles.h"
#include "ui/skin/gdi_scope.h"

namespace {

constexpr char kFormClass[] = "MorvessaSkinTestForm";

int MarkOf(HWND window) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, "MorvessaSkin")));
}

bool HasClass(HWND window, const char* name) {
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  return lstrcmpiA(className, name) == 0;
}

// Runs what is queued, paints what is invalid.
void Settle(HWND window) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// ---- A form with one control of every kind ---------------------------------

struct ControlRow {
  const char* name;
  const char* className;
  DWORD style;
  DWORD exStyle;
  const char* caption;
  bool skinned;
};

const ControlRow kControls[] = {
    {"push button", WC_BUTTONA, BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0, "Preview",
     true},
    {"default push button", WC_BUTTONA, BS_DEFPUSHBUTTON, 0, "Default", true},
    {"check box", WC_BUTTONA, BS_AUTOCHECKBOX, 0, "Check", true},
    {"three-state check box", WC_BUTTONA, BS_AUTO3STATE, 0, "Three", true},
    {"radio button", WC_BUTTONA, BS_AUTORADIOBUTTON, 0, "Radio", true},
    {"group box", WC_BUTTONA, BS_GROUPBOX, 0, "Group", true},
    {"owner-drawn button", WC_BUTTONA, BS_OWNERDRAW, 0, "Owner", false},
    {"edit box", WC_EDITA, ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, "text", true},
    {"drop-down combo box", WC_COMBOBOXA, CBS_DROPDOWN | WS_VSCROLL, 0, nullptr, true},
    {"drop-down list combo box", WC_COMBOBOXA, CBS_DROPDOWNLIST | WS_VSCROLL, 0, nullptr, true},
    {"simple combo box", WC_COMBOBOXA, CBS_SIMPLE, 0, nullptr, false},
    {"up-down control", UPDOWN_CLASSA, 0, 0, nullptr, true},
    {"list box", WC_LISTBOXA, LBS_NOTIFY | WS_VSCROLL, WS_EX_CLIENTEDGE, nullptr, false},
    {"list view", WC_LISTVIEWA, LVS_REPORT, WS_EX_CLIENTEDGE, nullptr, false},
    {"tree view", WC_TREEVIEWA, TVS_HASLINES, WS_EX_CLIENTEDGE, nullptr, false},
    {"tab control", WC_TABCONTROLA, 0, 0, nullptr, false},
    {"progress bar", PROGRESS_CLASSA, 0, 0, nullptr, false},
    {"scroll bar", WC_SCROLLBARA, SBS_HORZ, 0, nullptr, false},
    {"static text", WC_STATICA, SS_LEFT, 0, "Static", false},
};
constexpr int kColumns = 4;

// What a test does when a control of the form reports a click.
void (*g_onClick)() = nullptr;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && g_onClick) g_onClick();
  return DefWindowProcA(window, message, wParam, lParam);
}

class Form {
 public:
  Form() {
    static const ATOM registered = [] {
      WNDCLASSA windowClass = {};
      windowClass.lpfnWndProc = FormProc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
      windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      windowClass.lpszClassName = kFormClass;
      return RegisterClassA(&windowClass);
    }();
    EXPECT_NE(registered, 0);
    // A plain pop-up: Wine shows and destroys it without waiting for a window
    // manager, which a captioned window would (about two seconds each).
    window_ = CreateWindowExA(0, kFormClass, "skin test", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 700,
                              420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window_, nullptr);
    int index = 0;
    for (const ControlRow& row : kControls) {
      const int x = 10 + (index % kColumns) * 170;
      const int y = 10 + (index / kColumns) * 70;
      const int height = lstrcmpiA(row.className, WC_COMBOBOXA) == 0 ? 120 : 50;
      const int width = lstrcmpiA(row.className, UPDOWN_CLASSA) == 0 ? 20 : 150;
      controls_.push_back(
          Add(row.className, row.style, row.exStyle, {x, y, x + width, y + height}, row.caption));
      ++index;
    }
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    Settle(window_);
  }
  ~Form() { DestroyWindow(window_); }
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND window() const { return window_; }
  HWND control(std::size_t row) const { return controls_[row]; }

  HWND Add(const char* className, DWORD style, DWORD exStyle, RECT place,
           const char* caption = nullptr) {
    HWND control =
        CreateWindowExA(exStyle, className, caption, WS_CHILD | WS_VISIBLE | style, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, window_,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(control, nullptr) << className;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return control;
  }

 private:
  HWND window_ = nullptr;
  std::vector<HWND> controls_;
};

HWND ListOf(HWND combo) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

// Every control of the form carries the mark of `scheme` exactly when its
// kind is skinned; the form itself never does.
void ExpectMarks(const Form& form, int scheme) {
  EXPECT_EQ(MarkOf(form.window()), 0) << "the top-level window";
  for (std::size_t row = 0; row < std::size(kControls); ++row) {
    const ControlRow& control = kControls[row];
    EXPECT_EQ(MarkOf(form.control(row)), control.skinned ? scheme : 0) << control.name;
    if (lstrcmpiA(control.className, WC_COMBOBOXA) == 0) {
      EXPECT_EQ(MarkOf(ListOf(form.control(row))), control.skinned ? scheme : 0)
          << "the list of the " << control.name;
    }
  }
}

// ---- Reading back what was painted -------------------------------------------

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

  COLORREF At(int x, int y) const {
    const DWORD pixel = pixels[static_cast<std::size_t>(y) * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
  bool operator!=(const Picture& other) const { return !(*this == other); }
};

// Copies `width` x `height` pixels from `source` (or lets `render` paint them).
template <class Render>
Picture Grab(int width, int height, Render render) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  base::GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ui::skin::MemoryDc memory(nullptr);
  if (!bitmap || !memory.get()) return picture;
  {
    ui::skin::Selection selected(memory.get(), bitmap.get());
    render(memory.get());
    GdiFlush();
  }
  const DWORD* first = static_cast<const DWORD*>(bits);
  picture.pixels.assign(first, first + static_cast<std::size_t>(width) * height);
  for (DWORD& pixel : picture.pixels) pixel &= 0x00FFFFFF;
  return picture;
}

// What the control shows on the screen right now (its client area).
Picture OnScreen(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  const ui::skin::WindowDc screen = ui::skin::WindowDc::Client(control);
  return Grab(client.right, client.bottom, [&](HDC target) {
    BitBlt(target, 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
  });
}

// The control's whole window, border included, as on the screen.
Picture WholeOnScreen(HWND control) {
  RECT window = {};
  GetWindowRect(control, &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  const ui::skin::WindowDc screen = ui::skin::WindowDc::Whole(control);
  return Grab(width, height, [&](HDC target) {
    BitBlt(target, 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
  });
}

// What the control paints when asked to print itself into a memory DC.
Picture Printed(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  return Grab(client.right, client.bottom, [&](HDC target) {
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target),
                 PRF_CLIENT | PRF_ERASEBKGND);
  });
}

struct Shade {
  double red = 0, green = 0, blue = 0;
  double Brightness() const { return (red + green + blue) / 3; }
  double Spread() const { return std::max({red, green, blue}) - std::min({red, green, blue}); }
};

Shade Average(const Picture& picture, RECT area) {
  Shade sum;
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF pixel = picture.At(x, y);
      sum.red += GetRValue(pixel);
      sum.green += GetGValue(pixel);
      sum.blue += GetBValue(pixel);
      ++count;
    }
  }
  if (count) {
    sum.red /= count;
    sum.green /= count;
    sum.blue /= count;
  }
  return sum;
}

// A push button's face: a strip left of its centred caption, inside the border.
RECT FaceStrip(const Picture& button, bool upperHalf, bool lowerHalf) {
  const int middle = button.height / 2;
  return {4, upperHalf ? 4 : middle, 10, lowerHalf ? button.height - 4 : middle};
}

bool IsInk(COLORREF pixel) {
  return GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 3 * 110;
}

// Bounding box of the dark caption pixels, away from the border.
RECT InkBounds(const Picture& picture) {
  RECT ink = {picture.width, picture.height, 0, 0};
  for (int y = 4; y < picture.height - 4; ++y) {
    for (int x = 4; x < picture.width - 4; ++x) {
      if (!IsInk(picture.At(x, y))) continue;
      ink.left = std::min<LONG>(ink.left, x);
      ink.top = std::min<LONG>(ink.top, y);
      ink.right = std::max<LONG>(ink.right, x + 1);
      ink.bottom = std::max<LONG>(ink.bottom, y + 1);
    }
  }
  return ink;
}

// ---- The fixture ------------------------------------------------------------

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX classes = {
        sizeof classes, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                            ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    // Hover must come from the tests' own messages, not from where the pointer is.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ui::skin::Initialize();
  }
  void TearDown() override { ui::skin::Switch(0); }
};

constexpr std::size_t kPushButtonRow = 0;
constexpr std::size_t kEditRow = 7;
constexpr std::size_t kDropDownListRow = 9;
constexpr std::size_t kUpDownRow = 11;

TEST_F(SkinTest, TheSkinIsOffAfterInitialize) {
  Form form;
  EXPECT_EQ(ui::skin::ActiveScheme(), 0);
  ExpectMarks(form, 0);
}

TEST_F(SkinTest, SwitchingOnMarksTheSkinnedKindsOfExistingControls) {
  Form form;
  ui::skin::Switch(1);
  EXPECT_EQ(ui::skin::ActiveScheme(), 1);
  ExpectMarks(form, 1);
}

TEST_F(SkinTest, ControlsCreatedLaterAreSkinnedByTheCreationHook) {
  ui::skin::Switch(2);
  Form form;
  ExpectMarks(form, 2);
  // A control added to a window that existed before, and a second top-level window.
  HWND late = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {600, 360, 680, 390}, "Late");
  EXPECT_EQ(MarkOf(late), 2);
}

TEST_F(SkinTest, AnyOtherNumberSwitchesTheSkinOff) {
  Form form;
  for (int scheme : {0, 4, -1}) {
    ui::skin::Switch(3);
    ui::skin::Switch(scheme);
    EXPECT_EQ(ui::skin::ActiveScheme(), 0) << scheme;
    ExpectMarks(form, 0);
  }
}

// The message box's buttons and static text, seen from a CBT hook when the
// box is activated, before it is closed with Cancel.
struct MessageBoxFacts {
  int buttons = 0;
  int skinnedButtons = 0;
  int skinnedOthers = 0;
  int boxMark = -1;
  Picture printedButton;
};
MessageBoxFacts g_messageBox;

LRESULT CALLBACK WatchMessageBox(int code, WPARAM wParam, LPARAM lParam) {
  const auto box = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && g_messageBox.boxMark < 0 && HasClass(box, "#32770")) {
    g_messageBox.boxMark = MarkOf(box);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (HasClass(child, WC_BUTTONA)) {
        ++g_messageBox.buttons;
        if (MarkOf(child) == 3) ++g_messageBox.skinnedButtons;
        if (g_messageBox.printedButton.pixels.empty()) g_messageBox.printedButton = Printed(child);
      } else if (MarkOf(child) != 0) {
        ++g_messageBox.skinnedOthers;
      }
    }
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SkinTest, AMessageBoxShownOnTheThreadGetsSkinnedButtons) {
  ui::skin::Switch(3);
  g_messageBox = {};
  base::WindowsHook watch(
      SetWindowsHookExA(WH_CBT, WatchMessageBox, nullptr, GetCurrentThreadId()));
  ASSERT_TRUE(watch);
  EXPECT_EQ(MessageBoxA(nullptr, "Question?", "Box", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(g_messageBox.boxMark, 0);
  EXPECT_EQ(g_messageBox.buttons, 2);
  EXPECT_EQ(g_messageBox.skinnedButtons, 2);
  EXPECT_EQ(g_messageBox.skinnedOthers, 0);
  // And the button paints as silver: a grey face lighter at the top.
  const Picture& button = g_messageBox.printedButton;
  ASSERT_GT(button.height, 12);
  const Shade face = Average(button, FaceStrip(button, true, true));
  EXPECT_LT(face.Spread(), 20);
  EXPECT_GT(Average(button, FaceStrip(button, true, false)).Brightness(),
            Average(button, FaceStrip(button, false, true)).Brightness() + 15);
}

int g_messagesSeen = 0;
LRESULT CALLBACK CountMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  if (message == WM_USER + 7) ++g_messagesSeen;
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(SkinTest, SwitchingOffRemovesMarksHookAndPaintingButNotOtherSubclasses) {
  Form form;
  HWND button = form.control(kPushButtonRow);
  const Picture standard = OnScreen(button);

  ui::skin::Switch(1);
  Settle(form.window());
  EXPECT_NE(OnScreen(button), standard);
  // Someone else subclasses the button on top of the skin.
  ASSERT_TRUE(SetWindowSubclass(button, CountMessages, 1, 0));

  ui::skin::Switch(0);
  Settle(form.window());
  EXPECT_EQ(ui::skin::ActiveScheme(), 0);
  ExpectMarks(form, 0);
  EXPECT_EQ(OnScreen(button), standard);
  HWND late = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {600, 360, 680, 390}, "Late");
  EXPECT_EQ(MarkOf(late), 0);

  g_messagesSeen = 0;
  SendMessageA(button, WM_USER + 7, 0, 0);
  EXPECT_EQ(g_messagesSeen, 1);
  RemoveWindowSubclass(button, CountMessages, 1);
}

TEST_F(SkinTest, SwitchingToAnotherSchemeLeavesExactlyOneSkin) {
  Form form;
  HWND button = form.control(kPushButtonRow);
  const Picture standard = OnScreen(button);
  ui::skin::Switch(1);
  Settle(form.window());
  const Picture blue = OnScreen(button);

  ui::skin::Switch(2);
  Settle(form.window());
  EXPECT_EQ(ui::skin::ActiveScheme(), 2);
  ExpectMarks(form, 2);
  EXPECT_NE(OnScreen(button), blue);
  HWND late = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {600, 360, 680, 390}, "Late");
  EXPECT_EQ(MarkOf(late), 2);

  // One switch off removes everything: no second subclass or hook was left.
  ui::skin::Switch(0);
  Settle(form.window());
  ExpectMarks(form, 0);
  EXPECT_EQ(MarkOf(late), 0);
  EXPECT_EQ(OnScreen(button), standard);
  HWND later = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {600, 320, 680, 350}, "Later");
  EXPECT_EQ(MarkOf(later), 0);
}

bool g_markGoneAtDestruction = false;
LRESULT CALLBACK WatchDestruction(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    g_markGoneAtDestruction = GetPropA(window, "MorvessaSkin") == nullptr;
    RemoveWindowSubclass(window, WatchDestruction, 1);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(SkinTest, ADestroyedControlLosesItsMark) {
  Form form;
  HWND button = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {600, 360, 680, 390}, "Gone");
  // Installed before the skin, so it sees the destruction after the skin did.
  ASSERT_TRUE(SetWindowSubclass(button, WatchDestruction, 1, 0));
  ui::skin::Switch(1);
  ASSERT_EQ(MarkOf(button), 1);
  g_markGoneAtDestruction = false;
  DestroyWindow(button);
  EXPECT_TRUE(g_markGoneAtDestruction);
}

WNDPROC g_belowSwap = nullptr;
LRESULT CALLBACK SwappedOnTop(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 7) ++g_messagesSeen;
  return CallWindowProcA(g_belowSwap, window, message, wParam, lParam);
}

TEST_F(SkinTest, AProcedureSwappedOnTopKeepsWorkingAndTheChainUnwindsAfterIt) {
  Form form;
  HWND button = form.control(kPushButtonRow);
  const LONG_PTR classProcedure = GetWindowLongPtrA(button, GWLP_WNDPROC);
  const Picture standard = OnScreen(button);
  ui::skin::Switch(1);
  Settle(form.window());
  const Picture blue = OnScreen(button);
  ASSERT_NE(blue, standard);

  // Old-style subclassing on top of the skin: the procedure is swapped.
  g_belowSwap = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SwappedOnTop)));
  ui::skin::Switch(0);
  Settle(form.window());
  EXPECT_EQ(MarkOf(button), 0);
  EXPECT_EQ(OnScreen(button), standard);
  EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(SwappedOnTop));

  // Back on: skinned again beneath the swap, which still sees its messages.
  ui::skin::Switch(1);
  Settle(form.window());
  EXPECT_EQ(MarkOf(button), 1);
  EXPECT_EQ(OnScreen(button), blue);
  g_messagesSeen = 0;
  SendMessageA(button, WM_USER + 7, 0, 0);
  EXPECT_EQ(g_messagesSeen, 1);

  // Once the swap is undone, switching off leaves the button's own procedure.
  SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_belowSwap));
  ui::skin::Switch(0);
  Settle(form.window());
  EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), classProcedure);
  EXPECT_EQ(OnScreen(button), standard);
}

TEST_F(SkinTest, AClickHandlerMaySwitchTheSkinOffOrOverUnderTheButton) {
  const struct {
    int to;
    void (*handler)();
  } kSwitches[] = {{0, [] { ui::skin::Switch(0); }}, {3, [] { ui::skin::Switch(3); }}};
  for (const auto& row : kSwitches) {
    SCOPED_TRACE(row.to);
    Form form;
    HWND button = form.control(kPushButtonRow);
    const LONG_PTR classProcedure = GetWindowLongPtrA(button, GWLP_WNDPROC);
    ui::skin::Switch(1);
    Settle(form.window());
    g_onClick = row.handler;
    SendMessageA(button, BM_CLICK, 0, 0);
    g_onClick = nullptr;
    Settle(form.window());
    EXPECT_EQ(ui::skin::ActiveScheme(), row.to);
    EXPECT_EQ(MarkOf(button), row.to);
    // The button still works after its skin changed under its own click.
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_NE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    SendMessageA(button, BM_SETSTATE, FALSE, 0);
    ui::skin::Switch(0);
    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), classProcedure);
  }
}

TEST_F(SkinTest, UnicodeControlsKeepTextOutsideCodePage936) {
  // Hangul, an emoji (a surrogate pair) and e-acute: none of them in code page 936.
  const wchar_t text[] = L"\xD55C\xAE00 \xD83D\xDE00 \x00E9";
  const struct {
    const wchar_t* className;
    DWORD style;
  } kUnicodeControls[] = {{L"EDIT", ES_AUTOHSCROLL}, {L"BUTTON", BS_PUSHBUTTON}};
  Form form;
  ui::skin::Switch(1);
  for (const auto& row : kUnicodeControls) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.className)));
    // As a library made with the W functions creates it, under the skin.
    HWND control = CreateWindowExW(0, row.className, L"", WS_CHILD | WS_VISIBLE | row.style, 600,
                                   360, 80, 30, form.window(), nullptr, GetModuleHandleW(nullptr),
                                   nullptr);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(MarkOf(control), 1);
    EXPECT_TRUE(IsWindowUnicode(control));
    ASSERT_TRUE(SetWindowTextW(control, text));
    wchar_t back[32] = {};
    GetWindowTextW(control, back, 32);
    EXPECT_STREQ(back, text);

    ui::skin::Switch(0);
    EXPECT_EQ(MarkOf(control), 0);
    EXPECT_TRUE(IsWindowUnicode(control));
    GetWindowTextW(control, back, 32);
    EXPECT_STREQ(back, text);
    DestroyWindow(control);
    ui::skin::Switch(1);
  }
}

// ---- The painting -------------------------------------------------------------

struct HueRow {
  int scheme;
  const char* name;
  bool (*fits)(const Shade& face);
};

const HueRow kHues[] = {
    {0, "standard: flat and not blue", [](const Shade& face) { return face.blue - face.red < 10; }},
    {1, "blue",
     [](const Shade& face) { return face.blue > face.red + 30 && face.blue > face.green + 10; }},
    {2, "olive green",
     [](const Shade& face) {
       return face.green > face.blue + 30 && face.red > face.blue + 15 && face.green >= face.red;
     }},
    {3, "silver", [](const Shade& face) { return face.Spread() < 20 && face.blue >= face.red; }},
};

TEST_F(SkinTest, EachSchemePaintsPushButtonsInItsPalette) {
  Form form;
  HWND button = form.control(kPushButtonRow);
  for (const HueRow& row : kHues) {
    ui::skin::Switch(row.scheme);
    Settle(form.window());
    const Picture picture = OnScreen(button);
    const Shade face = Average(picture, FaceStrip(picture, true, true));
    EXPECT_TRUE(row.fits(face)) << row.name << ": " << face.red << "," << face.green << ","
                                << face.blue;
    // Skinned faces are gradients, darker towards the bottom; the standard one is flat.
    const double fall = Average(picture, FaceStrip(picture, true, false)).Brightness() -
                        Average(picture, FaceStrip(picture, false, true)).Brightness();
    if (row.scheme == 0) {
      EXPECT_LT(std::abs(fall), 6) << row.name;
    } else {
      EXPECT_GT(fall, 15) << row.name;
    }
    // The same look is printed through WM_PRINTCLIENT.
    EXPECT_EQ(Printed(button), picture) << row.name;
  }
}

TEST_F(SkinTest, PushButtonStatesShowAtOnceAndLeaveNoTrace) {
  Form form;
  HWND button = form.control(kPushButtonRow);
  ui::skin::Switch(1);
  Settle(form.window());
  const Picture normal = OnScreen(button);
  const double normalBrightness = Average(normal, FaceStrip(normal, true, true)).Brightness();

  // Each change is read back before any message is pumped: the skin repaints
  // inside the message, so the standard look never shows in between.
  SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  const Picture hot = OnScreen(button);
  EXPECT_GT(Average(hot, FaceStrip(hot, true, true)).Brightness(), normalBrightness + 5);
  SendMessageA(button, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(OnScreen(button), normal);

  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  const Picture pressed = OnScreen(button);
  EXPECT_LT(Average(pressed, FaceStrip(pressed, true, false)).Brightness(),
            Average(pressed, FaceStrip(pressed, false, true)).Brightness());
  SendMessageA(button, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(OnScreen(button), normal);

  EnableWindow(button, FALSE);
  const Picture disabled = OnScreen(button);
  EXPECT_LT(Average(disabled, FaceStrip(disabled, true, true)).Spread(), 16);
  const RECT noInk = InkBounds(disabled);
  EXPECT_GE(noInk.left, noInk.right) << "a disabled caption is light grey";
  EnableWindow(button, TRUE);
  EXPECT_EQ(OnScreen(button), normal);

  SetFocus(button);
  EXPECT_NE(OnScreen(button), normal);
  SetFocus(form.window());
  EXPECT_EQ(OnScreen(button), normal);
}

struct CaptionRow {
  const char* name;
  DWORD style;
  int horizontal;  // -1 left, 0 centred, 1 right
  int vertical;    // -1 top, 0 centred, 1 bottom
};

const CaptionRow kCaptions[] = {
    {"centred multi-line", BS_MULTILINE | BS_CENTER | BS_VCENTER, 0, 0},
    {"push button default", 0, 0, 0},
    {"left and top", BS_LEFT | BS_TOP, -1, -1},
    {"right and bottom", BS_RIGHT | BS_BOTTOM, 1, 1},
};

TEST_F(SkinTest, CaptionsFollowTheAlignmentStyles) {
  Form form;
  ui::skin::Switch(1);
  for (const CaptionRow& row : kCaptions) {
    HWND button = form.Add(WC_BUTTONA, BS_PUSHBUTTON | row.style, 0, {400, 300, 560, 360}, "Ab");
    Settle(form.window());
    const Picture picture = OnScreen(button);
    const RECT ink = InkBounds(picture);
    ASSERT_LT(ink.left, ink.right) << row.name;
    const int centreX = (ink.left + ink.right) / 2, centreY = (ink.top + ink.bottom) / 2;
    switch (row.horizontal) {
      case -1:
        EXPECT_LT(ink.left, 10) << row.name;
        break;
      case 0:
        EXPECT_NEAR(centreX, picture.width / 2, 3) << row.name;
        break;
      case 1:
        EXPECT_GT(ink.right, picture.width - 10) << row.name;
        break;
    }
    switch (row.vertical) {
      case -1:
        EXPECT_LT(ink.top, 10) << row.name;
        break;
      case 0:
        EXPECT_NEAR(centreY, picture.height / 2, 3) << row.name;
        break;
      case 1:
        EXPECT_GT(ink.bottom, picture.height - 10) << row.name;
        break;
    }
    DestroyWindow(button);
  }
}

TEST_F(SkinTest, CaptionsUseTheControlsFontAndWrapWhenMultiLine) {
  Form form;
  ui::skin::Switch(1);
  HWND single = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {400, 250, 480, 330}, "one two three");
  HWND wrapped =
      form.Add(WC_BUTTONA, BS_PUSHBUTTON | BS_MULTILINE, 0, {500, 250, 580, 330}, "one two three");
  base::GdiObject bigFont(
      CreateFontA(-30, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
  HWND big = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {400, 340, 560, 400}, "Ab");
  HWND small = form.Add(WC_BUTTONA, BS_PUSHBUTTON, 0, {570, 340, 690, 400}, "Ab");
  SendMessageA(big, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont.get()), TRUE);
  Settle(form.window());

  const RECT singleInk = InkBounds(OnScreen(single));
  const RECT wrappedInk = InkBounds(OnScreen(wrapped));
  EXPECT_GT(wrappedInk.bottom - wrappedInk.top, 2 * (singleInk.bottom - singleInk.top));
  const RECT bigInk = InkBounds(OnScreen(big));
  const RECT smallInk = InkBounds(OnScreen(small));
  EXPECT_GT(bigInk.bottom - bigInk.top, 2 * (smallInk.bottom - smallInk.top));
  DestroyWindow(big);  // before the font it uses
}

int CountAccentPixels(const Picture& picture, int glyphWidth) {
  int count = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < glyphWidth; ++x) {
      const COLORREF pixel = picture.At(x, y);
      if (GetBValue(pixel) > GetRValue(pixel) + 90) ++count;
    }
  }
  return count;
}

TEST_F(SkinTest, CheckAndRadioGlyphsShowTheirStateInThePalette) {
  Form form;
  ui::skin::Switch(1);
  Settle(form.window());
  for (std::size_t row : {std::size_t{2}, std::size_t{4}}) {  // check box, radio button
    HWND control = form.control(row);
    SendMessageA(control, BM_SETCHECK, BST_UNCHECKED, 0);
    const int unchecked = CountAccentPixels(OnScreen(control), 16);
    SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    const int checked = CountAccentPixels(OnScreen(control), 16);
    EXPECT_GT(checked, unchecked + 6) << kControls[row].name;
  }
}

bool Bluish(COLORREF pixel) { return GetBValue(pixel) > GetRValue(pixel) + 40; }

TEST_F(SkinTest, EditComboAndUpDownTakeThePaletteAndListBoxesDoNot) {
  Form form;
  HWND edit = form.control(kEditRow);
  HWND combo = form.control(kDropDownListRow);
  HWND upDown = form.control(kUpDownRow);
  HWND list = form.control(12);
  const Picture standardList = WholeOnScreen(list);

  ui::skin::Switch(1);
  Settle(form.window());
  const Picture editFrame = WholeOnScreen(edit);
  EXPECT_TRUE(Bluish(editFrame.At(0, editFrame.height / 2)));
  const Picture comboPicture = OnScreen(combo);
  EXPECT_TRUE(Bluish(comboPicture.At(0, comboPicture.height / 2)));
  EXPECT_TRUE(Bluish(comboPicture.At(comboPicture.width - 6, comboPicture.height - 5)))
      << "the drop button";
  const Picture arrows = OnScreen(upDown);
  EXPECT_TRUE(Bluish(arrows.At(arrows.width / 2, arrows.height / 4 + 3)));
  EXPECT_EQ(WholeOnScreen(list), standardList);

  ui::skin::Switch(0);
  Settle(form.window());
  EXPECT_FALSE(Bluish(WholeOnScreen(edit).At(0, editFrame.height / 2)));
  EXPECT_FALSE(Bluish(OnScreen(combo).At(0, comboPicture.height / 2)));
}

}  // namespace
