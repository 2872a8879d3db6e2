#pragma once
// The tab strip as a screen reader meets it: a page-tab list whose children
// are the menu button, each tab followed by its close button where one is
// painted, and the plus button; and what each child does when used.

#include <vector>

#include "editor/strip_layout.h"
#include "editor/tab_model.h"
#include "ui/access_view.h"

struct StripAccess {
  AccessView view;
  // What acting on child i means, as the same click on the strip would.
  std::vector<StripHit> targets;
};

// While the text is covered no title is told, not even how many tabs there
// are: the strip is hidden and has no children.
StripAccess strip_access(const StripLayout& layout, const TabStripSnapshot& snapshot, bool covered);
