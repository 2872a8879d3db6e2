// Creating and talking to the Rich Edit editors. The control does all the
// editing; the program only configures it and moves text in and out as
// UTF-16 (code page 1200), with paragraph ends as single CRs.

#include <windows.h>

#include <richedit.h>

#include "editor/editor.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/secure_buffer.h"
#include "base/utf.h"
#include "editor/suppress_change.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "store/settings.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace {

constexpr UINT utf16_code_page = 1200;
constexpr LONG max_text = 0x7FFFFFFE;
constexpr std::size_t max_selected_text = 1000;

LPARAM word_wrap_width(bool word_wrap) { return word_wrap ? 0 : 1; }

// The editors of all tabs, collected under a short borrow of the state so
// that messages can then be sent to them freely.
std::vector<HWND> all_editors() {
  auto state = app_state().borrow();
  return state ? state->editors() : std::vector<HWND>{};
}

}  // namespace

HWND create_editor(HWND parent, HFONT font, bool word_wrap, std::int32_t zoom) {
  SuppressChange quiet;
  HWND editor = CreateWindowExW(0, MSFTEDIT_CLASS, nullptr,
                                WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                    ES_NOHIDESEL | ES_WANTRETURN,
                                0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!editor) return nullptr;
  SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, max_text);
  SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
  const LRESULT options = SendMessageW(editor, EM_GETLANGOPTIONS, 0, 0);
  SendMessageW(editor, EM_SETLANGOPTIONS, 0, options & ~static_cast<LRESULT>(IMF_AUTOFONT));
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  apply_editor_colours(editor);
  SendMessageW(editor, EM_SETTARGETDEVICE, 0, word_wrap_width(word_wrap));
  SendMessageW(editor, EM_SETZOOM, static_cast<WPARAM>(zoom), 100);
  return editor;
}

namespace {

LRESULT text_length(HWND editor) {
  GETTEXTLENGTHEX how{GTL_PRECISE | GTL_NUMCHARS, utf16_code_page};
  const LRESULT n = SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
  return n < 0 ? 0 : n;
}

// The fewest characters the control holds for `units`: one per unit,
// except that a paragraph end written CR LF (or CR CR LF) becomes one
// character.
std::size_t least_length_held(std::wstring_view units) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < units.size(); ++count) {
    if (units.substr(i).starts_with(L"\r\r\n")) {
      i += 3;
    } else if (units.substr(i).starts_with(L"\r\n")) {
      i += 2;
    } else {
      ++i;
    }
  }
  return count;
}

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text on its way into the editor, handed over in slices of UTF-16 that
// are converted as the control asks for them: the whole text never exists
// a second time, twice as large, beside the control's own copy.
struct TextStream {
  std::string_view text;
  std::size_t at = 0;
  std::size_t least = 0;
};

// The end of the next slice of at most `room` bytes (each byte makes at
// most one unit). It never cuts a character, and never a CR from a LF
// after it (nor the two CRs of CR CR LF): the control reads each slice on
// its own and would see two paragraph ends.
std::size_t slice_end(std::string_view text, std::size_t at, std::size_t room) {
  std::size_t end = std::min(text.size(), at + room);
  if (end == text.size()) return end;
  for (int back = 0; back < 3 && end > at && is_continuation(text[end]); ++back) --end;
  std::size_t crs = 0;
  while (crs < 2 && end - crs > at && text[end - crs - 1] == '\r') ++crs;
  if (end - crs > at) end -= crs;
  return end;
}

DWORD CALLBACK stream_slice(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) noexcept {
  auto& stream = *reinterpret_cast<TextStream*>(cookie);
  const std::size_t end = slice_end(stream.text, stream.at, static_cast<std::size_t>(size) / sizeof(wchar_t));
  auto* units = reinterpret_cast<wchar_t*>(buffer);
  const std::size_t count = put_wide(stream.text.substr(stream.at, end - stream.at), units);
  stream.least += least_length_held({units, count});
  stream.at = end;
  *written = static_cast<LONG>(count * sizeof(wchar_t));
  return 0;
}

}  // namespace

Result<void> set_editor_text(HWND editor, std::string_view text) {
  constexpr const char* too_much = "The editor could not hold all of the text: it is too large, or memory ran out.";
  // A NUL ends what the control reads, so a text with one never goes in
  // whole.
  if (text.find('\0') != std::string_view::npos) return fail(too_much);
  SuppressChange quiet;
  TextStream stream{text};
  EDITSTREAM how{reinterpret_cast<DWORD_PTR>(&stream), 0, stream_slice};
  SendMessageW(editor, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&how));
  // As a whole new text: nothing to undo, the caret at the start.
  SendMessageW(editor, EM_EMPTYUNDOBUFFER, 0, 0);
  CHARRANGE start{0, 0};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
  // A control at its limit or out of memory keeps only the start of the text
  // (or none of it), and its answer does not always say so; its length does.
  if (how.dwError != 0 || stream.at < text.size() || static_cast<std::size_t>(text_length(editor)) < stream.least) {
    return fail(too_much);
  }
  return {};
}

bool editor_has_text(HWND editor) { return text_length(editor) > 0; }

std::string get_editor_text(HWND editor) {
  const auto n = static_cast<std::size_t>(text_length(editor));
  std::wstring buffer(n + 1, L'\0');
  GETTEXTEX how{};
  how.cb = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
  how.flags = GT_DEFAULT;
  how.codepage = utf16_code_page;
  const LRESULT got =
      SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(buffer.data()));
  const std::size_t count = got < 0 ? 0 : std::min(static_cast<std::size_t>(got), n);
  std::string text = to_utf8(std::wstring_view(buffer.data(), count));
  secure_wipe(buffer.data(), buffer.size() * sizeof(wchar_t));
  return text;
}

CHARRANGE get_selection(HWND editor) {
  CHARRANGE range{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void set_selection(HWND editor, CHARRANGE range) {
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageW(editor, EM_SCROLLCARET, 0, 0);
}

std::string get_selected_text(HWND editor) {
  const CHARRANGE range = get_selection(editor);
  if (range.cpMax <= range.cpMin) return {};
  const auto length = static_cast<std::size_t>(range.cpMax - range.cpMin);
  if (length > max_selected_text) return {};
  // The message is given no buffer size. The control writes paragraph ends
  // as single CRs; the room for a second unit per character only keeps a
  // control that wrote CR LF from running past the end.
  std::wstring buffer(2 * length + 1, L'\0');
  SendMessageW(editor, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()));
  return to_utf8(std::wstring_view(buffer.c_str()));
}

HFONT create_editor_font(std::string_view face, std::int32_t points, UINT dpi) {
  return CreateFontW(font_height_for(points, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     to_wide(face).c_str());
}

void apply_editor_font(HFONT font) {
  if (!font) return;
  UniqueFont previous;
  {
    auto state = app_state().borrow();
    if (!state) {
      DeleteObject(font);
      return;
    }
    previous = std::exchange(state->font, UniqueFont(font));
  }
  SuppressChange quiet;
  for (HWND editor : all_editors()) {
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    apply_editor_colours(editor);
  }
  // `previous` is deleted here, after no editor uses it any more.
}

std::int64_t current_zoom() {
  auto state = app_state().borrow();
  return state ? state->config.zoom : 100;
}

void set_zoom(std::int64_t percent) {
  const std::int32_t zoom = clamp_zoom(percent);
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return;
    state->config.zoom = zoom;
    config = state->config;
  }
  save_config(config);
  for (HWND editor : all_editors()) SendMessageW(editor, EM_SETZOOM, static_cast<WPARAM>(zoom), 100);
  refresh_title();
}

void toggle_word_wrap() {
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return;
    state->config.word_wrap = !state->config.word_wrap;
    config = state->config;
  }
  save_config(config);
  for (HWND editor : all_editors()) SendMessageW(editor, EM_SETTARGETDEVICE, 0, word_wrap_width(config.word_wrap));
}
