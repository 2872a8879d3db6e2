#pragma once
// The password vault: a random master key, stored only wrapped under a key
// derived from the password. The pure half (building and opening the
// vault file's text, the checks on a new password, the names that a
// forgotten password sets aside) is core; the file operations on the data
// folder are the Windows layer's.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/secure_buffer.h"

inline constexpr std::string_view vault_file_name = "vault.json";
inline constexpr std::size_t master_key_size = 32;
inline constexpr std::size_t vault_salt_size = 16;

inline constexpr std::string_view msg_not_the_password = "That is not the password.";
inline constexpr std::string_view msg_not_the_current_password = "That is not the current password.";
inline constexpr std::string_view msg_password_empty = "The password is empty.";
inline constexpr std::string_view msg_passwords_differ = "The two passwords differ.";
inline constexpr std::string_view msg_password_not_set = "The password could not be set.";
inline constexpr std::string_view msg_password_not_changed = "The password could not be changed.";
inline constexpr std::string_view forgotten_password_question =
    "There is no way to recover a forgotten password.\n\n"
    "Removing it also removes the notes saved under it: every unsaved tab is lost. "
    "Files you saved yourself are not touched.\n\n"
    "The old data is kept as .bak files in the data folder, in case you remember the password after all.\n\n"
    "Remove the password and start empty?";

// What "Forgot It..." sets aside, in this order.
inline constexpr std::array<std::string_view, 3> forgotten_entries = {"vault.json", "session.dat", "tabs"};

// The text of a new vault.json: a fresh salt, and the master key sealed
// under the key the password derives.
[[nodiscard]] Result<std::string> seal_vault(std::span<const std::uint8_t> master_key,
                                             std::span<const std::uint8_t> password);

// The master key that vault.json's text holds for this password. A wrong
// password and a damaged file cannot be told apart; both give
// "That is not the password."
[[nodiscard]] Result<SecureBuffer> unlock_vault(std::string_view vault_text, std::span<const std::uint8_t> password);

// The checks of a new password and its repetition, in the order the user
// meets them: empty first, then different.
[[nodiscard]] Result<void> check_new_password(std::span<const std::uint8_t> password,
                                              std::span<const std::uint8_t> repeated);

// Whole seconds since 1970 of a Windows file time (100 ns since 1601), 0
// for anything earlier.
std::uint64_t unix_seconds_from_file_time(std::uint64_t file_time);

// "session.dat" at 1767225600 becomes "session.dat.1767225600.bak".
std::string backup_name(std::string_view name, std::uint64_t unix_seconds);

// ---- Windows layer: the vault file in the data folder ----

bool vault_exists(const std::string& data_folder);

// Writes vault.json with the atomic write; the previous file stays intact
// when anything fails.
[[nodiscard]] Result<void> create_vault(const std::string& data_folder, std::span<const std::uint8_t> master_key,
                                        std::span<const std::uint8_t> password);

// The master key, or "That is not the password." for a wrong password and
// for a missing, unreadable or damaged vault.json alike.
[[nodiscard]] Result<SecureBuffer> open_vault(const std::string& data_folder, std::span<const std::uint8_t> password);

// Renames vault.json, session.dat and tabs (each one that exists) to their
// backup names, all with one and the same time. A rename that fails does
// not stop the others; nothing is deleted. Returns whether all succeeded.
bool forget_vault(const std::string& data_folder);

// Removes vault.json. Only to be called once everything stored under the
// master key has been rewritten without it.
[[nodiscard]] Result<void> delete_vault(const std::string& data_folder);
