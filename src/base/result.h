#pragma once
// Operations that can fail return a Result: the value, or the message the
// user will read, worded the way the system's own texts are. Nothing throws
// across modules.

#include <expected>
#include <string>

template <class T>
using Result = std::expected<T, std::string>;

using Failure = std::unexpected<std::string>;

inline Failure fail(std::string message) { return Failure(std::move(message)); }
