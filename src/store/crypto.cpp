// Key derivation and authenticated encryption for the vault, on libgcrypt.
// Everything secret that passes through here (passwords, derived keys,
// plaintexts) stays in wiped buffers, and libgcrypt keeps its own copies of
// key material in its secure memory pool, which it wipes as well.

#include "store/crypto.h"

#include <gcrypt.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "store/random.h"

namespace {

struct CipherCloser {
  void operator()(gcry_cipher_hd_t h) const noexcept { gcry_cipher_close(h); }
};
struct KdfCloser {
  void operator()(gcry_kdf_hd_t h) const noexcept { gcry_kdf_close(h); }
};
using UniqueCipher = std::unique_ptr<std::remove_pointer_t<gcry_cipher_hd_t>, CipherCloser>;
using UniqueKdf = std::unique_ptr<std::remove_pointer_t<gcry_kdf_hd_t>, KdfCloser>;

// Argon2 through gcry_kdf_open arrived in 1.10.
constexpr const char* minimum_gcrypt = "1.10.0";

// libgcrypt must be initialised once, before first use, by the program that
// uses it. The secure pool holds the AES key schedules; where it cannot be
// locked into memory (no privilege, or Windows), it still works as a pool
// that is wiped, and the warning about that would only reach a console
// nobody sees.
bool gcrypt_ready() noexcept {
  static const bool ready = [] {
    if (gcry_check_version(minimum_gcrypt) == nullptr) return false;
    gcry_control(GCRYCTL_DISABLE_SECMEM_WARN);
    gcry_control(GCRYCTL_INIT_SECMEM, 65536, 0);
    gcry_control(GCRYCTL_AUTO_EXPAND_SECMEM, 65536, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  return ready;
}

constexpr const char* crypto_unavailable = "The encryption library is not available.";

Result<UniqueCipher> open_cipher(std::span<const std::uint8_t> key, std::span<const std::uint8_t> nonce) {
  if (!gcrypt_ready()) return fail(crypto_unavailable);
  if (key.size() != key_size) return fail("The key has the wrong size.");
  gcry_cipher_hd_t raw = nullptr;
  if (gcry_cipher_open(&raw, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, GCRY_CIPHER_SECURE) != 0) {
    return fail("The cipher could not be set up.");
  }
  UniqueCipher cipher(raw);
  if (gcry_cipher_setkey(cipher.get(), key.data(), key.size()) != 0 ||
      gcry_cipher_setiv(cipher.get(), nonce.data(), nonce.size()) != 0) {
    return fail("The cipher could not be set up.");
  }
  return cipher;
}

}  // namespace

Result<SecureBuffer> derive_key(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt) {
  if (!gcrypt_ready()) return fail(crypto_unavailable);
  if (salt.size() < min_salt_size || salt.size() > 0xFFFFFFFFu) return fail("The salt is too short.");
  if (password.size() > 0xFFFFFFFFu) return fail("The password is too long.");
  // libgcrypt refuses an empty passphrase; say so before it does.
  if (password.empty()) return fail("The password is empty.");

  const unsigned long params[4] = {key_size, argon2_iterations, argon2_memory_kib, argon2_lanes};
  gcry_kdf_hd_t raw = nullptr;
  if (gcry_kdf_open(&raw, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, params, 4, password.data(), password.size(), salt.data(),
                    salt.size(), nullptr, 0, nullptr, 0) != 0) {
    return fail("The key could not be derived.");
  }
  UniqueKdf kdf(raw);
  SecureBuffer key(key_size);
  if (gcry_kdf_compute(kdf.get(), nullptr) != 0 || gcry_kdf_final(kdf.get(), key.size(), key.data()) != 0) {
    return fail("The key could not be derived.");
  }
  return key;
}

Result<void> seal_into(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> key,
                       std::span<const std::uint8_t> plaintext) {
  if (plaintext.size() > max_sealed_plaintext) return fail("The data is too large to encrypt.");
  const std::size_t start = out.size();
  out.reserve(start + sealing_overhead + plaintext.size());
  out.resize(start + nonce_size);
  const std::span<std::uint8_t> nonce(out.data() + start, nonce_size);
  fill_random(nonce);
  auto cipher = open_cipher(key, nonce);
  if (!cipher) {
    out.resize(start);
    return fail(cipher.error());
  }
  // Slice by slice, each made room for and encrypted into while that room
  // is still in the cache: a tab of many megabytes is not first zeroed
  // whole in memory and then written over. At 4 KiB the slice of plaintext,
  // the zeroed room and GCM's hashing of what it wrote all stay in the
  // first-level cache, which made sealing measurably faster than with 8 KiB
  // or more; it is then about as fast as one libgcrypt call over the whole
  // text, which hashes the text only after encrypting all of it.
  constexpr std::size_t slice = 4 * 1024;
  const std::size_t body = start + nonce_size;
  std::size_t done = 0;
  do {
    const std::size_t length = std::min(slice, plaintext.size() - done);
    out.resize(out.size() + length);
    // An empty plaintext still needs the (empty) encrypt call: GCM computes
    // the tag over what was processed, and nothing is a valid message.
    if (gcry_cipher_encrypt(cipher->get(), out.data() + body + done, length, plaintext.data() + done, length) != 0) {
      out.resize(start);
      return fail("The data could not be encrypted.");
    }
    done += length;
  } while (done < plaintext.size());
  out.resize(out.size() + tag_size);
  if (gcry_cipher_gettag(cipher->get(), out.data() + body + done, tag_size) != 0) {
    out.resize(start);
    return fail("The data could not be encrypted.");
  }
  return {};
}

Result<std::vector<std::uint8_t>> seal(std::span<const std::uint8_t> key, std::span<const std::uint8_t> plaintext) {
  std::vector<std::uint8_t> blob;
  if (auto sealed = seal_into(blob, key, plaintext); !sealed) return fail(sealed.error());
  return blob;
}

Result<SecureBuffer> open_sealed(std::span<const std::uint8_t> key, std::span<const std::uint8_t> blob) {
  if (blob.size() < sealing_overhead) return fail("The encrypted data is damaged.");
  const std::size_t body_size = blob.size() - sealing_overhead;
  if (body_size > max_sealed_plaintext) return fail("The encrypted data is damaged.");
  auto cipher = open_cipher(key, blob.first(nonce_size));
  if (!cipher) return fail(cipher.error());
  SecureBuffer plain(body_size);
  const std::uint8_t* body = blob.data() + nonce_size;
  if (gcry_cipher_decrypt(cipher->get(), plain.data(), body_size, body, body_size) != 0) {
    return fail("The encrypted data is damaged.");
  }
  // checktag compares in constant time; on a mismatch the plaintext, which
  // nobody may see, is wiped by its buffer.
  if (gcry_cipher_checktag(cipher->get(), body + body_size, tag_size) != 0) {
    return fail("The encrypted data is damaged.");
  }
  return plain;
}
