// Copying and cutting keep the text out of clipboard history: what lands on
// the clipboard, in which order, and that a cut never loses text the
// clipboard did not take.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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

}  // namespace
