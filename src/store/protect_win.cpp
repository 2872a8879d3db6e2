// Protection without a password: the Windows data-protection API ties the
// bytes to the current user account on this computer. Its output buffers
// belong to LocalAlloc; the decrypted one is wiped before it goes back.

#include <windows.h>

#include <dpapi.h>

#include <limits>

#include "store/protect.h"

namespace {

// Owns a DATA_BLOB that CryptProtectData or CryptUnprotectData filled in.
class LocalBlob {
 public:
  explicit LocalBlob(bool secret) : secret_(secret) {}
  LocalBlob(const LocalBlob&) = delete;
  LocalBlob& operator=(const LocalBlob&) = delete;
  ~LocalBlob() {
    if (blob_.pbData == nullptr) return;
    if (secret_) secure_wipe(blob_.pbData, blob_.cbData);
    ::LocalFree(blob_.pbData);
  }
  DATA_BLOB* get() noexcept { return &blob_; }
  std::span<const std::uint8_t> bytes() const noexcept { return {blob_.pbData, blob_.cbData}; }

 private:
  DATA_BLOB blob_{};
  bool secret_;
};

// DATA_BLOB takes a non-const pointer although the input is only read.
Result<DATA_BLOB> input_blob(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return fail("The data is too large to protect.");
  return DATA_BLOB{static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())};
}

}  // namespace

Result<std::vector<std::uint8_t>> protect_data(std::span<const std::uint8_t> bytes,
                                               const std::optional<SecureBuffer>& vault_key) {
  if (vault_key) return seal_protected(vault_key->span(), bytes);
  auto in = input_blob(bytes);
  if (!in) return fail(in.error());
  LocalBlob out(false);
  if (!::CryptProtectData(&*in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.get())) {
    return fail("The data could not be protected.");
  }
  const auto protected_bytes = out.bytes();
  return std::vector<std::uint8_t>(protected_bytes.begin(), protected_bytes.end());
}

Result<SecureBuffer> unprotect_data(std::span<const std::uint8_t> bytes, const std::optional<SecureBuffer>& vault_key) {
  if (is_sealed_form(bytes)) {
    if (!vault_key) return fail("The data is protected by a password.");
    return open_protected(vault_key->span(), bytes);
  }
  auto in = input_blob(bytes);
  if (!in) return fail(in.error());
  LocalBlob out(true);
  if (!::CryptUnprotectData(&*in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, out.get())) {
    return fail("The data could not be unprotected.");
  }
  return SecureBuffer(out.bytes());
}
