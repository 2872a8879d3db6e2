#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "privacy/private_clipboard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "base/secure_buffer.h"
#include "base/utf.h"
#include "model/app_state.h"
#include "model/veil_state.h"
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

// The clipboard owns the block once SetClipboardData took it; a block it
// refused held the text, so it is wiped before it is freed.
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
    if (void* held = GlobalLock(block)) {
      secure_wipe(held, size);
      GlobalUnlock(block);
    }
    GlobalFree(block);
    return false;
  }
  return true;
}

bool is_rich_edit(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  return _wcsicmp(name, MSFTEDIT_CLASS) == 0;
}

// The selected text of an editor (paragraph ends as CR) or of an edit field
// (line ends as they are); empty when nothing is selected.
std::wstring selected_text(HWND control) {
  if (is_rich_edit(control)) {
    CHARRANGE range{};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMax <= range.cpMin) return {};
    Wiped<std::wstring> text(std::wstring(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0'));
    const LRESULT copied = SendMessageW(control, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text->data()));
    text->resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return std::move(*text);
  }
  DWORD start = 0, end = 0;
  SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end <= start) return {};
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  Wiped<std::wstring> whole(std::wstring(static_cast<std::size_t>(length) + 1, L'\0'));
  const int got = GetWindowTextW(control, whole->data(), length + 1);
  const std::size_t size = got > 0 ? static_cast<std::size_t>(got) : 0;
  if (start >= size) return {};
  return whole->substr(start, std::min<std::size_t>(end, size) - start);
}

// The last private copy that is to leave the clipboard by itself: the
// clipboard's sequence number right after it, so that anything copied
// since (by anyone) is never touched.
struct PendingClear {
  DWORD sequence = 0;
  UINT_PTR timer = 0;
};
std::optional<PendingClear> pending;

std::uint32_t clear_seconds() {
  auto state = app_state().borrow();
  return state ? state->config.clipboard_clear_seconds : 0;
}

void forget_pending() {
  if (pending && pending->timer) KillTimer(nullptr, pending->timer);
  pending.reset();
}

// Empties the clipboard if it still holds the copy of `sequence`; the
// number is compared again while the clipboard is open, so a copy made by
// another program a moment before is safe too.
void clear_if_still_ours(DWORD sequence) {
  if (GetClipboardSequenceNumber() != sequence) return;
  if (!open_clipboard(nullptr)) return;
  if (GetClipboardSequenceNumber() == sequence) EmptyClipboard();
  CloseClipboard();
}

void CALLBACK on_clear_timer(HWND, UINT, UINT_PTR, DWORD) noexcept {
  if (!pending) return;
  const DWORD sequence = pending->sequence;
  forget_pending();
  clear_if_still_ours(sequence);
}

void arm_clear(std::uint32_t seconds) {
  forget_pending();
  if (seconds == 0) return;
  // A thread timer (no window): it runs in whichever loop is active, a
  // message box's or a menu's too.
  const UINT ms = static_cast<UINT>(std::min<std::uint64_t>(std::uint64_t{seconds} * 1000, USER_TIMER_MAXIMUM));
  pending = PendingClear{GetClipboardSequenceNumber(), 0};
  pending->timer = SetTimer(nullptr, 0, ms, on_clear_timer);
}

// Copy and cut chords in a control: Ctrl+C and Ctrl+Insert copy; Ctrl+X and
// Shift+Delete cut; the other modifiers up.
std::optional<bool> clipboard_chord(WPARAM key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (alt) return std::nullopt;
  if (ctrl && !shift && (key == 'C' || key == VK_INSERT)) return false;
  if (ctrl && !shift && key == 'X') return true;
  if (shift && !ctrl && key == VK_DELETE) return true;
  return std::nullopt;
}

constexpr WPARAM ctrl_c = 0x03;
constexpr WPARAM ctrl_x = 0x18;

LRESULT CALLBACK private_copy_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                   DWORD_PTR) noexcept {
  switch (message) {
    case WM_COPY:
    case WM_CUT:
      copy_private(control, message == WM_CUT);
      return 0;
    case WM_KEYDOWN:
      if (const std::optional<bool> cut = clipboard_chord(wparam)) {
        copy_private(control, *cut);
        return 0;
      }
      break;
    case WM_CHAR:
      // The character that Ctrl+C or Ctrl+X also makes: the key was handled
      // above, and an edit field would copy a second time.
      if ((wparam == ctrl_c || wparam == ctrl_x) && GetKeyState(VK_CONTROL) < 0) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, private_copy_proc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

void copy_private(HWND control, bool cut) {
  // Covered text is not the user's to take, whoever asks.
  if (veiled()) return;
  Wiped<std::wstring> selection(selected_text(control));
  if (selection->empty()) return;
  Wiped<std::wstring> text;
  {
    const Wiped<std::string> utf8(to_utf8(*selection));
    const Wiped<std::string> crlf(convert_line_ends(*utf8, Eol::CrLf));
    *text = to_wide(*crlf);
  }

  HWND owner = frame_window();
  bool complete = false;
  if (open_clipboard(owner)) {
    complete = EmptyClipboard() != FALSE;
    complete = put(CF_UNICODETEXT, text->c_str(), (text->size() + 1) * sizeof(wchar_t)) && complete;
    const DWORD zero = 0;
    for (const wchar_t* name : privacy_formats) {
      // A format Windows will not register is skipped, not a failure.
      if (const UINT format = RegisterClipboardFormatW(name)) complete = put(format, &zero, sizeof zero) && complete;
    }
    CloseClipboard();
    arm_clear(clear_seconds());
  }
  if (cut && complete) SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void keep_copies_private(HWND control) {
  static constexpr UINT_PTR subclass_id = 1;
  if (control) SetWindowSubclass(control, private_copy_proc, subclass_id, 0);
}

void clear_private_copy_at_exit() {
  if (!pending) return;
  const DWORD sequence = pending->sequence;
  forget_pending();
  clear_if_still_ours(sequence);
}
