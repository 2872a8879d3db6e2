#pragma once
// Turning the bytes of a file into the text of a tab and back: recognising
// the encoding and the line ends on the way in, applying the tab's choices on
// the way out. Pure functions; the whole-file read is decode_file.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "model/text_types.h"

struct DecodedBytes {
  std::string text;  // UTF-8, line ends as found
  Encoding encoding = Encoding::Utf8;
  bool lossy = false;  // some bytes were replaced or dropped
  bool operator==(const DecodedBytes&) const = default;
};

struct DecodedText {
  std::string text;
  Encoding encoding = Encoding::Utf8;
  Eol eol = Eol::CrLf;
  bool lossy = false;
  bool operator==(const DecodedText&) const = default;
};

// An allocator whose vectors leave new bytes as they are instead of zeroing
// them: the bytes of a file are written right after they are allocated,
// and zeroing a large file's bytes first would cross all of them twice.
template <class T>
struct UnzeroedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnzeroedAllocator<U>;
  };
  UnzeroedAllocator() = default;
  template <class U>
  UnzeroedAllocator(const UnzeroedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};
using FileBytes = std::vector<std::uint8_t, UnzeroedAllocator<std::uint8_t>>;

struct EncodedText {
  FileBytes bytes;
  Encoding encoding = Encoding::Utf8;  // differs from the one asked only for Ansi
};

DecodedBytes decode_bytes(std::span<const std::uint8_t> bytes);

// Fails with the "not a text file" message when `text` holds U+0000.
[[nodiscard]] Result<void> reject_binary(std::string_view path, std::string_view text);

Eol detect_eol(std::string_view text);

std::string convert_line_ends(std::string_view text, Eol eol);

EncodedText encode_text(std::string_view text, Encoding encoding);

// The same bytes as encode_text(convert_line_ends(text, eol), encoding): what
// a file gets for the editor's text. For the Unicode encodings in one pass,
// without the converted text in between.
EncodedText encode_text(std::string_view text, Eol eol, Encoding encoding);

// decode_bytes, reject_binary and detect_eol in one: what opening the file
// at `path` with these contents gives.
[[nodiscard]] Result<DecodedText> decode_contents(std::string_view path, std::span<const std::uint8_t> bytes);
// The same for bytes the caller gives up: a UTF-8 file becomes the text in
// place, checked without being copied.
[[nodiscard]] Result<DecodedText> decode_contents_in_place(std::string_view path, std::string&& bytes);

// The message for a file that could not be read; `system_text` is the
// system's description of `error_code`.
std::string open_failure_message(std::string_view path, std::string_view system_text, std::uint32_t error_code);
std::string not_text_message(std::string_view path);

// Reads the whole file at `path` (UTF-8) and decodes it.
[[nodiscard]] Result<DecodedText> decode_file(const std::string& path);
