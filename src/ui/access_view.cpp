#include "ui/access_view.h"

AccessView status_access_view(const StatusTexts& texts, bool right_shown, bool covered) {
  AccessView view;
  view.self.role = AccessRole::StatusBar;
  view.self.invisible = covered;
  if (covered) return view;
  std::string name = texts.left;
  if (right_shown && !texts.right.empty()) {
    if (!name.empty()) name += "      ";
    name += texts.right;
  }
  view.self.name = std::move(name);
  return view;
}
