// What a screen reader gets from the tab strip and the status bar, asked
// in-process the way a reader asks across processes: WM_GETOBJECT through
// AccessibleObjectFromWindow, then the IAccessible it hands back.

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/strip_layout.h"
#include "editor/tab_strip.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "support.h"
#include "ui/status_bar.h"
#include "ui/window_classes.h"

namespace {

using namespace wintest;

constexpr IID iid_accessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

VARIANT child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// The IAccessible a reader gets for a window's client area.
class Accessible {
 public:
  explicit Accessible(HWND window) {
    void* object = nullptr;
    result_ = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), iid_accessible, &object);
    object_ = static_cast<IAccessible*>(object);
  }
  ~Accessible() {
    if (object_) object_->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;

  bool valid() const { return SUCCEEDED(result_) && object_; }
  long count() const {
    long n = -1;
    object_->get_accChildCount(&n);
    return n;
  }
  // The name, or "<none>" when there is none to tell.
  std::wstring name(long id) const {
    BSTR text = nullptr;
    const HRESULT result = object_->get_accName(child(id), &text);
    std::wstring out = SUCCEEDED(result) && text ? std::wstring(text) : L"<none>";
    SysFreeString(text);
    return out;
  }
  long role(long id) const { return number(&IAccessible::get_accRole, id); }
  long state(long id) const { return number(&IAccessible::get_accState, id); }
  IAccessible* operator->() const { return object_; }

 private:
  long number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) const {
    VARIANT out;
    VariantInit(&out);
    const HRESULT result = (object_->*get)(child(id), &out);
    return SUCCEEDED(result) && out.vt == VT_I4 ? out.lVal : -1;
  }

  HRESULT result_ = E_FAIL;
  IAccessible* object_ = nullptr;
};

class Accessibility : public GuiThreadTest {
 protected:
  void SetUp() override {
    GuiThreadTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    register_window_class({TAB_STRIP_CLASS, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, tab_strip_proc, false, true});
    register_window_class({STATUS_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, status_bar_proc, false, true});
    parent_ = create_test_window(L"NimbolAccessTestParent", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 {0, 0, 1100, 200});
    ASSERT_TRUE(parent_);
    strip_ = child_window(TAB_STRIP_CLASS, 0, 34);
    status_ = child_window(STATUS_BAR_CLASS, 100, 24);
    ASSERT_TRUE(strip_ && status_);

    AppState state;
    Tab notes;
    notes.path = "C:\\work\\notes.txt";
    notes.id = 1;
    notes.dirty = true;
    Tab untitled;
    untitled.untitled = 2;
    untitled.id = 2;
    untitled.eol = Eol::Lf;
    state.tabs = {notes, untitled};
    state.active = 1;
    state.tab_strip = strip_;
    state.status_bar = status_;
    install_app_state(std::move(state));
  }
  void TearDown() override {
    GuiThreadTest::TearDown();
    CoUninitialize();
  }

  HWND child_window(const wchar_t* class_name, int y, int height) const {
    return CreateWindowExW(0, class_name, nullptr, WS_CHILD | WS_VISIBLE, 0, y, 1000, height, parent_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }

  void pump() const {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  HWND parent_ = nullptr;
  HWND strip_ = nullptr;
  HWND status_ = nullptr;
};

TEST_F(Accessibility, TheStripsChildrenNameTheOpenTabsAndItsButtons) {
  const Accessible strip(strip_);
  ASSERT_TRUE(strip.valid());
  EXPECT_EQ(strip.role(CHILDID_SELF), ROLE_SYSTEM_PAGETABLIST);
  ASSERT_EQ(strip.count(), 6);
  const std::vector<std::wstring> names = {L"Main Menu",  L"notes.txt", L"Close Tab",
                                           L"Untitled 2", L"Close Tab", L"New Tab"};
  const std::vector<long> roles = {ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_PAGETAB,    ROLE_SYSTEM_PUSHBUTTON,
                                   ROLE_SYSTEM_PAGETAB,    ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_PUSHBUTTON};
  for (long id = 1; id <= 6; ++id) {
    EXPECT_EQ(strip.name(id), names[id - 1]) << id;
    EXPECT_EQ(strip.role(id), roles[id - 1]) << id;
  }
  EXPECT_EQ(strip.state(4) & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED) << "the active tab";
  EXPECT_EQ(strip.state(2) & STATE_SYSTEM_SELECTED, 0);

  // Where the first tab is painted, in screen pixels, and what is found there.
  long left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(strip->accLocation(&left, &top, &width, &height, child(2)), S_OK);
  const StripLayout layout = strip_layout(1000, 34, GetDpiForWindow(strip_) ? GetDpiForWindow(strip_) : 96, 2);
  POINT origin{layout.tab(0).left, 0};
  ClientToScreen(strip_, &origin);
  EXPECT_EQ(left, origin.x);
  EXPECT_EQ(width, layout.tab(0).width());
  VARIANT hit;
  VariantInit(&hit);
  ASSERT_EQ(strip->accHitTest(left + 2, top + 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 2);

  // Used through the reader, a tab becomes the active one, as a click makes it.
  ASSERT_EQ(strip->accDoDefaultAction(child(2)), S_OK);
  pump();
  EXPECT_EQ(app_state().borrow()->active, 0u);
  EXPECT_EQ(strip.state(2) & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED);
}

TEST_F(Accessibility, TheStatusBarIsNamedByItsTextsAndNothingIsToldWhileCovered) {
  {
    const Accessible status(status_);
    ASSERT_TRUE(status.valid());
    EXPECT_EQ(status.role(CHILDID_SELF), ROLE_SYSTEM_STATUSBAR);
    EXPECT_EQ(status.name(CHILDID_SELF), L"Ln 1, Col 1      100%      Unix (LF)      UTF-8");
  }

  veil_state().veiled = true;
  const Accessible strip(strip_);
  const Accessible status(status_);
  ASSERT_TRUE(strip.valid() && status.valid());
  EXPECT_EQ(strip.count(), 0);
  for (long id = 1; id <= 6; ++id) EXPECT_EQ(strip.name(id), L"<none>") << id;
  EXPECT_NE(strip.state(CHILDID_SELF) & STATE_SYSTEM_INVISIBLE, 0);
  EXPECT_EQ(strip->accDoDefaultAction(child(2)), E_INVALIDARG);
  EXPECT_EQ(status.name(CHILDID_SELF), L"<none>");
  EXPECT_NE(status.state(CHILDID_SELF) & STATE_SYSTEM_INVISIBLE, 0);

  // A reader's request posted before the cover does nothing after it.
  veil_state().veiled = false;
  ASSERT_EQ(strip->accDoDefaultAction(child(2)), S_OK);
  veil_state().veiled = true;
  pump();
  EXPECT_EQ(app_state().borrow()->active, 1u);
}

}  // namespace
