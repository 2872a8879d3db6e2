#pragma once
// The settings file: reading it forgivingly and writing it exactly.

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

// The largest config.json that is read; a larger one is not ours and counts
// as invalid, so the defaults apply.
inline constexpr std::uint64_t MAX_CONFIG_FILE_SIZE = 1 << 20;

Config load_config();
void save_config(const Config& config);
