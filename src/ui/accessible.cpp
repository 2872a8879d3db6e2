// One small IAccessible for windows that paint their parts themselves. The
// parts are simple elements (child ids 1..n), never objects of their own.
// Every call asks the window for its view again, on the window's thread:
// calls from other processes arrive through COM in this thread's apartment,
// and a call from another thread is refused rather than let it read the
// state of the GUI thread.

#include <windows.h>

#include <oleacc.h>

#include "ui/accessible.h"

#include <new>
#include <string>

#include "base/utf.h"

namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}
constexpr IID iid_accessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

long role_of(AccessRole role) {
  switch (role) {
    case AccessRole::PageTabList:
      return ROLE_SYSTEM_PAGETABLIST;
    case AccessRole::PageTab:
      return ROLE_SYSTEM_PAGETAB;
    case AccessRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessRole::StatusBar:
      return ROLE_SYSTEM_STATUSBAR;
    case AccessRole::Pane:
      return ROLE_SYSTEM_PANE;
  }
  return ROLE_SYSTEM_CLIENT;
}

long state_of(const AccessItem& item) {
  long state = 0;
  if (item.selectable) state |= STATE_SYSTEM_SELECTABLE;
  if (item.selected) state |= STATE_SYSTEM_SELECTED;
  if (item.invisible) state |= STATE_SYSTEM_INVISIBLE;
  return state;
}

HRESULT give_string(const std::string& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  const std::wstring wide = to_wide(text);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void set_child(VARIANT* out, long id) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = id;
}

// A COM object ends in its own Release, never by a delete through the
// interface, which has no virtual destructor by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ViewAccessible final : public IAccessible {
 public:
  ViewAccessible(HWND window, DescribeWindow describe, ActOnChild act)
      : window_(window), describe_(describe), act_(act) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_accessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: the object is only reached through IAccessible's own methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_INVALIDARG;
    *parent = nullptr;
    if (const HRESULT result = usable(); FAILED(result)) return result;
    return CreateStdAccessibleObject(window_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_INVALIDARG;
    *count = 0;
    AccessView view;
    if (const HRESULT result = read(view); FAILED(result)) return result;
    *count = static_cast<long>(view.children.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const AccessItem* item = nullptr;
    AccessView view;
    const HRESULT found = find(child, view, item);
    // The parts are simple elements: the caller asks this object about them.
    return FAILED(found) ? found : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return text_of(child, name, &AccessItem::name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!value) return E_INVALIDARG;
    *value = nullptr;
    const AccessItem* item = nullptr;
    AccessView view;
    const HRESULT found = find(child, view, item);
    return FAILED(found) ? found : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return text_of(child, description, &AccessItem::description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_INVALIDARG;
    VariantInit(role);
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(child, view, item); FAILED(found)) return found;
    set_child(role, role_of(item->role));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_INVALIDARG;
    VariantInit(state);
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(child, view, item); FAILED(found)) return found;
    long flags = state_of(*item);
    if (!IsWindowVisible(window_)) flags |= STATE_SYSTEM_INVISIBLE;
    set_child(state, flags);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    if (shortcut) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_INVALIDARG;
    VariantInit(focus);
    return S_FALSE;  // the painted windows never take the focus
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_INVALIDARG;
    VariantInit(selection);
    AccessView view;
    if (const HRESULT result = read(view); FAILED(result)) return result;
    for (std::size_t i = 0; i < view.children.size(); ++i) {
      if (view.children[i].selected) {
        set_child(selection, static_cast<long>(i + 1));
        return S_OK;
      }
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return text_of(child, action, &AccessItem::default_action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_INVALIDARG;
    *left = *top = *width = *height = 0;
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(child, view, item); FAILED(found)) return found;
    RECT area{item->left, item->top, item->right, item->bottom};
    if (item == &view.self) GetClientRect(window_, &area);
    POINT origin{area.left, area.top};
    ClientToScreen(window_, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_INVALIDARG;
    VariantInit(end);
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(start, view, item); FAILED(found)) return found;
    const long count = static_cast<long>(view.children.size());
    const long from = start.vt == VT_I4 ? start.lVal : CHILDID_SELF;
    long to = 0;
    if (from == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD) to = 1;
      if (direction == NAVDIR_LASTCHILD) to = count;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) {
      to = from + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) {
      to = from - 1;
    }
    if (to < 1 || to > count) return S_FALSE;
    set_child(end, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_INVALIDARG;
    VariantInit(hit);
    AccessView view;
    if (const HRESULT result = read(view); FAILED(result)) return result;
    POINT at{x, y};
    RECT client{};
    GetClientRect(window_, &client);
    if (!ScreenToClient(window_, &at) || !PtInRect(&client, at)) return S_FALSE;
    long id = CHILDID_SELF;
    for (std::size_t i = 0; i < view.children.size(); ++i) {
      const AccessItem& c = view.children[i];
      if (!c.invisible && at.x >= c.left && at.x < c.right && at.y >= c.top && at.y < c.bottom) {
        id = static_cast<long>(i + 1);
        break;
      }
    }
    set_child(hit, id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(child, view, item); FAILED(found)) return found;
    if (item == &view.self || item->default_action.empty() || !act_) return DISP_E_MEMBERNOTFOUND;
    act_(window_, static_cast<std::size_t>(child.lVal - 1));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // Only while the window lives, and only on its own thread.
  HRESULT usable() const {
    if (!IsWindow(window_)) return CO_E_OBJNOTCONNECTED;
    return GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId() ? S_OK : RPC_E_WRONG_THREAD;
  }
  HRESULT read(AccessView& view) const {
    const HRESULT result = usable();
    if (SUCCEEDED(result)) view = describe_(window_);
    return result;
  }
  // The item a child id names: the object itself for CHILDID_SELF.
  HRESULT find(const VARIANT& child, AccessView& view, const AccessItem*& item) const {
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (const HRESULT result = read(view); FAILED(result)) return result;
    if (child.lVal == CHILDID_SELF) {
      item = &view.self;
      return S_OK;
    }
    if (child.lVal < 1 || static_cast<std::size_t>(child.lVal) > view.children.size()) return E_INVALIDARG;
    item = &view.children[static_cast<std::size_t>(child.lVal - 1)];
    return S_OK;
  }
  HRESULT text_of(const VARIANT& child, BSTR* out, std::string AccessItem::*field) const {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const AccessItem* item = nullptr;
    AccessView view;
    if (const HRESULT found = find(child, view, item); FAILED(found)) return found;
    return give_string(item->*field, out);
  }

  LONG references_ = 1;
  HWND window_;
  DescribeWindow describe_;
  ActOnChild act_;
};
#pragma GCC diagnostic pop

// The object is handed out through COM, which needs the thread in a
// single-threaded apartment: that is also what brings other processes'
// calls to this thread, through its message loop. Entered once and never
// left, for the life of the thread.
bool in_apartment() {
  thread_local const bool entered = [] {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(result);
  }();
  return entered;
}

}  // namespace

LRESULT answer_get_object(HWND window, WPARAM wparam, LPARAM lparam, DescribeWindow describe, ActOnChild act) {
  if (static_cast<LONG>(lparam) != OBJID_CLIENT || !in_apartment()) {
    return DefWindowProcW(window, WM_GETOBJECT, wparam, lparam);
  }
  auto* object = new (std::nothrow) ViewAccessible(window, describe, act);
  if (!object) return 0;
  const LRESULT result = LresultFromObject(iid_accessible, wparam, object);
  object->Release();
  return result;
}
