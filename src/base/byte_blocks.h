#pragma once
// Sixteen bytes at a time, for the passes over whole files: which bytes are
// not ASCII, which equal a given byte. Every x86-64 compiler (the host's and
// the Windows cross compiler) has SSE2, where each question is two or three
// instructions; anywhere else the same answers come from a plain loop.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace byte_blocks {

inline constexpr std::size_t width = 16;

#if defined(__SSE2__)

struct Block {
  __m128i v;
};

inline Block load(const void* at) { return {_mm_loadu_si128(static_cast<const __m128i*>(at))}; }
inline void store(void* at, Block b) { _mm_storeu_si128(static_cast<__m128i*>(at), b.v); }
// Bit i is set when byte i is 0x80 or above.
inline unsigned high_bits(Block b) { return static_cast<unsigned>(_mm_movemask_epi8(b.v)); }
// Bit i is set when byte i equals `c`.
inline unsigned equal_bits(Block b, char c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b.v, _mm_set1_epi8(c))));
}
// Sixteen ASCII bytes as sixteen UTF-16 code units, each written as two
// bytes, low byte first or high byte first (32 bytes at `out`).
inline void widen(Block b, void* out, bool big_endian) {
  const __m128i zero = _mm_setzero_si128();
  auto* to = static_cast<__m128i*>(out);
  if (big_endian) {
    _mm_storeu_si128(to, _mm_unpacklo_epi8(zero, b.v));
    _mm_storeu_si128(to + 1, _mm_unpackhi_epi8(zero, b.v));
  } else {
    _mm_storeu_si128(to, _mm_unpacklo_epi8(b.v, zero));
    _mm_storeu_si128(to + 1, _mm_unpackhi_epi8(b.v, zero));
  }
}

#else

struct Block {
  unsigned char bytes[width];
};

inline Block load(const void* at) {
  Block b;
  std::memcpy(b.bytes, at, width);
  return b;
}
inline void store(void* at, Block b) { std::memcpy(at, b.bytes, width); }
inline unsigned high_bits(Block b) {
  unsigned bits = 0;
  for (std::size_t i = 0; i < width; ++i) bits |= static_cast<unsigned>(b.bytes[i] >> 7) << i;
  return bits;
}
inline unsigned equal_bits(Block b, char c) {
  unsigned bits = 0;
  for (std::size_t i = 0; i < width; ++i)
    bits |= static_cast<unsigned>(b.bytes[i] == static_cast<unsigned char>(c)) << i;
  return bits;
}
inline void widen(Block b, void* out, bool big_endian) {
  auto* to = static_cast<unsigned char*>(out);
  for (std::size_t i = 0; i < width; ++i) {
    to[2 * i] = big_endian ? 0 : b.bytes[i];
    to[2 * i + 1] = big_endian ? b.bytes[i] : 0;
  }
}

#endif

// Index of the lowest set bit; `bits` must not be 0.
inline unsigned lowest(unsigned bits) { return static_cast<unsigned>(__builtin_ctz(bits)); }
inline unsigned count(unsigned bits) { return static_cast<unsigned>(__builtin_popcount(bits)); }

}  // namespace byte_blocks
