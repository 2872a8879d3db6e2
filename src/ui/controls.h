#pragma once
// The machinery behind every window of the program that has plain controls:
// building the window and its controls from a ControlSpec list, the dialog
// fonts, text measuring, focus memory, the shared part of the window
// procedures that paints in the current palette, and the modal loop.

#include <windows.h>

#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/secure_buffer.h"
#include "ui/control_spec.h"
#include "ui/window_dpi.h"

// "Segoe UI" at a pixel size given for 96 DPI, from a per-thread cache; the
// fonts live until the process ends, so callers never delete them.
HFONT dialog_font(std::uint32_t dpi, std::int32_t pixel_size, bool underline);

// A hidden top-level window of `class_name` (registered here on first use
// with `procedure`), owned by `owner` when there is one, `width` × `height`
// outer pixels at 96 DPI, scaled to the window's DPI, with the title bar in
// the palette's colours. The error is the last error as an HRESULT.
[[nodiscard]] std::expected<HWND, HRESULT> create_dialog_window(const wchar_t* class_name, std::string_view title,
                                                                WNDPROC procedure, HWND owner, std::int32_t width,
                                                                std::int32_t height);

// One child per ControlSpec, in order (null where creation failed), with the
// dialog fonts applied.
std::vector<HWND> create_controls(HWND window, std::span<const ControlSpec> specs);
void apply_dialog_fonts(HWND window, std::span<const ControlSpec> specs, std::span<const HWND> handles);
// After a DPI change: every control to its rectangle for the new DPI, and the
// fonts for it.
void relayout_controls(HWND window, std::span<const ControlSpec> specs, std::span<const HWND> handles);
// For WM_DPICHANGED: the window to the rectangle Windows suggests, then
// relayout_controls.
void apply_dpi_change(HWND window, const RECT& suggested, std::span<const ControlSpec> specs,
                      std::span<const HWND> handles);

// For WM_ACTIVATE: gives the focus back to the control that had it when the
// window was last deactivated, or to `default_id`.
void remember_focus(HWND window, WPARAM activate_wparam, std::int32_t default_id);

// Destroys a dialog window, first handing the foreground to its owner so the
// user does not land in some other program.
void close_dialog_window(HWND window);

// At most CONTROL_TEXT_BUFFER − 1 characters, as UTF-8.
std::string get_control_text(HWND window, std::int32_t id);
// The same read for a secret: the text never exists outside wiped memory.
SecureBuffer get_control_secret(HWND window, std::int32_t id);
void set_control_text(HWND window, std::int32_t id, std::string_view text);

// A control's text is shown as written, an '&' too; this lets a label or
// button of the program's own words mark its keyboard mnemonic with one
// instead (underlined once the keyboard is in use).
void show_mnemonic(HWND control);

// Sizes of a text in the 16-pixel dialog font at 96 DPI: the wrapped height
// at `width`, and the single-line width. An empty text measures 0.
std::int32_t measure_text_height(std::string_view text, std::int32_t width);
std::int32_t measure_text_width(std::string_view text);

// The shared part of the dialog window procedures: backgrounds, control
// colours, owner-drawn buttons and links, the hand cursor over links.
// Nothing when the message is the caller's (then DefWindowProcW) to handle.
std::optional<LRESULT> dialog_base_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

enum class ModalEnd : std::uint8_t {
  Finished,  // `finished` said so
  Quit,      // WM_QUIT arrived; it has been posted again for the outer loop
  Gone,      // the window was destroyed from outside
};

// A nested message loop for a modal window: dialog keys go to `window`,
// everything else is dispatched as usual (painting, timers, posted messages
// of the other windows go on). `finished` is asked after every message.
[[nodiscard]] ModalEnd run_modal_loop(HWND window, const std::function<bool()>& finished);

// Disables the owner of a modal window for as long as it lives, and enables
// it again only if it was enabled before (so a box opened while another
// modal window already disabled the owner does not free it too early).
class ModalOwner {
 public:
  explicit ModalOwner(HWND owner) noexcept;
  ModalOwner(const ModalOwner&) = delete;
  ModalOwner& operator=(const ModalOwner&) = delete;
  ~ModalOwner() { release(); }
  void release() noexcept;

 private:
  HWND owner_ = nullptr;
  bool disabled_by_us_ = false;
};
