#pragma once
// The decisions of saving a tab as a file, free of windows: which file gets
// written first, when the user is asked, what the message says, which bytes
// go to disk, what the tab looks like afterwards, and the order of the file
// operations that make the write safe.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/tab.h"
#include "text/text_codec.h"

// The file the new bytes go to before they replace the target, in the
// target's own folder, named by `unique` alone ("~" and 16 hex digits, then
// ".nimbol-save"): however long the target's name, this one fits in the
// file system's limit for a name, and every attempt gets a name of its own.
std::string temporary_save_path(std::string_view target, std::uint64_t unique);

// Whether writing `tab` to `target` would overwrite the very file whose
// undecodable bytes the tab could not show.
bool asks_before_overwriting(const Tab& tab, std::string_view target);

std::string lossy_question(std::string_view title);
// The message of a failed save. When `text_kept_in` is given, the target is
// gone and the new text is only in that temporary file; the message says
// where.
std::string save_failure_message(std::string_view target, std::string_view system_text,
                                 std::string_view text_kept_in = {});

// The file's bytes for the editor's text (paragraph ends as CR or any
// mixture): uniform line ends of `eol`, then `encoding`. The encoding used
// differs from the one asked only when ANSI cannot hold the text.
EncodedText file_bytes(std::string_view text, Eol eol, Encoding encoding);

// The tab once its text is in `target`, written in `used`.
void mark_saved(Tab& tab, std::string target, Encoding used);

// The file operations of a safe save. Each returns 0 or a Windows error code.
class SaveFiles {
 public:
  virtual ~SaveFiles() = default;
  // Creates or truncates the temporary file, writes every byte, flushes and
  // closes it.
  virtual std::uint32_t write_temporary() = 0;
  virtual bool target_exists() = 0;
  // Moves the temporary file onto the target, replacing it, written through.
  virtual std::uint32_t move_into_place() = 0;
  // Replaces the existing target's content with the temporary file, keeping
  // the target's identity, attributes, security and streams.
  virtual std::uint32_t replace_target() = 0;
  virtual std::uint32_t flush_target() = 0;
  // Removes the temporary file if it is still there; errors do not matter.
  virtual void remove_temporary() = 0;
};

struct SaveOutcome {
  // 0 when the target holds the new bytes, else the error to report.
  std::uint32_t error = 0;
  // The failure took the target away and the temporary file, the only copy
  // of the text on disk, was kept.
  bool kept_temporary = false;
  // That file, when the caller knows its name.
  std::string kept_in;
};

// Runs the operations in the order that never leaves a half-written target.
// The temporary file is removed whatever happened, except when the target
// existed, both the replacement and the move failed, and the target is gone
// afterwards: then the temporary file is all that is left, and stays.
SaveOutcome run_safe_save(SaveFiles& files);

// The file-name buffer of the Open and Save As dialogs: this many UTF-16
// units, prefilled with at most the first half of it.
inline constexpr std::size_t DIALOG_NAME_UNITS = 2048;
inline constexpr std::size_t DIALOG_INITIAL_UNITS = 1023;

// `initial_name` as UTF-16 in a zero-filled buffer of DIALOG_NAME_UNITS.
std::wstring dialog_name_buffer(std::string_view initial_name);

// The path the dialog left in `buffer`: up to its first NUL, or all of it.
std::string dialog_chosen_path(std::wstring_view buffer);
