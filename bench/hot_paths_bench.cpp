// The paths a user waits on, each beside the physical limit it can be held
// against: decoding a file against copying its bytes, sealing a tab against
// libgcrypt's own AES-256-GCM, the index writer against the text it writes.

#include <benchmark/benchmark.h>
#include <gcrypt.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/text_codec.h"
#include "store/crypto.h"

namespace {

std::vector<std::uint8_t> sample_text(std::size_t size) {
  const std::string line = "The quick brown fox jumps over the lazy dog, caf\xC3\xA9 \xE2\x82\xAC 42.\r\n";
  std::vector<std::uint8_t> bytes;
  bytes.reserve(size);
  while (bytes.size() < size) bytes.insert(bytes.end(), line.begin(), line.end());
  bytes.resize(size);
  return bytes;
}

constexpr std::size_t file_size = 8 << 20;

void copy_limit(benchmark::State& state) {
  const auto bytes = sample_text(file_size);
  std::vector<std::uint8_t> out(bytes.size());
  for (auto _ : state) {
    std::memcpy(out.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(copy_limit);

void decode_utf8_file(benchmark::State& state) {
  const auto bytes = sample_text(file_size);
  for (auto _ : state) {
    auto decoded = decode_bytes(bytes);
    benchmark::DoNotOptimize(decoded.text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(decode_utf8_file);

void encode_crlf_utf16(benchmark::State& state) {
  const auto bytes = sample_text(file_size);
  const std::string text(bytes.begin(), bytes.end());
  for (auto _ : state) {
    auto encoded = encode_text(convert_line_ends(text, Eol::CrLf), Encoding::Utf16Le);
    benchmark::DoNotOptimize(encoded.bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(encode_crlf_utf16);

void raw_gcrypt_gcm(benchmark::State& state) {
  const auto bytes = sample_text(file_size);
  std::vector<std::uint8_t> key(32, 7), nonce(12, 9), out(bytes.size()), tag(16);
  gcry_cipher_hd_t h = nullptr;
  gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0);
  gcry_cipher_setkey(h, key.data(), key.size());
  for (auto _ : state) {
    gcry_cipher_reset(h);
    gcry_cipher_setiv(h, nonce.data(), nonce.size());
    gcry_cipher_encrypt(h, out.data(), out.size(), bytes.data(), bytes.size());
    gcry_cipher_gettag(h, tag.data(), tag.size());
    benchmark::DoNotOptimize(out.data());
  }
  gcry_cipher_close(h);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(raw_gcrypt_gcm);

void seal_tab_text(benchmark::State& state) {
  const auto bytes = sample_text(file_size);
  const std::vector<std::uint8_t> key(32, 7);
  for (auto _ : state) {
    auto sealed = seal(key, bytes);
    benchmark::DoNotOptimize(sealed->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(seal_tab_text);

void derive_key_once(benchmark::State& state) {
  const std::string password = "correct horse battery staple";
  const std::vector<std::uint8_t> salt(16, 3);
  for (auto _ : state) {
    auto key = derive_key({reinterpret_cast<const std::uint8_t*>(password.data()), password.size()}, salt);
    benchmark::DoNotOptimize(key->data());
  }
}
BENCHMARK(derive_key_once)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
