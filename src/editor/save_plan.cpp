// Saving a tab is mostly Windows calls; what is decided here is decided
// once, without them, so that the host tests can try every path, including
// the failures that real files rarely produce on demand (a replacement that
// fails and a fallback that fails too).

#include "editor/save_plan.h"

#include "base/utf.h"
#include "editor/tab_model.h"

std::string temporary_save_path(std::string_view target, std::uint64_t unique) {
  const std::size_t folder_end = target.find_last_of("\\/");
  std::string path(folder_end == std::string_view::npos ? std::string_view() : target.substr(0, folder_end + 1));
  constexpr char digits[] = "0123456789abcdef";
  path += '~';
  for (int shift = 60; shift >= 0; shift -= 4) path += digits[(unique >> shift) & 0xF];
  path += ".nimbol-save";
  return path;
}

bool asks_before_overwriting(const Tab& tab, std::string_view target) {
  return tab.lossy && tab.path && same_path(*tab.path, target);
}

std::string lossy_question(std::string_view title) {
  std::string text(title);
  text +=
      " has bytes that could not be read as text. Saving writes the text as shown, which replaces those "
      "bytes.\n\nSave anyway?";
  return text;
}

std::string save_failure_message(std::string_view target, std::string_view system_text, std::string_view text_kept_in) {
  std::string text(target);
  text += " could not be saved.\n\n";
  text += system_text;
  if (!text_kept_in.empty()) {
    text += "\n\nThe old file is gone; the text is now in:\n";
    text += text_kept_in;
  }
  return text;
}

EncodedText file_bytes(std::string_view text, Eol eol, Encoding encoding) { return encode_text(text, eol, encoding); }

void mark_saved(Tab& tab, std::string target, Encoding used) {
  tab.path = std::move(target);
  tab.encoding = used;
  tab.dirty = false;
  tab.store_pending = false;
  tab.lossy = false;
}

SaveOutcome run_safe_save(SaveFiles& files) {
  std::uint32_t error = files.write_temporary();
  if (error == 0) {
    if (!files.target_exists()) {
      error = files.move_into_place();
    } else if (const std::uint32_t replace_error = files.replace_target(); replace_error == 0) {
      error = files.flush_target();
    } else if (files.move_into_place() != 0) {
      // A replacement can fail where a plain move still works (a file
      // system without that call, say). When both fail, the replacement's
      // reason is the one that describes what the user asked for.
      error = replace_error;
      // A replacement that could not rename the new file into place has
      // already removed the old one (there is no backup name): deleting the
      // temporary file now would lose the file altogether.
      if (!files.target_exists()) return {error, true, {}};
    }
  }
  files.remove_temporary();
  return {error, false, {}};
}

std::wstring dialog_name_buffer(std::string_view initial_name) {
  std::wstring name = to_wide(initial_name);
  if (name.size() > DIALOG_INITIAL_UNITS) {
    name.resize(DIALOG_INITIAL_UNITS);
    // Cutting between the halves of a surrogate pair would leave half a
    // character in the field.
    const auto last = static_cast<std::uint32_t>(name.back()) & 0xFFFF;
    if (last >= 0xD800 && last <= 0xDBFF) name.pop_back();
  }
  name.resize(DIALOG_NAME_UNITS, L'\0');
  return name;
}

std::string dialog_chosen_path(std::wstring_view buffer) {
  const std::size_t end = buffer.find(L'\0');
  return to_utf8(buffer.substr(0, end == std::wstring_view::npos ? buffer.size() : end));
}
