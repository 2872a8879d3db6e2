#pragma once
// The program's own prompt: one to three labelled entry fields (hidden
// password text, or a short number) checked by the caller's validator before
// the prompt closes.

#include <windows.h>

#include "ui/prompt_spec.h"

inline constexpr wchar_t PASSWORD_PROMPT_CLASS[] = L"NimbolPasswordWnd";

// Runs the prompt modally over `owner` (or none). On submit the validator
// gets `context` and the entered texts; an error keeps the prompt open with
// the message shown and every field emptied. Accepted only once the
// validator agrees; Cancelled for the cancel button, Esc, the close box, a
// window that cannot be created or the end of the program; Extra for the
// third button.
[[nodiscard]] PromptResult password_prompt(HWND owner, const PromptSpec& spec, void* context,
                                           PromptValidator validator);
