#pragma once
// The Time/Date command: the local time and date, as the user's locale
// writes them, typed at the caret.

#include <windows.h>

#include <string>

// "time date" for `when`: the locale's time without seconds and its short
// date. A part the locale cannot format is left empty.
std::wstring time_date_text(const SYSTEMTIME& when);

// Replaces the editor's selection (or inserts at the caret) with the text
// for now, as one step the user can undo.
void insert_time_date(HWND editor);
