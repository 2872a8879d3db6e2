#pragma once
// The settings file: reading it forgivingly, writing it exactly, and the
// atomic write that every file the program owns goes through.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "model/config.h"

// Pure: the settings that `text` holds, or the complete defaults when the
// text is not a valid settings file as a whole.
Config parse_config(std::string_view text);

// Pure: the file's bytes, two-space indented, keys in record order, no final
// line break.
std::string serialize_config(const Config& config);

// %APPDATA%\Nimbol, or nothing when APPDATA is not set.
std::optional<std::string> data_folder();
std::optional<std::string> config_path();

Config load_config();
void save_config(const Config& config);

// Writes beside the target with ".tmp" appended, flushes, then replaces the
// target, so a crash leaves the old file or the new one, never a mixture.
Result<void> write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes);
