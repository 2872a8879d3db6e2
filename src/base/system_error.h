#pragma once
// The system's own words for a Windows error code, for the messages the
// program shows when a file operation fails.

#include <string>

// The description FormatMessageW gives for `code` (a Windows error code), as
// one line of UTF-8 without the trailing line break the system adds.
std::string system_error_text(unsigned long code);
