#pragma once
// The WebBrowser control hosted in a window of ours (see web_view.cpp).

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>
#include <docobj.h>

#include <string>

#include "browse/com_ptr.h"

namespace browse {

// The one COM object the control talks back to: client site, in-place site
// and frame, UI handler (flags, keys, no context menu), command target
// (script errors) and ambient properties. It lives inside its WebView, so
// its references are only counted; the WebView checks they all came back.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler,
                          public IOleCommandTarget,
                          public IDispatch {
 public:
  BrowserSite() noexcept = default;
  BrowserSite(const BrowserSite&) = delete;
  BrowserSite& operator=(const BrowserSite&) = delete;

  void SetContainer(HWND container) noexcept { container_ = container; }
  void SetArea(const RECT& area) noexcept { area_ = area; }
  bool WasActivatedInPlace() const noexcept { return activatedInPlace_; }
  long References() const noexcept { return references_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow (shared by the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // IOleInPlaceUIWindow / IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, WORD id) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* where, IUnknown* target,
                               IDispatch* object) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                            BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD id) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* proposed, IDropTarget** target) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
  STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** filtered) override;

  // IOleCommandTarget
  STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[],
                           OLECMDTEXT* text) override;
  STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in,
                    VARIANT* out) override;

  // IDispatch (ambient properties)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

 private:
  HWND container_ = nullptr;
  RECT area_ = {};
  long references_ = 0;
  bool activatedInPlace_ = false;
};

// One WebBrowser control inside a container window: created, activated in
// place, loaded from bytes, asked whether its document is complete, and torn
// down completely before the container goes away.
class WebView {
 public:
  WebView() noexcept = default;
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;
  ~WebView() { Close(); }

  // Creates the control in `container`, activates it in place over `area`
  // and starts an empty document. False when the control can't be had or
  // won't activate.
  bool Create(HWND container, const RECT& area);
  // Whether the control object came into being, and whether it then
  // activated in place, even if it has been closed since.
  bool ControlWasCreated() const noexcept { return controlWasCreated_; }
  bool ActivatedInPlace() const noexcept { return site_.WasActivatedInPlace(); }

  // A document exists and its readyState is "complete".
  bool DocumentComplete() const;
  // Replaces the document with a page read from `bytes`.
  bool Load(const std::string& bytes);

  void Move(const RECT& area);
  void Show(bool visible);
  // Gives the page the keyboard focus (UI activation).
  void Focus();
  // Whether `window` is the control's window or inside it.
  bool Contains(HWND window) const;
  // Lets the page handle a key first (Tab, Ctrl+C, Ctrl+A...). True when it did.
  bool TranslateKey(MSG* message);

  // Deactivates, closes and releases the control; afterwards the site holds
  // no references.
  void Close();
  long SiteReferencesLeft() const noexcept { return site_.References(); }

 private:
  HWND ControlWindow() const;

  BrowserSite site_;
  HWND container_ = nullptr;
  RECT area_ = {};
  ComPtr<IOleObject> object_;
  ComPtr<IWebBrowser2> browser_;
  ComPtr<IOleInPlaceObject> inPlace_;
  bool controlWasCreated_ = false;
};

}  // namespace browse
