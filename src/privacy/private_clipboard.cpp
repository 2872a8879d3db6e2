#include <windows.h>

#include <richedit.h>

#include "privacy/private_clipboard.h"

#include <array>
#include <cstring>
#include <string>

#include "base/secure_buffer.h"
#include "base/utf.h"
#include "model/app_state.h"
#include "text/text_codec.h"

namespace {

constexpr int clipboard_attempts = 10;
constexpr DWORD clipboard_retry_ms = 20;

// Each tells one kind of clipboard reader to leave the text alone.
constexpr std::array<const wchar_t*, 3> privacy_formats = {
    L"ExcludeClipboardContentFromMonitorProcessing",
    L"CanIncludeInClipboardHistory",
    L"CanUploadToCloudClipboard",
};

// Another program may hold the clipboard for a moment; after about 200 ms
// the copy gives up.
bool open_clipboard(HWND owner) {
  for (int attempt = 0; attempt < clipboard_attempts; ++attempt) {
    if (attempt > 0) Sleep(clipboard_retry_ms);
    if (OpenClipboard(owner)) return true;
  }
  return false;
}

// The clipboard owns the block once SetClipboardData took it.
bool put(UINT format, const void* data, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) {
    GlobalFree(block);
    return false;
  }
  return true;
}

std::wstring selected_text(HWND editor, const CHARRANGE& range) {
  std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
  const LRESULT copied = SendMessageW(editor, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace

void copy_private(HWND editor, bool cut) {
  CHARRANGE range{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMax <= range.cpMin) return;

  std::wstring selection = selected_text(editor, range);
  std::string utf8 = to_utf8(selection);
  std::string crlf = convert_line_ends(utf8, Eol::CrLf);
  std::wstring text = to_wide(crlf);
  wipe_contents(selection);
  wipe_contents(utf8);
  wipe_contents(crlf);

  HWND owner = frame_window();
  bool complete = false;
  if (open_clipboard(owner)) {
    complete = EmptyClipboard() != FALSE;
    complete = put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)) && complete;
    const DWORD zero = 0;
    for (const wchar_t* name : privacy_formats) {
      // A format Windows will not register is skipped, not a failure.
      if (const UINT format = RegisterClipboardFormatW(name)) complete = put(format, &zero, sizeof zero) && complete;
    }
    CloseClipboard();
  }
  wipe_contents(text);
  if (cut && complete) SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}
