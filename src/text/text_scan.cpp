// The passes over whole texts. The x86-64 compilers (the host's and the
// Windows cross compiler) all have SSE2, and these loops are written for
// it: counters kept in byte-wide lanes and added up before they overflow,
// one branch per 32 bytes for anything that is not ASCII. Elsewhere a plain
// loop gives the same answers.

#include "text/text_scan.h"

#include <cstring>

#include "base/byte_blocks.h"
#include "base/utf.h"

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid character at `at`, or 0. Two- and three-byte
// characters (accents, symbols, most scripts) are checked here; the rest
// goes to the general decoder.
std::size_t valid_length(std::string_view in, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
  const unsigned char lead = byte(at);
  if (lead >= 0xC2 && lead <= 0xDF && at + 1 < in.size() && is_continuation(byte(at + 1))) return 2;
  if (lead >= 0xE1 && lead <= 0xEC && at + 2 < in.size() && is_continuation(byte(at + 1)) &&
      is_continuation(byte(at + 2))) {
    return 3;
  }
  const Decoded d = decode_utf8_at(in.substr(at));
  return d.valid ? d.length : 0;
}

// Checks the characters that start at the set bits of `high` (bytes of the
// block at `at` that are not ASCII; a character may run into the next
// block). `checked` is where the last character checked ended.
bool check_non_ascii(std::string_view in, std::size_t at, unsigned high, std::size_t& checked) {
  auto skip_checked = [&] {
    if (checked <= at) return;
    high = checked - at >= byte_blocks::width ? 0 : high & (~0u << (checked - at));
  };
  skip_checked();
  while (high) {
    const std::size_t start = at + byte_blocks::lowest(high);
    const std::size_t length = valid_length(in, start);
    if (length == 0) return false;
    checked = start + length;
    skip_checked();
  }
  return true;
}

#if defined(__SSE2__)

// Sixteen bytes per step, counting in byte-wide lanes that are added up
// before they can overflow: no branch for the line ends, one for bytes
// that are not ASCII. A pair is a CR whose next byte (in this block or the
// next one) is LF.
template <bool copy, bool validate, bool nul = true>
TextScan scan_text(std::string_view in, char* out) {
  TextScan scan;
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  __m128i cr_lanes = zero, lf_lanes = zero, pair_lanes = zero, nul_lanes = zero;
  unsigned steps = 0;
  auto add_up = [&] {
    auto sum = [&](__m128i lanes) {
      const __m128i halves = _mm_sad_epu8(lanes, zero);
      return static_cast<std::size_t>(_mm_cvtsi128_si32(halves)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
    };
    scan.cr += sum(cr_lanes);
    scan.lf += sum(lf_lanes);
    scan.pairs += sum(pair_lanes);
    cr_lanes = lf_lanes = pair_lanes = zero;
    steps = 0;
  };
  std::size_t checked = 0;
  // `next` holds the sixteen bytes one further on, for the pairs.
  auto count = [&](__m128i v, __m128i next) {
    const __m128i is_cr = _mm_cmpeq_epi8(v, cr);
    cr_lanes = _mm_sub_epi8(cr_lanes, is_cr);
    lf_lanes = _mm_sub_epi8(lf_lanes, _mm_cmpeq_epi8(v, lf));
    pair_lanes = _mm_sub_epi8(pair_lanes, _mm_and_si128(is_cr, _mm_cmpeq_epi8(next, lf)));
    if constexpr (nul) nul_lanes = _mm_or_si128(nul_lanes, _mm_cmpeq_epi8(v, zero));
    if (++steps == 255) add_up();
  };
  // The characters that start in the 32 bytes at `at` (the second block
  // may be all zero: then there are sixteen).
  auto check = [&](std::size_t at, __m128i v0, __m128i v1) {
    if constexpr (!validate) return true;
    const auto high0 = static_cast<unsigned>(_mm_movemask_epi8(v0));
    const auto high1 = static_cast<unsigned>(_mm_movemask_epi8(v1));
    return (!high0 || check_non_ascii(in, at, high0, checked)) &&
           (!high1 || check_non_ascii(in, at + byte_blocks::width, high1, checked));
  };
  const char* p = in.data();
  auto load = [&](std::size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)); };
  std::size_t i = 0;
  // Two blocks a step while the bytes one further on are still there; one
  // test tells whether either holds anything but ASCII.
  for (; i + 2 * byte_blocks::width + 1 <= in.size(); i += 2 * byte_blocks::width) {
    const __m128i v0 = load(i), v1 = load(i + byte_blocks::width);
    if constexpr (copy) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + byte_blocks::width), v1);
    }
    count(v0, load(i + 1));
    count(v1, load(i + byte_blocks::width + 1));
    if constexpr (validate) {
      if (_mm_movemask_epi8(_mm_or_si128(v0, v1)) && !check(i, v0, v1)) {
        scan.valid = false;
        return scan;
      }
    }
  }
  for (; i + byte_blocks::width + 1 <= in.size(); i += byte_blocks::width) {
    const __m128i v = load(i);
    if constexpr (copy) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    count(v, load(i + 1));
    if (!check(i, v, _mm_setzero_si128())) {
      scan.valid = false;
      return scan;
    }
  }
  if (i < in.size()) {
    // The last bytes, padded with spaces: no line end, NUL or character.
    char padded[2 * byte_blocks::width];
    std::memset(padded, ' ', sizeof padded);
    std::memcpy(padded, p + i, in.size() - i);
    if constexpr (copy) std::memcpy(out + i, p + i, in.size() - i);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded));
    count(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded + 1)));
    scan.valid = check(i, v, _mm_setzero_si128());
  }
  add_up();
  scan.nul = _mm_movemask_epi8(nul_lanes) != 0;
  return scan;
}

#else

template <bool copy, bool validate, bool nul = true>
TextScan scan_text(std::string_view in, char* out) {
  TextScan scan;
  std::size_t checked = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if constexpr (copy) out[i] = c;
    scan.cr += c == '\r';
    scan.lf += c == '\n';
    scan.pairs += c == '\r' && i + 1 < in.size() && in[i + 1] == '\n';
    scan.nul = scan.nul || c == '\0';
    if (validate && i >= checked && static_cast<unsigned char>(c) >= 0x80) {
      const std::size_t length = valid_length(in, i);
      if (length == 0) {
        scan.valid = false;
        return scan;
      }
      checked = i + length;
    }
  }
  return scan;
}

#endif

}  // namespace

TextScan count_line_ends(std::string_view text) { return scan_text<false, false, false>(text, nullptr); }

TextScan check_utf8(std::string_view text) { return scan_text<false, true>(text, nullptr); }

// The body as text when it is valid UTF-8, copied and checked in one pass
// that also finds its line ends and any NUL: where opening a file used to
// make four passes over it.
std::optional<std::string> copy_valid_utf8(std::string_view body, TextScan& scan) {
  std::string text;
  // (The size handed to the callback can be the capacity, not the size
  // asked for: only the sizes computed here are used.)
  text.resize_and_overwrite(body.size(), [&](char* out, std::size_t) {
    scan = scan_text<true, true>(body, out);
    return body.size();
  });
  if (!scan.valid) return std::nullopt;
  return text;
}
