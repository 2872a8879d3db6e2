#include "editor/strip_access.h"

#include <algorithm>

namespace {

AccessItem item(AccessRole role, std::string name, const EdgeRect& area, std::string action) {
  AccessItem out;
  out.role = role;
  out.name = std::move(name);
  out.default_action = std::move(action);
  out.left = area.left;
  out.top = area.top;
  out.right = area.right;
  out.bottom = area.bottom;
  // A part squeezed to nothing is not on the screen.
  out.invisible = area.empty();
  return out;
}

}  // namespace

StripAccess strip_access(const StripLayout& layout, const TabStripSnapshot& snapshot, bool covered) {
  StripAccess out;
  out.view.self.role = AccessRole::PageTabList;
  out.view.self.name = "Tabs";
  out.view.self.invisible = covered;
  if (covered) return out;

  auto add = [&](AccessItem child, StripHit target) {
    out.view.children.push_back(std::move(child));
    out.targets.push_back(target);
  };
  add(item(AccessRole::PushButton, "Main Menu", layout.menu, "Press"), {StripPart::Menu, 0});
  const std::size_t shown = std::min(layout.count, snapshot.tabs.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const TabTitle& tab = snapshot.tabs[i];
    AccessItem t = item(AccessRole::PageTab, tab.title, layout.tab(i), "Switch");
    t.selectable = true;
    t.selected = i == snapshot.active;
    if (tab.dirty) t.description = "Modified";
    add(std::move(t), {StripPart::Tab, i});
    if (layout.close_shown)
      add(item(AccessRole::PushButton, "Close Tab", layout.close_area(i), "Press"), {StripPart::Close, i});
  }
  add(item(AccessRole::PushButton, "New Tab", layout.plus, "Press"), {StripPart::Plus, 0});
  return out;
}
