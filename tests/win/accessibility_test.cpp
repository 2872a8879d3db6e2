// What a screen reader gets from the tab strip and the status bar, asked
// in-process the way a reader asks across processes: WM_GETOBJECT through
// AccessibleObjectFromWindow, then the IAccessible it hands back.

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/strip_layout.h"
#include "editor/tab_strip.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "privacy/veil.h"
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

struct Released {
  void operator()(IAccessible* object) const { object->Release(); }
};
using Accessible = std::unique_ptr<IAccessible, Released>;

Accessible accessible(HWND window) {
  void* object = nullptr;
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), iid_accessible, &object);
  return Accessible(static_cast<IAccessible*>(object));
}

// A name, or "-" when there is none to tell.
std::wstring name(const Accessible& object, long id) {
  BSTR text = nullptr;
  const bool told = SUCCEEDED(object->get_accName(child(id), &text)) && text;
  std::wstring out = told ? std::wstring(text) : L"-";
  SysFreeString(text);
  return out;
}

long number(const Accessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
  VARIANT out;
  VariantInit(&out);
  return SUCCEEDED((object.get()->*get)(child(id), &out)) && out.vt == VT_I4 ? out.lVal : -1;
}

class Accessibility : public GuiThreadTest {
 protected:
  void SetUp() override {
    GuiThreadTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    register_window_class({TAB_STRIP_CLASS, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, tab_strip_proc, false, true});
    register_window_class({STATUS_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, status_bar_proc, false, true});
    HWND parent = create_test_window(L"NimbolAccessTestParent", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     {0, 0, 1100, 200});
    auto make = [&](const wchar_t* name, int y, int height) {
      return CreateWindowExW(0, name, nullptr, WS_CHILD | WS_VISIBLE, 0, y, 1000, height, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    };
    strip_ = make(TAB_STRIP_CLASS, 0, 34);
    status_ = make(STATUS_BAR_CLASS, 100, 24);
    ASSERT_TRUE(strip_ && status_);
    AppState state;
    state.tabs.resize(2);
    state.tabs[0].path = "C:\\work\\notes.txt";
    state.tabs[0].dirty = true;
    state.tabs[1].untitled = 2;
    state.tabs[1].eol = Eol::Lf;
    state.active = 1;
    state.tab_strip = strip_;
    state.status_bar = status_;
    install_app_state(std::move(state));
  }
  void TearDown() override {
    GuiThreadTest::TearDown();
    CoUninitialize();
  }

  std::size_t active_after_pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return app_state().borrow()->active;
  }

  HWND strip_ = nullptr;
  HWND status_ = nullptr;
};

TEST_F(Accessibility, TheStripNamesTheOpenTabsAndTheStatusBarItsTexts) {
  const Accessible strip = accessible(strip_);
  ASSERT_TRUE(strip);
  EXPECT_EQ(number(strip, &IAccessible::get_accRole, CHILDID_SELF), ROLE_SYSTEM_PAGETABLIST);
  long count = 0;
  ASSERT_EQ(strip->get_accChildCount(&count), S_OK);
  std::vector<std::wstring> names;
  for (long id = 1; id <= count; ++id) names.push_back(name(strip, id));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Main Menu", L"notes.txt", L"Close Tab", L"Untitled 2", L"Close Tab",
                                              L"New Tab"}));
  EXPECT_EQ(number(strip, &IAccessible::get_accRole, 2), ROLE_SYSTEM_PAGETAB);
  EXPECT_EQ(number(strip, &IAccessible::get_accState, 4) & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED);

  // Where the first tab is painted, on the screen, and what is found there.
  long left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(strip->accLocation(&left, &top, &width, &height, child(2)), S_OK);
  const UINT dpi = GetDpiForWindow(strip_);
  const EdgeRect tab = strip_layout(1000, 34, dpi ? dpi : 96, 2).tab(0);
  POINT origin{tab.left, 0};
  ClientToScreen(strip_, &origin);
  EXPECT_EQ(std::vector<long>({left, top, width}), std::vector<long>({origin.x, origin.y, tab.width()}));
  VARIANT hit;
  ASSERT_EQ(strip->accHitTest(left + 2, top + 2, &hit), S_OK);
  EXPECT_EQ(hit.lVal, 2);
  // Used through the reader, a tab becomes the active one, as a click makes it.
  ASSERT_EQ(strip->accDoDefaultAction(child(2)), S_OK);
  EXPECT_EQ(active_after_pump(), 0u);

  const Accessible status = accessible(status_);
  ASSERT_TRUE(status);
  EXPECT_EQ(number(status, &IAccessible::get_accRole, CHILDID_SELF), ROLE_SYSTEM_STATUSBAR);
  EXPECT_EQ(name(status, CHILDID_SELF), L"Ln 1, Col 1      100%      Windows (CRLF)      UTF-8");

  // A reader may keep the object after the window is gone.
  DestroyWindow(strip_);
  EXPECT_EQ(strip->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
}

TEST_F(Accessibility, NothingIsToldOrDoneWhileTheTextIsCovered) {
  const Accessible strip = accessible(strip_);
  ASSERT_TRUE(strip);
  // A reader's request from before the cover does nothing after it.
  ASSERT_EQ(strip->accDoDefaultAction(child(2)), S_OK);
  veil_state().veiled = true;
  EXPECT_EQ(active_after_pump(), 1u);

  const Accessible status = accessible(status_);
  long count = -1;
  EXPECT_EQ(strip->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  for (long id = 1; id <= 6; ++id) EXPECT_EQ(name(strip, id), L"-") << id;
  EXPECT_EQ(strip->accDoDefaultAction(child(2)), E_INVALIDARG);
  EXPECT_EQ(name(status, CHILDID_SELF), L"-");
  for (const Accessible* object : {&strip, &status}) {
    EXPECT_NE(number(*object, &IAccessible::get_accState, CHILDID_SELF) & STATE_SYSTEM_INVISIBLE, 0);
  }
  // The veil tells its hint, and nothing else.
  register_window_class({VEIL_CLASS, CS_HREDRAW | CS_VREDRAW, veil_proc, false, true});
  const Accessible veil = accessible(CreateWindowExW(0, VEIL_CLASS, nullptr, WS_CHILD, 0, 0, 100, 100,
                                                     GetParent(strip_), nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(veil);
  EXPECT_EQ(name(veil, CHILDID_SELF), L"Click or press a key to show");
  count = -1;
  EXPECT_EQ(veil->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);
}

}  // namespace
