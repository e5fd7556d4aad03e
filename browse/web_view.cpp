// Why the browser host looks like this.
//
// The WebBrowser control is hosted by hand, without ATL or MFC: BrowserSite
// implements just the site interfaces the control asks its container for, in
// one object that lives inside the WebView and is never freed through
// Release, so the preview can check that every reference came back before the
// library may be unloaded. The page is loaded from memory, never from a file:
// about:blank first, then IPersistStreamInit::Load of the snippet as decoded
// for the source view, re-encoded as UTF-8 with a BOM (the engine guesses no
// code page) and tagged for the newest document mode (the registry is not
// ours to write). Nothing here waits for the engine: the caller polls
// DocumentComplete from a timer and gives up after a few seconds.

#include "browse/web_view.h"

#include <mshtml.h>
#include <mshtmdid.h>
#include <olectl.h>

namespace browse {
namespace {

// CGID_DocHostCommandHandler: the group of the engine's questions to its host.
constexpr GUID kDocHostCommandGroup = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

bool IsDocHostCommandGroup(const GUID* group) {
  return group && IsEqualGUID(*group, kDocHostCommandGroup);
}

// A BSTR owned for the length of one call.
class OwnedBstr {
 public:
  explicit OwnedBstr(const wchar_t* text) : text_(SysAllocString(text)) {}
  OwnedBstr() = default;
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { SysFreeString(text_); }
  BSTR Get() const { return text_; }
  BSTR* Receive() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace

// --- BrowserSite ----------------------------------------------------------

STDMETHODIMP BrowserSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (IsEqualIID(iid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else if (IsEqualIID(iid, IID_IOleCommandTarget)) {
    *object = static_cast<IOleCommandTarget*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BrowserSite::AddRef() { return static_cast<ULONG>(++references_); }
STDMETHODIMP_(ULONG) BrowserSite::Release() { return static_cast<ULONG>(--references_); }

STDMETHODIMP BrowserSite::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP BrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP BrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP BrowserSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = container_;
  return S_OK;
}
STDMETHODIMP BrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP BrowserSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP BrowserSite::OnInPlaceActivate() {
  activatedInPlace_ = true;
  return S_OK;
}
STDMETHODIMP BrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame,
                                           IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;  // no separate document window: the frame is enough
  *position = area_;
  *clip = area_;
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = container_;
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}
STDMETHODIMP BrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP BrowserSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::OnPosRectChange(LPCRECT) { return S_OK; }

STDMETHODIMP BrowserSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP BrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return OLE_E_INVALIDRECT; }
STDMETHODIMP BrowserSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP BrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP BrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP BrowserSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP BrowserSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// No context menu: its Refresh would reload about:blank and lose the page.
STDMETHODIMP BrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

STDMETHODIMP BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  info->cbSize = sizeof(DOCHOSTUIINFO);
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_DPI_AWARE |
                  DOCHOSTUIFLAG_DISABLE_HELP_MENU;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}
STDMETHODIMP BrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                 IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return S_OK;
}
STDMETHODIMP BrowserSite::HideUI() { return S_OK; }
STDMETHODIMP BrowserSite::UpdateUI() { return S_OK; }
STDMETHODIMP BrowserSite::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP BrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

// Reloading would bring back the empty document the page was loaded into, and
// new windows or locations would leave the preview; every other key is the
// page's.
STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  if (!message || message->message != WM_KEYDOWN) return S_FALSE;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  switch (message->wParam) {
    case VK_F5:
      return S_OK;
    case 'R':
    case 'N':
    case 'O':
    case 'L':
      return control ? S_OK : S_FALSE;
    default:
      return S_FALSE;
  }
}
STDMETHODIMP BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target) *target = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated) *translated = nullptr;
  return S_FALSE;
}
STDMETHODIMP BrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) {
  if (filtered) *filtered = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) {
  return OLECMDERR_E_UNKNOWNGROUP;
}

// The engine asks before it shows a script error; answering "keep running
// scripts" without showing anything silences it.
STDMETHODIMP BrowserSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT*, VARIANT* out) {
  if (!IsDocHostCommandGroup(group)) return OLECMDERR_E_UNKNOWNGROUP;
  if (id != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
  if (out) {
    VariantClear(out);
    out->vt = VT_BOOL;
    out->boolVal = VARIANT_TRUE;
  }
  return S_OK;
}

STDMETHODIMP BrowserSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
STDMETHODIMP BrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP BrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

// Ambient download control: pictures and styles yes, no sounds of their own
// accord, and no dialogs from the engine.
STDMETHODIMP BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                 EXCEPINFO*, UINT*) {
  if (id != DISPID_AMBIENT_DLCONTROL || !result) return DISP_E_MEMBERNOTFOUND;
  VariantClear(result);
  result->vt = VT_I4;
  result->lVal = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_SILENT | DLCTL_NO_BEHAVIORS;
  return S_OK;
}

// --- WebView --------------------------------------------------------------

bool WebView::Create(HWND container, const RECT& area) {
  Close();
  container_ = container;
  site_.SetContainer(container);
  area_ = area;
  site_.SetArea(area);
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              object_.ReceiveVoid()))) {
    return false;
  }
  controlWasCreated_ = true;
  object_->SetClientSite(static_cast<IOleClientSite*>(&site_));
  browser_ = object_.As<IWebBrowser2>(IID_IWebBrowser2);
  if (!browser_) {
    Close();
    return false;
  }
  browser_->put_Silent(VARIANT_TRUE);
  browser_->put_RegisterAsDropTarget(VARIANT_FALSE);

  RECT position = area;
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                             static_cast<IOleClientSite*>(&site_), 0, container_, &position)) ||
      !site_.WasActivatedInPlace()) {
    Close();
    return false;
  }
  inPlace_ = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);

  OwnedBstr blank(L"about:blank");
  VARIANT empty;
  VariantInit(&empty);
  if (FAILED(browser_->Navigate(blank.Get(), &empty, &empty, &empty, &empty))) {
    Close();
    return false;
  }
  return true;
}

bool WebView::DocumentComplete() const {
  if (!browser_) return false;
  ComPtr<IDispatch> document;
  if (browser_->get_Document(document.Receive()) != S_OK || !document) return false;
  auto html = document.As<IHTMLDocument2>(IID_IHTMLDocument2);
  if (!html) return false;
  OwnedBstr state;
  if (FAILED(html->get_readyState(state.Receive())) || !state.Get()) return false;
  return lstrcmpiW(state.Get(), L"complete") == 0;
}

bool WebView::Load(const std::string& bytes) {
  if (!browser_) return false;
  ComPtr<IDispatch> document;
  if (browser_->get_Document(document.Receive()) != S_OK || !document) return false;
  auto persist = document.As<IPersistStreamInit>(IID_IPersistStreamInit);
  if (!persist) return false;

  // The stream owns its HGLOBAL and frees it on its last Release.
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()))) return false;
  ULONG written = 0;
  if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) ||
      written != bytes.size()) {
    return false;
  }
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  if (FAILED(persist->InitNew())) return false;
  return SUCCEEDED(persist->Load(stream.Get()));
}

void WebView::Move(const RECT& area) {
  area_ = area;
  site_.SetArea(area);
  if (inPlace_) inPlace_->SetObjectRects(&area_, &area_);
}

void WebView::Show(bool visible) {
  if (HWND window = ControlWindow()) ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

void WebView::Focus() {
  if (!object_) return;
  RECT position = area_;
  object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(&site_), 0,
                  container_, &position);
}

HWND WebView::ControlWindow() const {
  HWND window = nullptr;
  if (inPlace_) inPlace_->GetWindow(&window);
  return window;
}

bool WebView::Contains(HWND window) const {
  HWND control = ControlWindow();
  return control && window && (window == control || IsChild(control, window));
}

bool WebView::TranslateKey(MSG* message) {
  if (!browser_) return false;
  auto active = browser_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
  return active && active->TranslateAccelerator(message) == S_OK;
}

void WebView::Close() {
  if (inPlace_) inPlace_->InPlaceDeactivate();
  inPlace_.Reset();
  browser_.Reset();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  object_.Reset();
}

}  // namespace browse
