// Copying and cutting keep the text out of clipboard history: what lands on
// the clipboard, in which order, and that a cut never loses text the
// clipboard did not take.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "e2e/driver.h"

namespace {

using namespace e2e;

const wchar_t* const markers[] = {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                  L"CanUploadToCloudClipboard"};

struct Clipboard {
  std::vector<UINT> formats;  // the text and the three markers, in clipboard order
  std::wstring text;
  std::vector<std::string> marker_bytes;  // in the order of `markers`
};

bool open_clipboard() {
  return eventually([] { return OpenClipboard(nullptr) != FALSE; }, 5s);
}

Clipboard read_clipboard() {
  Clipboard read;
  if (!open_clipboard()) return read;
  std::vector<UINT> wanted = {CF_UNICODETEXT};
  for (const wchar_t* name : markers) wanted.push_back(RegisterClipboardFormatW(name));
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    if (std::find(wanted.begin(), wanted.end(), f) != wanted.end()) read.formats.push_back(f);
  }
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      read.text = text;
      GlobalUnlock(data);
    }
  }
  for (std::size_t i = 1; i < wanted.size(); ++i) {
    std::string bytes;
    if (HANDLE data = GetClipboardData(wanted[i])) {
      if (const auto* p = static_cast<const char*>(GlobalLock(data))) {
        bytes.assign(p, std::min<SIZE_T>(GlobalSize(data), 16));
        GlobalUnlock(data);
      }
    }
    read.marker_bytes.push_back(bytes);
  }
  CloseClipboard();
  return read;
}

void put_on_clipboard(std::wstring_view text) {
  ASSERT_TRUE(open_clipboard());
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* p = static_cast<wchar_t*>(GlobalLock(block));
  std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
  p[text.size()] = 0;
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

std::vector<UINT> private_order() {
  std::vector<UINT> order = {CF_UNICODETEXT};
  for (const wchar_t* name : markers) order.push_back(RegisterClipboardFormatW(name));
  return order;
}

// The selection, read with the one form of the message that needs no memory
// of the caller's.
std::pair<int, int> selection(const Window& editor) {
  const auto packed = static_cast<DWORD>(editor.send(EM_GETSEL));
  return {LOWORD(packed), HIWORD(packed)};
}

std::wstring text_of(const App& app) { return app.editor_text(app.active_editor()); }

TEST(PrivateClipboard, CopyPutsCrLfTextAndTheThreeMarkersAndNothingWithoutASelection) {
  App app;
  app.type(L"a\rb");
  ASSERT_TRUE(eventually([&] { return text_of(app) == L"a\rb"; }));
  put_on_clipboard(L"before");

  // No selection: the clipboard keeps what it had. The typed key after it
  // shows that the copy key was handled.
  app.press('C', ctrl);
  app.type(L"c");
  ASSERT_TRUE(eventually([&] { return text_of(app) == L"a\rbc"; }));
  EXPECT_EQ(read_clipboard().text, L"before");

  struct Case {
    const char* what;
    std::function<void()> copy;
  } cases[] = {
      {"Ctrl+C", [&] { app.press('C', ctrl); }},
      {"Ctrl+Insert", [&] { app.press(VK_INSERT, ctrl); }},
      {"the Copy command", [&] { app.command(113); }},
  };
  for (const Case& c : cases) {
    put_on_clipboard(L"before");
    app.press('A', ctrl);
    ASSERT_TRUE(eventually([&] { return selection(app.active_editor()).second >= 4; })) << c.what;
    c.copy();
    ASSERT_TRUE(eventually([&] { return read_clipboard().text == L"a\r\nbc"; })) << c.what;
    const Clipboard read = read_clipboard();
    EXPECT_EQ(read.formats, private_order()) << c.what;
    EXPECT_EQ(read.marker_bytes, std::vector<std::string>(3, std::string(4, '\0'))) << c.what;
    EXPECT_EQ(text_of(app), L"a\rbc") << c.what;
  }
}

TEST(PrivateClipboard, ACutRemovesTheTextOnlyWhenTheClipboardTookItAndUndoBringsItBack) {
  App app;
  app.type(L"a\rb");
  ASSERT_TRUE(eventually([&] { return text_of(app) == L"a\rb"; }));

  // Another program holds the clipboard for longer than the program waits.
  put_on_clipboard(L"before");
  ASSERT_TRUE(open_clipboard());
  app.press('A', ctrl);
  app.press('X', ctrl);
  app.press(VK_DELETE, shift);
  // Ctrl+Home after them puts the caret at the start: once that shows, both
  // cuts were handled, and neither removed anything. (A key that leaves the
  // caret at the end would prove nothing: it was there before these keys.)
  app.press(VK_HOME, ctrl);
  const bool handled = eventually([&] { return selection(app.active_editor()) == std::pair(0, 0); });
  CloseClipboard();
  ASSERT_TRUE(handled);
  EXPECT_EQ(text_of(app), L"a\rb");
  EXPECT_EQ(read_clipboard().text, L"before");

  struct Case {
    const char* what;
    std::function<void()> cut;
  } cases[] = {
      {"Ctrl+X", [&] { app.press('X', ctrl); }},
      {"Shift+Delete", [&] { app.press(VK_DELETE, shift); }},
      {"the Cut command", [&] { app.command(112); }},
  };
  for (const Case& c : cases) {
    put_on_clipboard(L"before");
    app.press('A', ctrl);
    ASSERT_TRUE(eventually([&] { return selection(app.active_editor()).second >= 3; })) << c.what;
    c.cut();
    ASSERT_TRUE(eventually([&] { return text_of(app).empty(); })) << c.what;
    const Clipboard read = read_clipboard();
    EXPECT_EQ(read.text, L"a\r\nb") << c.what;
    EXPECT_EQ(read.formats, private_order()) << c.what;
    app.press('Z', ctrl);
    EXPECT_TRUE(eventually([&] { return text_of(app) == L"a\rb"; })) << c.what;
  }
}

constexpr int find_field_id = 5001;
constexpr int replace_field_id = 5007;

// Pop-up menus are windows of this system class while they are open.
bool menu_open(const App& app) {
  for (const Window& menu : app.top_level_windows(L"#32768")) {
    if (menu.visible()) return true;
  }
  return false;
}

// The clipboard holds exactly this text, put there by the private copy.
void expect_private(const std::wstring& text, const char* what) {
  ASSERT_TRUE(eventually([&] { return read_clipboard().text == text; })) << what;
  const Clipboard read = read_clipboard();
  EXPECT_EQ(read.formats, private_order()) << what;
  EXPECT_EQ(read.marker_bytes, std::vector<std::string>(3, std::string(4, '\0'))) << what;
}

// The find and replace fields hold text taken from the document, and the
// editor's own copy can be reached by more than the keys the main loop sees:
// each way out is caught where the control copies.
TEST(PrivateClipboard, EveryWayTextLeavesAControlForTheClipboardIsThePrivateCopy) {
  App app;
  app.type(L"a\rb");
  ASSERT_TRUE(eventually([&] { return text_of(app) == L"a\rb"; }));
  app.press('H', ctrl);
  const Window bar = app.frame().child(L"NimbolFindBar");
  ASSERT_TRUE(eventually([&] { return bar.visible(); }));
  const Window find(GetDlgItem(bar.hwnd(), find_field_id));
  const Window replace(GetDlgItem(bar.hwnd(), replace_field_id));

  struct Way {
    const char* what;
    bool cut;
    std::function<void(const Window& field)> take;
  };
  const auto menu_item = [&](const Window& field, WORD letter) {
    field.post(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field.hwnd()), MAKELPARAM(-1, -1));
    ASSERT_TRUE(eventually([&] { return menu_open(app); }));
    app.press(letter);
  };
  const Way ways[] = {
      {"Ctrl+C", false, [&](const Window&) { app.press('C', ctrl); }},
      {"Ctrl+Insert", false, [&](const Window&) { app.press(VK_INSERT, ctrl); }},
      {"Ctrl+X", true, [&](const Window&) { app.press('X', ctrl); }},
      {"Shift+Delete", true, [&](const Window&) { app.press(VK_DELETE, shift); }},
      {"its menu's Copy", false, [&](const Window& field) { menu_item(field, 'C'); }},
      {"its menu's Cut", true, [&](const Window& field) { menu_item(field, 'T'); }},
  };
  struct Field {
    const char* name;
    const Window& window;
    WORD mnemonic;
  };
  for (const Field& field : {Field{"find field", find, 'F'}, Field{"replace field", replace, 'E'}}) {
    for (const Way& way : ways) {
      const std::string what = std::string(field.name) + ", " + way.what;
      put_on_clipboard(L"before");
      field.window.send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"needle"));
      // Alt and the label's letter: the field takes the focus, its text selected.
      app.press(field.mnemonic, alt);
      ASSERT_TRUE(eventually([&] { return selection(field.window) == std::pair(0, 6); })) << what;
      way.take(field.window);
      expect_private(L"needle", what.c_str());
      EXPECT_TRUE(eventually([&] { return field.window.text() == (way.cut ? L"" : L"needle"); })) << what;
    }
  }

  // The editor's context menu: Undo, Redo, then Cut and Copy.
  app.press(VK_ESCAPE);
  ASSERT_TRUE(eventually([&] { return !bar.visible(); }));
  const Window editor = app.active_editor();
  put_on_clipboard(L"before");
  editor.send(EM_SETSEL, 0, -1);
  editor.post(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor.hwnd()), MAKELPARAM(-1, -1));
  ASSERT_TRUE(eventually([&] { return menu_open(app); }));
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) app.press(key);
  expect_private(L"a\r\nb", "the editor's menu");

  // A message box of the program runs a loop of its own, and the frame
  // stays usable beside it (the box belongs to Privacy Settings).
  app.command(128);
  const Window settings = app.wait_for_window(L"NimbolSettingsWnd");
  ASSERT_TRUE(settings);
  Window(GetDlgItem(settings.hwnd(), 3007)).send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  settings.post(WM_COMMAND, 3020);
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  put_on_clipboard(L"before");
  // Back in the frame (the keys bring it to the front), the focus returns
  // to the editor, while the box waits on in its own loop.
  editor.send(EM_SETSEL, 0, -1);
  app.press('C', ctrl);
  expect_private(L"a\r\nb", "Ctrl+C in the editor with a message box open");
  EXPECT_TRUE(box) << "the box was open all along";
  app.choose(box, L"OK");
  EXPECT_TRUE(eventually([&] { return !box; }));
}

// With clearing on, the program's copy leaves the clipboard after the
// seconds; anything copied after it by someone else stays, also when the
// program ends.
TEST(PrivateClipboard, APrivateCopyIsTakenOffTheClipboardAfterTheSetSecondsButNothingCopiedLater) {
  const auto copy_all = [](const App& app) {
    app.press('A', ctrl);
    ASSERT_TRUE(eventually([&] { return selection(app.active_editor()).second >= 3; }));
    put_on_clipboard(L"before");
    app.press('C', ctrl);
    ASSERT_TRUE(eventually([&] { return read_clipboard().text == L"a\r\nb"; }));
  };
  {
    App app({.config = R"({"clipboard_clear_seconds": 1})"});
    app.type(L"a\rb");
    copy_all(app);
    EXPECT_TRUE(eventually([&] { return read_clipboard().formats.empty(); })) << "gone after a second";
  }
  {
    // Idle hiding after 3 seconds is the barrier: the program covers the
    // text from its timer two seconds after the copy was due to go, so by
    // then it has looked at the clipboard.
    App app({.config = R"({"clipboard_clear_seconds": 1, "idle_seconds": 3})"});
    app.type(L"a\rb");
    copy_all(app);
    put_on_clipboard(L"copied elsewhere");
    ASSERT_TRUE(eventually([&] { return app.veil().visible(); }));
    EXPECT_EQ(read_clipboard().text, L"copied elsewhere");
    app.close();
    ASSERT_EQ(app.wait_exit(), 0u);
    EXPECT_EQ(read_clipboard().text, L"copied elsewhere") << "the check at the end leaves it too";
  }
  {
    // An hour is far away: the copy goes when the program ends.
    App app({.config = R"({"clipboard_clear_seconds": 3600})"});
    app.type(L"a\rb");
    copy_all(app);
    app.close();
    ASSERT_EQ(app.wait_exit(), 0u);
    EXPECT_TRUE(read_clipboard().formats.empty());
  }
  {
    // Clearing off: the copy outlives the program.
    App app;
    app.type(L"a\rb");
    copy_all(app);
    app.close();
    ASSERT_EQ(app.wait_exit(), 0u);
    EXPECT_EQ(read_clipboard().text, L"a\r\nb");
  }
}

}  // namespace
