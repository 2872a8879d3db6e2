// Opening a text file: the one place the codec touches the disk. The file is
// read whole, then handed to the pure decoder; a failure is described in the
// system's own words, with its error number.

#include <windows.h>

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "base/handles.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "editor/text_codec.h"

namespace {

Failure open_failure(const std::string& path, DWORD code) {
  return fail(open_failure_message(path, system_error_text(code), code));
}

// The whole file, or the error code of the step that failed.
std::expected<std::vector<std::uint8_t>, DWORD> read_whole_file(const std::wstring& path) {
  // Others may keep the file open for writing (a log being written, say);
  // reading it anyway is what users expect of a notepad.
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::unexpected(GetLastError());

  std::vector<std::uint8_t> bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    if (static_cast<unsigned long long>(size.QuadPart) > bytes.max_size()) return std::unexpected(DWORD{ERROR_NOT_ENOUGH_MEMORY});
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
  }
  std::size_t filled = 0;
  for (;;) {
    // The size is only a hint: the file may grow or shrink while we read.
    std::array<std::uint8_t, 4096> probe;
    const bool full = filled == bytes.size();
    std::uint8_t* target = full ? probe.data() : bytes.data() + filled;
    const DWORD want =
        full ? static_cast<DWORD>(probe.size()) : static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), target, want, &got, nullptr)) return std::unexpected(GetLastError());
    if (got == 0) break;
    if (full) bytes.insert(bytes.end(), probe.begin(), probe.begin() + got);
    filled += got;
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

Result<DecodedText> decode_file(const std::string& path) {
  try {
    auto bytes = read_whole_file(to_wide(path));
    if (!bytes) return open_failure(path, bytes.error());
    return decode_contents(path, *bytes);
  } catch (const std::bad_alloc&) {
    // Too large to hold twice (the bytes and the text): say so rather than
    // end the program with the user's other tabs.
    return open_failure(path, ERROR_NOT_ENOUGH_MEMORY);
  }
}
