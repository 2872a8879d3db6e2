#pragma once
// What the program's own painted windows tell screen readers: the window
// itself and its parts, each with a role, a name and a state, as plain values
// that the window layer hands to Active Accessibility. Whatever a view does
// not hold cannot be read by anyone.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/status_text.h"

enum class AccessRole : std::uint8_t { PageTabList, PageTab, PushButton, StatusBar, Pane };

struct AccessItem {
  AccessRole role = AccessRole::PushButton;
  std::string name;
  std::string description;
  std::string default_action;  // empty: nothing to do
  bool selectable = false;
  bool selected = false;
  bool invisible = false;
  // Where it is, in the window's client pixels (half-open).
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const AccessItem&) const = default;
};

struct AccessView {
  AccessItem self;
  std::vector<AccessItem> children;
};

// The status bar as a screen reader hears it: the texts it shows, while the
// text is shown. `right_shown` says whether the window is wide enough for
// the right text.
AccessView status_access_view(const StatusTexts& texts, bool right_shown, bool covered);
