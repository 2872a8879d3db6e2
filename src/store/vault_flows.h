#pragma once
// The password as the user meets it: asked for at start when the tabs are
// stored under one, and set, changed or removed from the menu. Each flow
// runs its prompt and message boxes on the GUI thread; none may be called
// while the application state is borrowed.

#include <windows.h>

#include <variant>

#include "base/secure_buffer.h"

// No vault in the data folder (or no data folder): start as usual, without
// a key.
struct NoPassword {};
// The password was forgotten and the old data set aside: start without a
// key and with nothing to restore.
struct PasswordForgotten {};
// "Exit", Esc or the close box: end the process (exit code 0) before any
// window of the program exists.
struct ExitRequested {};

// The 32-byte master key when the password opened the vault.
using StartUnlock = std::variant<SecureBuffer, NoPassword, PasswordForgotten, ExitRequested>;

// Asks for the password when vault.json exists in the data folder, with the
// way out through "Forgot It..."; without a vault it asks nothing.
[[nodiscard]] StartUnlock run_start_unlock();

// The three password commands, each owned by the frame. Without APPDATA
// they do nothing.
void set_password_command(HWND frame);
void change_password_command(HWND frame);
void remove_password_command(HWND frame);
