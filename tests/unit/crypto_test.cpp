#include "store/crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/vault_file.h"

#ifdef NIMBOL_HAVE_ARGON2_ORACLE
#include <argon2.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

Bytes unhex(std::string_view digits) {
  auto bytes = from_hex(digits);
  EXPECT_TRUE(bytes.has_value()) << digits;
  return bytes.value_or(Bytes{});
}

Bytes counting(std::size_t size, std::uint8_t start = 0) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(start + i * 7);
  return out;
}

std::string hex_of(const SecureBuffer& buffer) { return to_hex(buffer.span()); }

// Values from the reference Argon2 library (argon2id_hash_raw with t=2,
// m=19456, p=1), so that the Windows build, which has no oracle linked,
// checks its derivation too.
TEST(DeriveKey, GivesTheReferenceArgon2idBytes) {
  struct Case {
    std::string password;
    Bytes salt;
    std::string expected;
  };
  Bytes ascending(16);
  for (std::size_t i = 0; i < ascending.size(); ++i) ascending[i] = static_cast<std::uint8_t>(i);
  const Case cases[] = {
      {"correct horse battery staple", ascending, "818259b6310026a8e0dbac5d2e6927abcfdb07b32258fac4f61b18b80f929085"},
      {"p\xc3\xa4ssw\xc3\xb6rd \xe2\x9c\x93 \xe5\xaf\x86\xe7\xa0\x81 \xf0\x9f\x94\x91", bytes_of("saltsalt"),
       "ada373f2854ada8c3ab236c64b42cbd4a4e37d6183cd6010531d7c093f122f4a"},
  };
  for (const auto& c : cases) {
    auto key = derive_key(bytes_of(c.password), c.salt);
    ASSERT_TRUE(key.has_value()) << key.error();
    EXPECT_EQ(hex_of(*key), c.expected) << c.password;
  }
}

#ifdef NIMBOL_HAVE_ARGON2_ORACLE
TEST(DeriveKey, EqualsTheReferenceLibraryOnAssortedInputs) {
  std::string with_nul("a\0b", 3);
  struct Case {
    std::string password;
    Bytes salt;
  };
  const Case cases[] = {
      {"x", counting(8, 1)},                                                                    // shortest salt allowed
      {"hunter2", counting(16, 200)},                                                           // the usual salt size
      {"\xce\xb1\xce\xb2\xce\xb3 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80", counting(16, 3)},  // non-ASCII
      {std::string(5000, 'k') + "end", counting(16, 9)},  // far longer than a block
      {with_nul, counting(64, 5)},                        // bytes, not a C string; long salt
  };
  for (const auto& c : cases) {
    const Bytes password = bytes_of(c.password);
    auto ours = derive_key(password, c.salt);
    ASSERT_TRUE(ours.has_value()) << ours.error();
    std::uint8_t reference[32];
    ASSERT_EQ(argon2id_hash_raw(2, 19456, 1, password.data(), password.size(), c.salt.data(), c.salt.size(), reference,
                                sizeof reference),
              ARGON2_OK);
    EXPECT_EQ(hex_of(*ours), to_hex(reference)) << "password of " << password.size() << " bytes";
  }
}
#endif

TEST(DeriveKey, RefusesWhatArgon2CannotTake) {
  const Bytes password = bytes_of("secret");
  EXPECT_FALSE(derive_key(password, counting(7)).has_value());
  EXPECT_FALSE(derive_key(password, Bytes{}).has_value());
  EXPECT_FALSE(derive_key(Bytes{}, counting(16)).has_value());
  // The length is refused before a single byte is read, so the span may
  // claim more than the buffer holds.
  const std::uint8_t one = 'a';
  EXPECT_FALSE(derive_key({&one, std::size_t{1} << 32}, counting(16)).has_value());
}

TEST(Seal, RoundTripsEverySizeAroundTheBlockBoundaries) {
  const Bytes key = counting(32, 11);
  for (const std::size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 33u, 1000u, 8191u, 8192u, 8193u, 65536u + 3u}) {
    const Bytes plain = counting(size, static_cast<std::uint8_t>(size));
    auto blob = seal(key, plain);
    ASSERT_TRUE(blob.has_value()) << blob.error();
    ASSERT_EQ(blob->size(), size + 28);
    auto opened = open_sealed(key, *blob);
    ASSERT_TRUE(opened.has_value()) << "size " << size;
    EXPECT_EQ(Bytes(opened->span().begin(), opened->span().end()), plain) << "size " << size;
  }
}

TEST(Seal, AppendsBehindAMarkAndLeavesItAloneOnFailure) {
  const Bytes key = counting(32, 3);
  Bytes out = bytes_of("MARK");
  ASSERT_TRUE(seal_into(out, key, bytes_of("behind the mark")));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), bytes_of("MARK"));
  auto opened = open_sealed(key, std::span(out).subspan(4));
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(opened->view(), "behind the mark");
  const Bytes before = out;
  EXPECT_FALSE(seal_into(out, counting(16), bytes_of("a key too short")).has_value());
  EXPECT_EQ(out, before);
}

TEST(Seal, TwoSealingsOfTheSameTextDifferThroughout) {
  const Bytes key = counting(32);
  const Bytes plain = bytes_of("the same text, sealed twice");
  auto a = seal(key, plain);
  auto b = seal(key, plain);
  ASSERT_TRUE(a && b);
  EXPECT_NE(Bytes(a->begin(), a->begin() + 12), Bytes(b->begin(), b->begin() + 12));
  EXPECT_NE(Bytes(a->begin() + 12, a->end()), Bytes(b->begin() + 12, b->end()));
}

TEST(Seal, NeedsAThirtyTwoByteKey) {
  const Bytes plain = bytes_of("text");
  EXPECT_FALSE(seal(counting(16), plain).has_value());
  EXPECT_FALSE(seal(counting(33), plain).has_value());
  auto blob = seal(counting(32), plain);
  ASSERT_TRUE(blob.has_value());
  EXPECT_FALSE(open_sealed(counting(31), *blob).has_value());
}

TEST(Seal, RefusesPlaintextsBeyondTheCounterRange) {
  // Refused on the length alone: nothing of the claimed range is touched.
  const std::uint8_t one = 0;
  EXPECT_FALSE(seal(counting(32), {&one, static_cast<std::size_t>(max_sealed_plaintext + 1)}).has_value());
}

TEST(OpenSealed, FailsOnEveryTamperedByteEveryTruncationAndAnotherKey) {
  const Bytes key = counting(32, 5);
  auto blob = seal(key, bytes_of("twenty-one bytes here"));
  ASSERT_TRUE(blob.has_value());
  for (std::size_t at = 0; at < blob->size(); ++at) {
    for (const std::uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes damaged = *blob;
      damaged[at] ^= flip;
      EXPECT_FALSE(open_sealed(key, damaged).has_value()) << "byte " << at << " ^ " << int(flip);
    }
  }
  for (std::size_t length = 0; length < blob->size(); ++length) {
    EXPECT_FALSE(open_sealed(key, std::span(*blob).first(length)).has_value()) << "length " << length;
  }
  Bytes longer = *blob;
  longer.push_back(0);
  EXPECT_FALSE(open_sealed(key, longer).has_value());
  EXPECT_FALSE(open_sealed(counting(32, 6), *blob).has_value());
}

TEST(OpenSealed, NeverOpensBlobsTooShortForNonceAndTag) {
  const Bytes key(32, 0);
  for (std::size_t length = 0; length <= 27; ++length) {
    EXPECT_FALSE(open_sealed(key, Bytes(length, 0)).has_value()) << "length " << length;
  }
  // The shortest real blob, of an empty text, is 28 bytes and opens.
  auto empty = seal(key, Bytes{});
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(open_sealed(key, *empty).has_value());
}

// Known answers of AES-256-GCM with a 96-bit nonce from the GCM
// published GCM test cases 13 and 14: our blob is nonce | ciphertext | tag
// of the standard construction, so any other GCM implementation reads it.
TEST(OpenSealed, ReadsStandardGcmKnownAnswers) {
  const Bytes zero_key(32, 0);
  const Bytes empty_blob = unhex(
      "000000000000000000000000"
      "530f8afbc74536b9a963b4f1c4cb738b");
  auto empty = open_sealed(zero_key, empty_blob);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());

  const Bytes block_blob = unhex(
      "000000000000000000000000"
      "cea7403d4d606b6e074ec5d3baf39d18"
      "d0d1c8a799996bf0265b98b5d48ab919");
  auto block = open_sealed(zero_key, block_blob);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(Bytes(block->span().begin(), block->span().end()), Bytes(16, 0));
}

}  // namespace
