// Changing one setting: in the state first, then on disk.

#include <windows.h>

#include "store/settings_change.h"

#include "model/app_state.h"
#include "store/settings.h"

std::optional<Config> change_settings(const std::function<void(Config&)>& change) {
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return std::nullopt;
    change(state->config);
    config = state->config;
  }
  save_config(config);
  return config;
}
