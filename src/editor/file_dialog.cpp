// The Open and Save As dialogs are the system's own, used as they come (no
// hook, no restyling): users know them, and they bring the places, the
// recent folders and the overwrite question with them.

#include <windows.h>

#include <commdlg.h>

#include "editor/file_dialog.h"

#include "editor/save_plan.h"

namespace {

// "All Files" first, so that it is the one preselected: a notepad opens and
// saves files of every name.
constexpr wchar_t filter[] = L"All Files (*.*)\0*.*\0Text Documents (*.txt)\0*.txt\0";

constexpr DWORD save_flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
constexpr DWORD open_flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
static_assert(save_flags == 0x80E && open_flags == 0x180C);
static_assert(sizeof(OPENFILENAMEW) == 152, "the dialog needs the full structure, with FlagsEx");

}  // namespace

std::optional<std::string> file_dialog(HWND owner, std::string_view initial_name, bool save) {
  std::wstring name = dialog_name_buffer(initial_name);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = save ? save_flags : open_flags;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return dialog_chosen_path(name);
}
