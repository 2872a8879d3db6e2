// Moving text into and out of a Rich Edit control as UTF-16 (code page
// 1200), with paragraph ends as single CRs, and reading and setting its
// selection. Nothing here knows about tabs: the store, find, printing and
// the clipboard use it on any editor they are given.

#include <windows.h>

#include <richedit.h>

#include "text/editor_text.h"

#include <algorithm>
#include <string>

#include "base/secure_buffer.h"
#include "base/utf.h"
#include "model/suppress_change.h"

namespace {

constexpr UINT utf16_code_page = 1200;
constexpr std::size_t max_selected_text = 1000;

}  // namespace

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

namespace {

constexpr const char* too_much = "The editor could not hold all of the text: it is too large, or memory ran out.";

// Streams `text` into the editor with `format` (the whole text, or with
// SFF_SELECTION in place of the selection); how much went in.
TextStream stream_in(HWND editor, std::string_view text, WPARAM format, DWORD& error) {
  TextStream stream{text};
  EDITSTREAM how{reinterpret_cast<DWORD_PTR>(&stream), 0, stream_slice};
  SendMessageW(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&how));
  error = how.dwError;
  return stream;
}

}  // namespace

Result<void> set_editor_text(HWND editor, std::string_view text) {
  // A NUL ends what the control reads, so a text with one never goes in
  // whole.
  if (text.find('\0') != std::string_view::npos) return fail(too_much);
  SuppressChange quiet;
  DWORD error = 0;
  const TextStream stream = stream_in(editor, text, SF_TEXT | SF_UNICODE, error);
  // As a whole new text: nothing to undo, the caret at the start.
  SendMessageW(editor, EM_EMPTYUNDOBUFFER, 0, 0);
  CHARRANGE start{0, 0};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
  // A control at its limit or out of memory keeps only the start of the text
  // (or none of it), and its answer does not always say so; its length does.
  if (error != 0 || stream.at < text.size() || static_cast<std::size_t>(text_length(editor)) < stream.least) {
    return fail(too_much);
  }
  return {};
}

Result<void> replace_whole_text(HWND editor, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return fail(too_much);
  // Streamed in place of a selection of everything, as an edit: the control
  // records it as one step to undo and reports the change. One message with
  // the whole text would cost Wine's control time that grows with the
  // square of the text's size.
  CHARRANGE everything{0, -1};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&everything));
  DWORD error = 0;
  const TextStream stream = stream_in(editor, text, SF_TEXT | SF_UNICODE | SFF_SELECTION, error);
  SendMessageW(editor, EM_SCROLLCARET, 0, 0);
  if (error != 0 || stream.at < text.size() || static_cast<std::size_t>(text_length(editor)) < stream.least) {
    return fail(too_much);
  }
  return {};
}

bool editor_has_text(HWND editor) { return text_length(editor) > 0; }

std::string get_editor_text(HWND editor) {
  const auto n = static_cast<std::size_t>(text_length(editor));
  // Wiped however this ends, also when memory runs out for the conversion.
  Wiped<std::wstring> buffer(std::wstring(n + 1, L'\0'));
  GETTEXTEX how{};
  how.cb = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
  how.flags = GT_DEFAULT;
  how.codepage = utf16_code_page;
  const LRESULT got =
      SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(buffer->data()));
  const std::size_t count = got < 0 ? 0 : std::min(static_cast<std::size_t>(got), n);
  return to_utf8(std::wstring_view(buffer->data(), count));
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
  Wiped<std::wstring> buffer(std::wstring(2 * length + 1, L'\0'));
  SendMessageW(editor, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer->data()));
  return to_utf8(std::wstring_view(buffer->c_str()));
}
