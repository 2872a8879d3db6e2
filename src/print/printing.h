#pragma once
// The Print command: the system's print dialog, then the chosen part of the
// tab's text on the chosen printer.

#include <windows.h>

#include <commdlg.h>

#include <cstdint>
#include <string_view>

#include "print/page_loop.h"

// The dialog's request over `owner`; the Selection choice is offered only
// when something is selected.
PRINTDLGW print_dialog_request(HWND owner, bool has_selection);

// What the answered dialog asks to print.
PrintRequest print_request_from(const PRINTDLGW& answered, std::int64_t selection_start, std::int64_t selection_end);

// Runs the dialog and prints. Cancelling prints nothing; so does a printer
// that cannot start the document or a page.
void print_document(HWND owner, std::string_view title, bool print_labels, std::string_view text, HFONT font,
                    std::int64_t selection_start, std::int64_t selection_end);

// The command: the active tab's text, title and selection, the editor font
// and the labels setting; nothing without an active tab.
void print_active_tab(HWND frame);
