// The editor side of go to line. Line numbers are the control's own
// (EM_LINEINDEX), the same numbering the status bar's "Ln" shows, so the
// number a user reads there is the number that goes back to that line.

#include <windows.h>

#include <richedit.h>

#include "find/go_to_line_win.h"

#include "ui/password_prompt.h"

GoToLineEditor go_to_line_editor(HWND editor) {
  return {.line_start =
              [editor](std::int32_t line) {
                return static_cast<std::int32_t>(SendMessageW(editor, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
              },
          .place_caret =
              [editor](std::int32_t position) {
                CHARRANGE caret{position, position};
                SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
                SendMessageW(editor, EM_SCROLLCARET, 0, 0);
              }};
}

void go_to_line(HWND owner, HWND editor) {
  if (!editor) return;
  GoToLineEditor context = go_to_line_editor(editor);
  static_cast<void>(password_prompt(owner, go_to_line_prompt(), &context, go_to_line_validator));
}
