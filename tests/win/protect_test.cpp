// What the store writes, read back by an independent reader: DPAPI's own
// CryptUnprotectData for the form without a password, and open_sealed for
// the "DFV1" form, rather than unprotect_data alone.

#include <windows.h>

#include <dpapi.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "store/crypto.h"
#include "store/protect.h"
#include "store/random.h"
#include "support.h"

namespace {

using namespace wintest;

class ProtectData : public GuiThreadTest {};

std::optional<Bytes> dpapi_unprotect(const Bytes& bytes) {
  DATA_BLOB in{static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())};
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  Bytes plain(out.pbData, out.pbData + out.cbData);
  LocalFree(out.pbData);
  return plain;
}

const std::string samples[] = {
    "",
    "x",
    "A line of text that must never reach the disk in the clear.\r\nSecond line \xc3\xa9\xe2\x82\xac",
    std::string(70000, 'q'),
};

TEST_F(ProtectData, WithoutAKeyUsesTheAccountsDataProtection) {
  const std::optional<SecureBuffer> no_key;
  for (const auto& sample : samples) {
    // Wine's CryptProtectData refuses empty input; the store never protects
    // nothing (an empty tab has no file, an index is never empty).
    if (sample.empty()) continue;
    const Bytes plain = bytes_of(sample);
    auto stored = protect_data(plain, no_key);
    ASSERT_TRUE(stored.has_value()) << stored.error();
    EXPECT_FALSE(is_sealed_form(*stored));
    if (plain.size() >= 8) EXPECT_FALSE(contains(*stored, plain));

    const auto independent = dpapi_unprotect(*stored);
    ASSERT_TRUE(independent.has_value()) << "size " << plain.size();
    EXPECT_EQ(*independent, plain);

    auto back = unprotect_data(*stored, no_key);
    ASSERT_TRUE(back.has_value()) << back.error();
    EXPECT_EQ(bytes_of(*back), plain);
  }
}

TEST_F(ProtectData, WithAKeyWritesDfv1AndASealedBlob) {
  const std::optional<SecureBuffer> key = random_bytes(32);
  for (const auto& sample : samples) {
    const Bytes plain = bytes_of(sample);
    auto stored = protect_data(plain, key);
    ASSERT_TRUE(stored.has_value()) << stored.error();
    ASSERT_EQ(stored->size(), plain.size() + 32);
    EXPECT_EQ(Bytes(stored->begin(), stored->begin() + 4), bytes_of("DFV1"));
    if (plain.size() >= 8) EXPECT_FALSE(contains(*stored, plain));

    auto independent = open_sealed(key->span(), std::span(*stored).subspan(4));
    ASSERT_TRUE(independent.has_value()) << "size " << plain.size();
    EXPECT_EQ(bytes_of(*independent), plain);

    auto back = unprotect_data(*stored, key);
    ASSERT_TRUE(back.has_value()) << back.error();
    EXPECT_EQ(bytes_of(*back), plain);
  }
}

TEST_F(ProtectData, SealedDataOpensOnlyWithItsKey) {
  const std::optional<SecureBuffer> key = random_bytes(32);
  const std::optional<SecureBuffer> other = random_bytes(32);
  auto stored = protect_data(bytes_of("private"), key);
  ASSERT_TRUE(stored.has_value());
  EXPECT_FALSE(unprotect_data(*stored, std::nullopt).has_value());
  EXPECT_FALSE(unprotect_data(*stored, other).has_value());
  Bytes damaged = *stored;
  damaged.back() ^= 1;
  EXPECT_FALSE(unprotect_data(damaged, key).has_value());
}

TEST_F(ProtectData, DataOfNeitherFormIsRefused) {
  const std::optional<SecureBuffer> key = random_bytes(32);
  // Without the full mark, bytes go to the data-protection API, which
  // refuses what it did not write; with a key that does not change.
  for (const char* text : {"", "DFV", "DFV0 not sealed", "plain text that was never protected"}) {
    EXPECT_FALSE(unprotect_data(bytes_of(text), std::nullopt).has_value()) << text;
    EXPECT_FALSE(unprotect_data(bytes_of(text), key).has_value()) << text;
  }
  // The data-protection form read with a key set still opens: a store
  // being rekeyed reads what it wrote before the password was set.
  auto dpapi = protect_data(bytes_of("before the password"), std::nullopt);
  ASSERT_TRUE(dpapi.has_value());
  auto back = unprotect_data(*dpapi, key);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(bytes_of(*back), bytes_of("before the password"));
}

}  // namespace
