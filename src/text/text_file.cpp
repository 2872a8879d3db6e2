// Opening a text file: the one place the codec touches the disk. The file is
// read whole, then handed to the pure decoder; a failure is described in the
// system's own words, with its error number.

#include <windows.h>

#include <new>

#include "base/file_io.h"
#include "base/system_error.h"
#include "text/text_codec.h"

namespace {

Failure open_failure(const std::string& path, DWORD code) {
  return fail(open_failure_message(path, system_error_text(code), code));
}

}  // namespace

Result<DecodedText> decode_file(const std::string& path) {
  try {
    auto bytes = read_all_chars(path);
    if (!bytes) return open_failure(path, bytes.error());
    return decode_contents_in_place(path, std::move(*bytes));
  } catch (const std::bad_alloc&) {
    // Too large to hold (a file that is not UTF-8 is held twice, as bytes
    // and as text): say so rather than end the program with the user's
    // other tabs.
    return open_failure(path, ERROR_NOT_ENOUGH_MEMORY);
  }
}
