#pragma once
// The Start menu shortcut, made through the shell's own link object.

#include <string>

#include "base/result.h"

// A shortcut at `link_path` that starts `target` in `working_folder`, with
// `target`'s first icon. The error is the system's text.
Result<void> create_shortcut(const std::string& link_path, const std::string& target, const std::string& working_folder,
                             const std::string& description);
