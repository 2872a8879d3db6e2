// The core paths a user waits on, each beside the physical limit it is held
// against, on an 8 MiB and a 100 MiB file: decoding a file and saving it in
// each encoding against copying its bytes, sealing a tab's text against
// libgcrypt's own AES-256-GCM. scripts/bench.sh turns the medians into ratios.

#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bench/sample_text.h"
#include "store/crypto.h"
#include "text/text_codec.h"

namespace {

constexpr std::int64_t small_file = std::int64_t{8} << 20;
constexpr std::int64_t large_file = std::int64_t{100} << 20;

// Made once per size: 100 MiB of sample takes longer to build than to read.
const std::string& file_bytes(std::int64_t size) {
  static std::map<std::int64_t, std::string> made;
  auto [at, fresh] = made.try_emplace(size);
  if (fresh) at->second = bench::sample_text(static_cast<std::size_t>(size));
  return at->second;
}

// The editor's form of the file (and of its ANSI twin, for saving as ANSI).
const std::string& editor_text(std::int64_t size, bool ansi) {
  static std::map<std::pair<std::int64_t, bool>, std::string> made;
  auto [at, fresh] = made.try_emplace({size, ansi});
  if (fresh) at->second = bench::editor_form(bench::whole_lines(static_cast<std::size_t>(size), ansi));
  return at->second;
}

std::span<const std::uint8_t> as_bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void count_bytes(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void copy_limit(benchmark::State& state) {
  const std::string& bytes = file_bytes(state.range(0));
  // Into a new buffer each time (not zeroed first), as every path below
  // must allocate its result.
  for (auto _ : state) {
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[bytes.size()]);
    std::memcpy(out.get(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(out.get());
  }
  count_bytes(state, bytes.size());
}
BENCHMARK(copy_limit)->Arg(small_file)->Arg(large_file);

// Opening: the decoder, the refusal of binary files and the line-end count,
// on the bytes read from the file.
void decode_file(benchmark::State& state) {
  const std::string& bytes = file_bytes(state.range(0));
  for (auto _ : state) {
    // The bytes as the file was read, given up to the decoder as opening
    // does; making them is not part of the time.
    state.PauseTiming();
    std::string read = bytes;
    state.ResumeTiming();
    auto decoded = decode_contents_in_place("bench.txt", std::move(read));
    benchmark::DoNotOptimize(decoded->text.data());
  }
  count_bytes(state, bytes.size());
}
BENCHMARK(decode_file)->Arg(small_file)->Arg(large_file);

// Saving: the editor's CR paragraph ends become CR LF, then the encoding:
// convert_line_ends and encode_text, in the one pass saving makes.
void save_as(benchmark::State& state, Encoding encoding) {
  const std::string& text = editor_text(state.range(0), encoding == Encoding::Ansi);
  for (auto _ : state) {
    auto encoded = encode_text(text, Eol::CrLf, encoding);
    benchmark::DoNotOptimize(encoded.bytes.data());
    if (encoded.encoding != encoding) state.SkipWithError("the encoding changed on the way");
  }
  count_bytes(state, file_bytes(state.range(0)).size());
}
BENCHMARK_CAPTURE(save_as, utf8, Encoding::Utf8)->Arg(small_file)->Arg(large_file);
BENCHMARK_CAPTURE(save_as, utf8_bom, Encoding::Utf8Bom)->Arg(small_file)->Arg(large_file);
BENCHMARK_CAPTURE(save_as, utf16_le, Encoding::Utf16Le)->Arg(small_file)->Arg(large_file);
BENCHMARK_CAPTURE(save_as, utf16_be, Encoding::Utf16Be)->Arg(small_file)->Arg(large_file);
BENCHMARK_CAPTURE(save_as, ansi, Encoding::Ansi)->Arg(small_file)->Arg(large_file);

const std::vector<std::uint8_t> bench_key(32, 7);

void raw_gcm(benchmark::State& state) {
  const std::string& bytes = file_bytes(state.range(0));
  const std::vector<std::uint8_t> nonce(12, 9);
  std::vector<std::uint8_t> tag(16);
  gcry_cipher_hd_t h = nullptr;
  // Initialises the library the way the program does before the first use.
  static_cast<void>(seal(bench_key, {}));
  gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0);
  gcry_cipher_setkey(h, bench_key.data(), bench_key.size());
  for (auto _ : state) {
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[bytes.size()]);
    gcry_cipher_reset(h);
    gcry_cipher_setiv(h, nonce.data(), nonce.size());
    gcry_cipher_encrypt(h, out.get(), bytes.size(), bytes.data(), bytes.size());
    gcry_cipher_gettag(h, tag.data(), tag.size());
    benchmark::DoNotOptimize(out.get());
  }
  gcry_cipher_close(h);
  count_bytes(state, bytes.size());
}
BENCHMARK(raw_gcm)->Arg(small_file)->Arg(large_file);

void seal_text(benchmark::State& state) {
  const std::string& bytes = file_bytes(state.range(0));
  for (auto _ : state) {
    auto sealed = seal(bench_key, as_bytes(bytes));
    benchmark::DoNotOptimize(sealed->data());
  }
  count_bytes(state, bytes.size());
}
BENCHMARK(seal_text)->Arg(small_file)->Arg(large_file);

// Where sealing's time goes beside the cipher. The fixed part of every seal:
// a fresh nonce from the system's random source, the cipher set up with the
// key in libgcrypt's secure memory, the tag; the same for any size.
void seal_fixed(benchmark::State& state) {
  for (auto _ : state) {
    auto sealed = seal(bench_key, {});
    benchmark::DoNotOptimize(sealed->data());
  }
}
BENCHMARK(seal_fixed);

// The cipher in the slices seal uses (4 KiB), into memory that is not
// zeroed first: the slicing alone, without growing the sealed buffer.
void gcm_slices(benchmark::State& state) {
  constexpr std::size_t slice = 4 * 1024;
  const std::string& bytes = file_bytes(state.range(0));
  const std::vector<std::uint8_t> nonce(12, 9);
  std::vector<std::uint8_t> tag(16);
  gcry_cipher_hd_t h = nullptr;
  static_cast<void>(seal(bench_key, {}));
  gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0);
  gcry_cipher_setkey(h, bench_key.data(), bench_key.size());
  for (auto _ : state) {
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[bytes.size()]);
    gcry_cipher_reset(h);
    gcry_cipher_setiv(h, nonce.data(), nonce.size());
    for (std::size_t done = 0; done < bytes.size(); done += slice) {
      const std::size_t length = std::min(slice, bytes.size() - done);
      gcry_cipher_encrypt(h, out.get() + done, length, bytes.data() + done, length);
    }
    gcry_cipher_gettag(h, tag.data(), tag.size());
    benchmark::DoNotOptimize(out.get());
  }
  gcry_cipher_close(h);
  count_bytes(state, bytes.size());
}
BENCHMARK(gcm_slices)->Arg(small_file)->Arg(large_file);

}  // namespace

int main(int argc, char** argv) {
  // Freed memory stays with the process and is handed out again, instead of
  // going back to the system and coming back as fresh pages: on the virtual
  // machines this runs on, the first touch of a fresh page costs about as
  // much as copying a megabyte per 256 pages, which would drown every
  // figure here in the allocator's choice of when to return memory.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
