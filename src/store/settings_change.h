#pragma once
// Every change of a setting goes the same way: the record in the state is
// changed, then written to config.json whole, outside the borrow.

#include <functional>
#include <optional>

#include "model/config.h"

// The changed settings, or none when there is no state (nothing is written).
std::optional<Config> change_settings(const std::function<void(Config&)>& change);
