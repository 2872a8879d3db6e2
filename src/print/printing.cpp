// The Print command. The system dialog picks the printer and the part to
// print; the pages themselves are laid out by print_pages. Copies and
// collation are left to the printer driver, so each page is sent once.

#include <windows.h>

#include <commdlg.h>

#include "print/printing.h"

#include <string>

#include "base/handles.h"
#include "base/secure_buffer.h"
#include "editor/tab_model.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "print/print_pages.h"
#include "text/editor_text.h"
#include "ui/dark_dialog.h"
#include "ui/message_box.h"

namespace {

constexpr WORD highest_page = 9999;

// What the dialog hands back is the caller's to free, whatever the answer.
class DialogResults {
 public:
  explicit DialogResults(PRINTDLGW& dialog) : dialog_(dialog) {}
  DialogResults(const DialogResults&) = delete;
  DialogResults& operator=(const DialogResults&) = delete;
  ~DialogResults() {
    if (dialog_.hDC) DeleteDC(dialog_.hDC);
    if (dialog_.hDevMode) GlobalFree(dialog_.hDevMode);
    if (dialog_.hDevNames) GlobalFree(dialog_.hDevNames);
  }

 private:
  PRINTDLGW& dialog_;
};

// The Print dialog is modal, and the editor font can be replaced while it
// is open (a move to a screen of another DPI deletes the old one): the job
// prints with a font of its own, made before the dialog. Without an editor
// font there is nothing to copy and the layout control takes its default.
UniqueFont copy_of_font(HFONT font) {
  LOGFONTW description{};
  if (!font || GetObjectW(font, sizeof description, &description) != sizeof description) return UniqueFont();
  return UniqueFont(CreateFontIndirectW(&description));
}

}  // namespace

PRINTDLGW print_dialog_request(HWND owner, bool has_selection) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!has_selection) dialog.Flags |= PD_NOSELECTION;
  dialog.nFromPage = 1;
  dialog.nToPage = 1;
  dialog.nMinPage = 1;
  dialog.nMaxPage = highest_page;
  dialog.lpfnPrintHook = dark_dialog_hook;
  return dialog;
}

PrintRequest print_request_from(const PRINTDLGW& answered, std::int64_t selection_start, std::int64_t selection_end) {
  if (answered.Flags & PD_PAGENUMS) {
    return {.part = PrintPart::Pages, .from_page = answered.nFromPage, .to_page = answered.nToPage};
  }
  if (answered.Flags & PD_SELECTION) {
    return {.part = PrintPart::Selection, .selection_start = selection_start, .selection_end = selection_end};
  }
  return {};
}

void print_document(HWND owner, std::string_view title, bool print_labels, std::string_view text, HFONT font,
                    std::int64_t selection_start, std::int64_t selection_end, const PrintSystem& system) {
  const UniqueFont own_font = copy_of_font(font);
  PRINTDLGW dialog = print_dialog_request(owner, selection_start < selection_end);
  const BOOL chosen = system.choose ? system.choose(&dialog) : PrintDlgW(&dialog);
  const DialogResults release(dialog);
  if (!chosen || !dialog.hDC) return;
  // Answered after the text got covered: nothing is printed.
  if (veiled()) return;

  PrinterTarget printer(dialog.hDC);
  PrintTarget& target = system.target ? *system.target : printer;
  const PrinterMetrics metrics = system.metrics ? system.metrics(dialog.hDC) : printer_metrics(dialog.hDC);
  const PrintJob job{.title = title, .labels = print_labels, .text = text, .font = own_font.get()};
  const Result<std::uint32_t> printed =
      print_pages(owner, job, print_request_from(dialog, selection_start, selection_end), metrics, target);
  if (!printed) message_box(owner, false, printed.error(), {"OK"}, 0, 0);
}

void print_active_tab(HWND frame) {
  HWND editor = nullptr;
  std::string title;
  bool labels = false;
  HFONT font = nullptr;
  {
    auto state = app_state().borrow();
    if (!state) return;
    const Tab* tab = state->active_tab();
    if (!tab || !tab->editor) return;
    editor = tab->editor;
    title = tab_title(*tab);
    labels = state->config.print_labels;
    font = state->font.get();
  }
  std::string text = get_editor_text(editor);
  const CHARRANGE selection = get_selection(editor);
  print_document(frame, title, labels, text, font, selection.cpMin, selection.cpMax);
  wipe_contents(text);
}
