#include "ui/skin/painters.h"

#include <commctrl.h>

#include <algorithm>

#include "base/heap.h"
#include "base/win_handles.h"
#include "ui/skin/drawing.h"
#include "ui/skin/gdi_scope.h"

namespace ui::skin {
namespace {

constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlack = RGB(0x00, 0x00, 0x00);
// Glyph boxes of check boxes and radio buttons at 96 dpi, as the standard ones.
constexpr int kGlyphSize = 13;

int Width(const RECT& r) noexcept { return r.right - r.left; }
int Height(const RECT& r) noexcept { return r.bottom - r.top; }

RECT ClientRect(HWND window) noexcept {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

bool ClassIs(HWND window, const char* name) noexcept {
  char className[32];
  return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

LONG StyleOf(HWND window) noexcept {
  return static_cast<LONG>(GetWindowLongPtrA(window, GWL_STYLE));
}
LONG ExStyleOf(HWND window) noexcept {
  return static_cast<LONG>(GetWindowLongPtrA(window, GWL_EXSTYLE));
}

// The brush the parent wants behind `control`, asked with the same
// WM_CTLCOLOR* message the control itself would send, so dialogs that colour
// their controls keep doing so under the skin.
HBRUSH ParentBrush(HWND control, HDC dc, UINT message) {
  HWND parent = GetParent(control);
  if (!parent) parent = control;
  const WPARAM dcParam = reinterpret_cast<WPARAM>(dc);
  const LPARAM controlParam = reinterpret_cast<LPARAM>(control);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(parent, message, dcParam, controlParam));
  if (!brush) {  // a parent that forgot DefWindowProc
    brush = reinterpret_cast<HBRUSH>(DefWindowProcA(parent, message, dcParam, controlParam));
  }
  if (!brush) {
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    brush = GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
  }
  return brush;
}

// The colour of a solid brush; `fallback` for patterned ones.
COLORREF BrushColour(HBRUSH brush, COLORREF fallback) noexcept {
  LOGBRUSH description{};
  if (GetObjectA(brush, sizeof description, &description) == static_cast<int>(sizeof description) &&
      description.lbStyle == BS_SOLID) {
    return description.lbColor;
  }
  return fallback;
}

HFONT FontOf(HWND window) noexcept {
  return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// The caption as the control stores it (ANSI bytes), or null when empty.
base::HeapPtr<char> CaptionOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return nullptr;
  base::HeapPtr<char> text(
      static_cast<char*>(base::HeapAllocOrDie(static_cast<std::size_t>(length) + 1)));
  if (GetWindowTextA(window, text.get(), length + 1) <= 0) return nullptr;
  return text;
}

struct KeyboardCues {
  bool hideFocus;
  bool hideAccelerators;
};

KeyboardCues CuesOf(HWND window) noexcept {
  const auto state = static_cast<UINT>(SendMessageA(window, WM_QUERYUISTATE, 0, 0));
  return {(state & UISF_HIDEFOCUS) != 0, (state & UISF_HIDEACCEL) != 0};
}

// DrawText flags from the button's alignment styles. DT_VCENTER and DT_BOTTOM
// are only read by PlaceText, which aligns multi-line captions too.
UINT CaptionFormat(HWND button, LONG style, bool centredByDefault, const KeyboardCues& cues) {
  UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  switch (style & BS_CENTER) {
    case BS_LEFT:
      format |= DT_LEFT;
      break;
    case BS_RIGHT:
      format |= DT_RIGHT;
      break;
    case BS_CENTER:
      format |= DT_CENTER;
      break;
    default:
      format |= centredByDefault ? DT_CENTER : DT_LEFT;
      break;
  }
  if (ExStyleOf(button) & WS_EX_RIGHT) format = (format & ~DT_CENTER) | DT_RIGHT;
  switch (style & BS_VCENTER) {
    case BS_TOP:
      format |= DT_TOP;
      break;
    case BS_BOTTOM:
      format |= DT_BOTTOM;
      break;
    default:
      format |= DT_VCENTER;
      break;
  }
  // '&' marks a mnemonic exactly as in the standard button; only the
  // underline follows the window's keyboard-cue state.
  if (cues.hideAccelerators) format |= DT_HIDEPREFIX;
  return format;
}

constexpr UINT kPlacementFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

// Where DrawText will put `text` inside `area` with `format`.
RECT PlaceText(HDC dc, const char* text, const RECT& area, UINT format) {
  RECT measured{0, 0, std::max(Width(area), 1), 0};
  DrawTextA(dc, text, -1, &measured, (format & ~kPlacementFlags) | DT_CALCRECT);
  const int width = measured.right - measured.left;
  const int height = measured.bottom - measured.top;
  RECT bounds{};
  if (format & DT_RIGHT) {
    bounds.left = area.right - width;
  } else if (format & DT_CENTER) {
    bounds.left = area.left + (Width(area) - width) / 2;
  } else {
    bounds.left = area.left;
  }
  if (format & DT_BOTTOM) {
    bounds.top = area.bottom - height;
  } else if (format & DT_VCENTER) {
    bounds.top = area.top + (Height(area) - height) / 2;
  } else {
    bounds.top = area.top;
  }
  bounds.right = bounds.left + width;
  bounds.bottom = bounds.top + height;
  return bounds;
}

void DrawPlacedText(HDC dc, const char* text, RECT bounds, const RECT& clip, UINT format) {
  IntersectRect(&bounds, &bounds, &clip);
  DrawTextA(dc, text, -1, &bounds, format & ~(DT_VCENTER | DT_BOTTOM));
}

void DrawFocusRectangle(HDC dc, const RECT& area) noexcept {
  // DrawFocusRect's dots come out black on white from these colours.
  const COLORREF oldText = SetTextColor(dc, kBlack);
  const COLORREF oldBack = SetBkColor(dc, kWhite);
  DrawFocusRect(dc, &area);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

// Face and border of a button-like part in a given state.
struct FaceStyle {
  Gradient face;
  COLORREF border;
  bool glossy;
};

FaceStyle FaceFor(const Palette& palette, bool enabled, bool pressed, bool hot) noexcept {
  if (!enabled) return {palette.faceDisabled, palette.borderDisabled, true};
  if (pressed) return {palette.facePressed, palette.border, false};
  if (hot) return {palette.faceHot, palette.borderHot, true};
  return {palette.face, palette.border, true};
}

struct ButtonFacts {
  LONG style;
  UINT state;
  bool enabled;
  bool hot;
  bool focused;
  KeyboardCues cues;
};

ButtonFacts FactsOf(HWND button, bool hot) {
  ButtonFacts facts{};
  facts.style = StyleOf(button);
  facts.state = static_cast<UINT>(SendMessageA(button, BM_GETSTATE, 0, 0));
  facts.enabled = IsWindowEnabled(button) != FALSE;
  facts.hot = hot && facts.enabled;
  facts.focused = (facts.state & BST_FOCUS) != 0 || GetFocus() == button;
  facts.cues = CuesOf(button);
  return facts;
}

struct ButtonImage {
  HANDLE handle = nullptr;
  UINT type = 0;  // DST_ICON or DST_BITMAP
  SIZE size{};
};

ButtonImage ImageOf(HWND button, LONG style) {
  ButtonImage image;
  if (style & BS_ICON) {
    image.handle = reinterpret_cast<HANDLE>(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0));
    image.type = DST_ICON;
    ICONINFO info{};
    if (image.handle && GetIconInfo(static_cast<HICON>(image.handle), &info)) {
      base::GdiObject colour(info.hbmColor);
      base::GdiObject mask(info.hbmMask);
      BITMAP bits{};
      if (colour) {
        GetObjectA(colour.get(), sizeof bits, &bits);
        image.size = {bits.bmWidth, bits.bmHeight};
      } else if (mask) {
        GetObjectA(mask.get(), sizeof bits, &bits);
        image.size = {bits.bmWidth, bits.bmHeight / 2};  // AND mask above XOR mask
      }
    }
  } else if (style & BS_BITMAP) {
    image.handle = reinterpret_cast<HANDLE>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    image.type = DST_BITMAP;
    BITMAP bits{};
    if (image.handle && GetObjectA(image.handle, sizeof bits, &bits)) {
      image.size = {bits.bmWidth, bits.bmHeight};
    }
  }
  if (image.size.cx <= 0 || image.size.cy <= 0) image.handle = nullptr;
  return image;
}

void DrawLabel(HWND button, HDC dc, const RECT& area, const ButtonFacts& facts, UINT format,
               RECT* placed) {
  const ButtonImage image = ImageOf(button, facts.style);
  if (image.handle) {
    const int x = area.left + (Width(area) - image.size.cx) / 2;
    const int y = area.top + (Height(area) - image.size.cy) / 2;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image.handle), 0, x, y, image.size.cx,
               image.size.cy, image.type | (facts.enabled ? DSS_NORMAL : DSS_DISABLED));
    if (placed) *placed = {x, y, x + image.size.cx, y + image.size.cy};
    return;
  }
  const base::HeapPtr<char> caption = CaptionOf(button);
  if (!caption) {
    if (placed) SetRectEmpty(placed);
    return;
  }
  const RECT bounds = PlaceText(dc, caption.get(), area, format);
  DrawPlacedText(dc, caption.get(), bounds, area, format);
  if (placed) *placed = bounds;
}

void PaintPushButton(HWND button, HDC dc, const RECT& client, const Palette& palette,
                     const ButtonFacts& facts, bool checkedLook) {
  const HBRUSH back = ParentBrush(button, dc, WM_CTLCOLORBTN);
  FillRect(dc, &client, back);
  const COLORREF outside = BrushColour(back, GetSysColor(COLOR_BTNFACE));

  const bool pressed = (facts.state & BST_PUSHED) != 0 || checkedLook;
  FaceStyle look = FaceFor(palette, facts.enabled, pressed, facts.hot);
  const bool isDefault = (facts.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (isDefault && facts.enabled) look.border = Mix(look.border, kBlack, 30);
  DrawRoundedFace(dc, client, look.face, look.border, outside, look.glossy);
  if (facts.enabled && !pressed && (facts.focused || isDefault)) {
    DrawInnerRing(dc, client, Mix(palette.accent, look.face.top, facts.focused ? 20 : 55));
  }

  RECT content{client.left + 4, client.top + 3, client.right - 4, client.bottom - 3};
  if (pressed) OffsetRect(&content, 1, 1);
  Selection font(dc, FontOf(button));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, facts.enabled ? palette.text : palette.textDisabled);
  DrawLabel(button, dc, content, facts, CaptionFormat(button, facts.style, true, facts.cues),
            nullptr);

  if (facts.focused && facts.enabled && !facts.cues.hideFocus) {
    RECT ring{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3};
    if (Width(ring) > 0 && Height(ring) > 0) DrawFocusRectangle(dc, ring);
  }
}

void PaintCheckOrRadio(HWND button, HDC dc, const RECT& client, const Palette& palette,
                       const ButtonFacts& facts, bool radio) {
  const HBRUSH back = ParentBrush(button, dc, WM_CTLCOLORSTATIC);
  const COLORREF parentText = GetTextColor(dc);  // set by the parent's WM_CTLCOLORSTATIC
  FillRect(dc, &client, back);
  const COLORREF outside = BrushColour(back, GetSysColor(COLOR_BTNFACE));

  Selection font(dc, FontOf(button));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int size = MulDiv(kGlyphSize, GetDeviceCaps(dc, LOGPIXELSY), 96);
  const int gap = size / 3 + 1;

  RECT box{};
  RECT textArea = client;
  const bool boxOnRight = (facts.style & BS_LEFTTEXT) || (ExStyleOf(button) & WS_EX_RIGHT);
  if (boxOnRight) {
    box.left = client.right - size;
    textArea.right = box.left - gap;
  } else {
    box.left = client.left;
    textArea.left = box.left + size + gap;
  }
  box.right = box.left + size;
  const int lineSlack = std::max(0, static_cast<int>(metrics.tmHeight) - size) / 2;
  switch (facts.style & BS_VCENTER) {
    case BS_TOP:
      box.top = client.top + lineSlack;
      break;
    case BS_BOTTOM:
      box.top = client.bottom - lineSlack - size;
      break;
    default:
      box.top = client.top + (Height(client) - size) / 2;
      break;
  }
  box.bottom = box.top + size;

  const bool pressed = (facts.state & BST_PUSHED) != 0;
  Gradient inside = palette.field;
  COLORREF border = palette.border;
  if (!facts.enabled) {
    inside = palette.faceDisabled;
    border = palette.borderDisabled;
  } else if (pressed) {
    inside = palette.facePressed;
    border = palette.borderHot;
  } else if (facts.hot) {
    inside = {palette.field.top, Mix(palette.field.bottom, palette.faceHot.bottom, 60)};
    border = palette.borderHot;
  }
  const COLORREF mark = facts.enabled ? palette.accent : palette.textDisabled;
  const UINT checkState = facts.state & (BST_CHECKED | BST_INDETERMINATE);
  if (radio) {
    DrawCircle(dc, box, inside, border);
    if (checkState & BST_CHECKED) DrawDot(dc, box, mark);
  } else {
    DrawRoundedFace(dc, box, inside, border, outside, false);
    if (checkState & BST_CHECKED) {
      DrawTick(dc, box, mark);
    } else if (checkState & BST_INDETERMINATE) {
      const int inset = size / 4 + 1;
      RECT square{box.left + inset, box.top + inset, box.right - inset, box.bottom - inset};
      FillSolid(dc, square, Mix(mark, inside.bottom, 35));
    }
  }

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, facts.enabled ? parentText : palette.textDisabled);
  RECT placed{};
  DrawLabel(button, dc, textArea, facts, CaptionFormat(button, facts.style, false, facts.cues),
            &placed);
  if (facts.focused && !facts.cues.hideFocus && !IsRectEmpty(&placed)) {
    InflateRect(&placed, 1, 1);
    IntersectRect(&placed, &placed, &client);
    DrawFocusRectangle(dc, placed);
  }
}

// The inside of a group box, which belongs to the controls it groups.
RECT GroupBoxInside(const RECT& client, int textHeight) noexcept {
  const int frameTop = client.top + textHeight / 2 - 1;
  return {client.left + 2, std::max<LONG>(client.top + textHeight, frameTop + 2), client.right - 2,
          client.bottom - 2};
}

void PaintGroupBox(HWND group, HDC target, const Palette& palette) {
  const RECT client = ClientRect(group);
  BackBuffer buffer(target, Width(client), Height(client));
  if (!buffer.ok()) return;
  HDC dc = buffer.dc();
  const HBRUSH back = ParentBrush(group, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &client, back);
  const COLORREF outside = BrushColour(back, GetSysColor(COLOR_BTNFACE));

  Selection font(dc, FontOf(group));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int textHeight = metrics.tmHeight;
  const bool enabled = IsWindowEnabled(group) != FALSE;
  const LONG style = StyleOf(group);

  RECT frame = client;
  frame.top += textHeight / 2 - 1;
  DrawRoundedFrame(dc, frame, enabled ? palette.frame : palette.borderDisabled,
                   Mix(outside, kWhite, 65), outside);

  if (const base::HeapPtr<char> caption = CaptionOf(group)) {
    const RECT area{client.left + 9, client.top, client.right - 9, client.top + textHeight};
    UINT format = DT_SINGLELINE | DT_TOP;
    switch (style & BS_CENTER) {
      case BS_CENTER:
        format |= DT_CENTER;
        break;
      case BS_RIGHT:
        format |= DT_RIGHT;
        break;
      default:
        break;
    }
    if (CuesOf(group).hideAccelerators) format |= DT_HIDEPREFIX;
    const RECT bounds = PlaceText(dc, caption.get(), area, format);
    RECT gapInFrame{bounds.left - 3, bounds.top, bounds.right + 3, bounds.bottom};
    IntersectRect(&gapInFrame, &gapInFrame, &client);
    FillRect(dc, &gapInFrame, back);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? palette.heading : palette.textDisabled);
    DrawPlacedText(dc, caption.get(), bounds, area, format);
  }

  SavedDcState saved(target);
  const RECT inside = GroupBoxInside(client, textHeight);
  ExcludeClipRect(target, inside.left, inside.top, inside.right, inside.bottom);
  buffer.CopyTo(target);
}

int TextHeightOf(HWND window, HDC dc) {
  Selection font(dc, FontOf(window));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  return metrics.tmHeight;
}

// Width of the border of a control, the part of its non-client area the skin
// recolours (scroll bars, inside it, keep their own look).
int BorderWidthOf(HWND control) noexcept {
  const LONG style = StyleOf(control);
  const LONG exStyle = ExStyleOf(control);
  int width = 0;
  if (exStyle & WS_EX_CLIENTEDGE) width += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) width += GetSystemMetrics(SM_CXBORDER);
  if (style & WS_BORDER) width += GetSystemMetrics(SM_CXBORDER);
  RECT window{};
  GetWindowRect(control, &window);
  POINT clientOrigin{0, 0};
  ClientToScreen(control, &clientOrigin);
  return std::min(width, static_cast<int>(clientOrigin.x - window.left));
}

void PaintBorderRings(HWND control, HDC windowDc, int width, COLORREF outer, HBRUSH field) {
  RECT window{};
  GetWindowRect(control, &window);
  RECT ring{0, 0, Width(window), Height(window)};
  FrameSolid(windowDc, ring, outer);
  for (int i = 1; i < width; ++i) {
    InflateRect(&ring, -1, -1);
    FrameRect(windowDc, &ring, field);
  }
}

}  // namespace

ButtonKind ButtonKindOf(LONG style) noexcept {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return ButtonKind::Push;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ButtonKind::Check;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return ButtonKind::Radio;
    case BS_GROUPBOX:
      return ButtonKind::Group;
    default:
      return ButtonKind::Unskinned;
  }
}

void PaintButton(HWND button, HDC target, const Palette& palette, bool hot) {
  const ButtonKind kind = ButtonKindOf(StyleOf(button));
  if (kind == ButtonKind::Unskinned) return;
  if (kind == ButtonKind::Group) {
    PaintGroupBox(button, target, palette);
    return;
  }
  const RECT client = ClientRect(button);
  BackBuffer buffer(target, Width(client), Height(client));
  if (!buffer.ok()) return;
  const ButtonFacts facts = FactsOf(button, hot);
  if (kind == ButtonKind::Push) {
    PaintPushButton(button, buffer.dc(), client, palette, facts, false);
  } else if (facts.style & BS_PUSHLIKE) {
    PaintPushButton(button, buffer.dc(), client, palette, facts,
                    (facts.state & (BST_CHECKED | BST_INDETERMINATE)) != 0);
  } else {
    PaintCheckOrRadio(button, buffer.dc(), client, palette, facts, kind == ButtonKind::Radio);
  }
  buffer.CopyTo(target);
}

void ClearGroupBoxFrame(HWND groupBox) {
  if (!IsWindowVisible(groupBox)) return;
  const WindowDc dc = WindowDc::Client(groupBox);
  const RECT client = ClientRect(groupBox);
  const HBRUSH back = ParentBrush(groupBox, dc.get(), WM_CTLCOLORSTATIC);
  const RECT inside = GroupBoxInside(client, TextHeightOf(groupBox, dc.get()));
  SavedDcState saved(dc.get());
  ExcludeClipRect(dc.get(), inside.left, inside.top, inside.right, inside.bottom);
  FillRect(dc.get(), &client, back);
}

void PaintEditFrame(HWND edit, const Palette& palette, bool hot) {
  const int width = BorderWidthOf(edit);
  if (width <= 0) return;
  const bool enabled = IsWindowEnabled(edit) != FALSE;
  COLORREF outer = palette.frame;
  if (!enabled) {
    outer = palette.borderDisabled;
  } else if (GetFocus() == edit) {
    outer = palette.accent;
  } else if (hot) {
    outer = palette.borderHot;
  }
  const WindowDc dc = WindowDc::Whole(edit);
  SavedDcState saved(dc.get());
  const bool plainBackground = !enabled || (StyleOf(edit) & ES_READONLY);
  const HBRUSH field =
      ParentBrush(edit, dc.get(), plainBackground ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  PaintBorderRings(edit, dc.get(), width, outer, field);
}

void PaintDropDownListFrame(HWND list, const Palette& palette) {
  const int width = BorderWidthOf(list);
  if (width <= 0) return;
  const WindowDc dc = WindowDc::Whole(list);
  PaintBorderRings(list, dc.get(), width, palette.border, GetSysColorBrush(COLOR_WINDOW));
}

void PaintComboOverlay(HWND combo, HDC canvas, const Palette& palette, bool hot) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(combo, &info)) return;
  const RECT client = ClientRect(combo);
  const bool enabled = IsWindowEnabled(combo) != FALSE;
  const HWND focus = GetFocus();
  const bool focused = focus && (focus == combo || IsChild(combo, focus));
  const bool listOnly = (StyleOf(combo) & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST;

  HBRUSH field = nullptr;
  {
    SavedDcState saved(canvas);  // the parent's colours are for the combo's own text
    field = ParentBrush(combo, canvas,
                        !enabled   ? WM_CTLCOLORSTATIC
                        : listOnly ? WM_CTLCOLORLISTBOX
                                   : WM_CTLCOLOREDIT);
  }
  const COLORREF fieldColour = BrushColour(field, GetSysColor(COLOR_WINDOW));

  COLORREF outer = palette.frame;
  if (!enabled) {
    outer = palette.borderDisabled;
  } else if (focused) {
    outer = palette.accent;
  } else if (hot) {
    outer = palette.borderHot;
  }
  FrameSolid(canvas, client, outer);
  RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  FrameRect(canvas, &inner, field);

  RECT button = info.rcButton;
  if (IsRectEmpty(&button)) return;
  const bool pressed = (info.stateButton & STATE_SYSTEM_PRESSED) != 0;
  const FaceStyle look = FaceFor(palette, enabled, pressed, hot);
  FillRect(canvas, &button, field);
  DrawRoundedFace(canvas, button, look.face, look.border, fieldColour, look.glossy);
  if (pressed) OffsetRect(&button, 1, 1);
  DrawArrow(canvas, button, ArrowDirection::Down, enabled ? palette.accent : palette.textDisabled);
}

int UpDownPartAt(HWND upDown, POINT point) noexcept {
  const RECT client = ClientRect(upDown);
  if (StyleOf(upDown) & UDS_HORZ) return point.x < (client.left + client.right) / 2 ? 1 : 2;
  return point.y < (client.top + client.bottom) / 2 ? 1 : 2;
}

HWND UpDownOfBuddy(HWND edit) noexcept {
  const HWND parent = GetParent(edit);
  if (!parent) return nullptr;
  for (HWND candidate = FindWindowExA(parent, nullptr, UPDOWN_CLASSA, nullptr); candidate;
       candidate = FindWindowExA(parent, candidate, UPDOWN_CLASSA, nullptr)) {
    if (reinterpret_cast<HWND>(SendMessageA(candidate, UDM_GETBUDDY, 0, 0)) == edit) {
      return candidate;
    }
  }
  return nullptr;
}

void PaintUpDown(HWND upDown, HDC target, const Palette& palette, int hotPart, int pressedPart) {
  const RECT client = ClientRect(upDown);
  BackBuffer buffer(target, Width(client), Height(client));
  if (!buffer.ok()) return;
  HDC dc = buffer.dc();
  const LONG style = StyleOf(upDown);
  const bool enabled = IsWindowEnabled(upDown) != FALSE;
  const auto buddy = reinterpret_cast<HWND>(SendMessageA(upDown, UDM_GETBUDDY, 0, 0));

  RECT arrows = client;
  HBRUSH back = nullptr;
  // Aligned to an edit box, the arrows sit inside that box's border, which
  // the up-down control draws along its own sides.
  const bool insideBuddy =
      (style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) && buddy && ClassIs(buddy, "Edit");
  if (insideBuddy) {
    const bool buddyEnabled = IsWindowEnabled(buddy) != FALSE;
    back = ParentBrush(
        buddy, dc,
        (!buddyEnabled || (StyleOf(buddy) & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(dc, &client, back);
    COLORREF outer = palette.frame;
    if (!buddyEnabled) {
      outer = palette.borderDisabled;
    } else if (GetFocus() == buddy) {
      outer = palette.accent;
    }
    const bool onLeft = (style & UDS_ALIGNLEFT) != 0;
    RECT line{client.left, client.top, client.right, client.top + 1};
    FillSolid(dc, line, outer);
    line = {client.left, client.bottom - 1, client.right, client.bottom};
    FillSolid(dc, line, outer);
    line = onLeft ? RECT{client.left, client.top, client.left + 1, client.bottom}
                  : RECT{client.right - 1, client.top, client.right, client.bottom};
    FillSolid(dc, line, outer);
    arrows.top += 2;
    arrows.bottom -= 2;
    if (onLeft) {
      arrows.left += 2;
    } else {
      arrows.right -= 2;
    }
  } else {
    back = ParentBrush(upDown, dc, WM_CTLCOLORSTATIC);
    FillRect(dc, &client, back);
  }
  const COLORREF outside = BrushColour(back, GetSysColor(COLOR_BTNFACE));

  const bool horizontal = (style & UDS_HORZ) != 0;
  RECT parts[2] = {arrows, arrows};
  if (horizontal) {
    parts[0].right = parts[1].left = (arrows.left + arrows.right) / 2;
  } else {
    parts[0].bottom = parts[1].top = (arrows.top + arrows.bottom) / 2;
  }
  const ArrowDirection directions[2] = {horizontal ? ArrowDirection::Left : ArrowDirection::Up,
                                        horizontal ? ArrowDirection::Right : ArrowDirection::Down};
  for (int index = 0; index < 2; ++index) {
    const int part = index + 1;
    const bool pressed = enabled && pressedPart == part;
    const FaceStyle look = FaceFor(palette, enabled, pressed, enabled && hotPart == part);
    DrawRoundedFace(dc, parts[index], look.face, look.border, outside, look.glossy);
    RECT glyph = parts[index];
    if (pressed) OffsetRect(&glyph, 1, 1);
    DrawArrow(dc, glyph, directions[index], enabled ? palette.accent : palette.textDisabled);
  }
  buffer.CopyTo(target);
}

}  // namespace ui::skin
