#pragma once
// Where the tabs are kept between runs: the data folder and, while a
// password is set and unlocked, the vault's master key.

#include <optional>
#include <string>

#include "base/secure_buffer.h"

struct SessionStore {
  std::string dir;                        // %APPDATA%\Nimbol, UTF-8
  std::optional<SecureBuffer> vault_key;  // 32 bytes while a password is set
};
