#pragma once
// The Print command: the system's print dialog, then the chosen part of the
// tab's text on the chosen printer.

#include <windows.h>

#include <commdlg.h>

#include <cstdint>
#include <string_view>

#include "print/page_loop.h"
#include "print/print_target.h"

// The dialog's request over `owner`; the Selection choice is offered only
// when something is selected.
PRINTDLGW print_dialog_request(HWND owner, bool has_selection);

// What the answered dialog asks to print.
PrintRequest print_request_from(const PRINTDLGW& answered, std::int64_t selection_start, std::int64_t selection_end);

// What printing asks of the system. Each empty member is the real thing:
// PrintDlgW, the chosen printer's page and the chosen printer. There is no
// printer under Wine, so the tests put stand-ins here.
struct PrintSystem {
  BOOL (*choose)(PRINTDLGW*) = nullptr;
  PrinterMetrics (*metrics)(HDC) = nullptr;
  PrintTarget* target = nullptr;
};

// Runs the dialog and prints. Cancelling prints nothing; so does a printer
// that cannot start the document or a page. `font` need only live until
// the call: the job prints with a copy of its own.
void print_document(HWND owner, std::string_view title, bool print_labels, std::string_view text, HFONT font,
                    std::int64_t selection_start, std::int64_t selection_end, const PrintSystem& system = {});

// The command: the active tab's text, title and selection, the editor font
// and the labels setting; nothing without an active tab.
void print_active_tab(HWND frame);
