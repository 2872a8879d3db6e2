#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/strip_access.h"
#include "ui/access_view.h"

namespace {

// One child as a screen reader would list it: role, name, description,
// and S for selected, I for invisible.
std::string spoken(const AccessItem& item) {
  static const char* const roles[] = {"list", "tab", "button", "status", "pane"};
  std::string out = std::string(roles[static_cast<int>(item.role)]) + " " + item.name;
  if (!item.description.empty()) out += " (" + item.description + ")";
  if (item.selected) out += " S";
  if (item.invisible) out += " I";
  return out;
}

std::vector<std::string> spoken(const std::vector<AccessItem>& items) {
  std::vector<std::string> out;
  for (const AccessItem& item : items) out.push_back(spoken(item));
  return out;
}

TEST(StripAccess, ChildrenNameEveryPaintedPartAndNothingWhileCovered) {
  const TabStripSnapshot two{{{"notes.txt", true}, {"Untitled 2", false}}, 1};
  struct Case {
    const char* name;
    std::int32_t width;
    TabStripSnapshot snapshot;
    bool covered;
    std::vector<std::string> children;
  };
  const Case cases[] = {
      {"two tabs",
       1000,
       two,
       false,
       {"button Main Menu", "tab notes.txt (Modified)", "button Close Tab", "tab Untitled 2 S", "button Close Tab",
        "button New Tab"}},
      // Too narrow for close buttons (46 pixels a tab): none is told.
      {"narrow",
       76 + 2 * 46,
       two,
       false,
       {"button Main Menu", "tab notes.txt (Modified)", "tab Untitled 2 S", "button New Tab"}},
      // Narrower than the buttons: the tabs have no width and are not shown.
      {"squeezed",
       50,
       two,
       false,
       {"button Main Menu", "tab notes.txt (Modified) I", "tab Untitled 2 S I", "button New Tab"}},
      {"no tabs", 1000, {}, false, {"button Main Menu", "button New Tab"}},
      {"covered", 1000, two, true, {}},
  };
  for (const Case& c : cases) {
    const StripLayout layout = strip_layout(c.width, 34, 96, c.snapshot.tabs.size());
    const StripAccess access = strip_access(layout, c.snapshot, c.covered);
    EXPECT_EQ(spoken(access.view.children), c.children) << c.name;
    EXPECT_EQ(access.targets.size(), access.view.children.size()) << c.name;
    EXPECT_EQ(access.view.self.role, AccessRole::PageTabList) << c.name;
    EXPECT_EQ(access.view.self.invisible, c.covered) << c.name;
    for (std::size_t i = 0; i < access.view.children.size(); ++i) {
      const AccessItem& child = access.view.children[i];
      EXPECT_FALSE(child.default_action.empty()) << c.name;
      EXPECT_EQ(child.selectable, child.role == AccessRole::PageTab) << c.name;
      // Used through a reader, a part does what a click where it starts does.
      if (!child.invisible) EXPECT_EQ(strip_hit_test(layout, child.left, child.top), access.targets[i]) << c.name;
    }
  }
}

TEST(StatusAccess, TheNameIsWhatTheBarShowsAndNothingWhileCovered) {
  const StatusTexts texts{"Ln 3, Col 7", "100%      Windows (CRLF)      UTF-8"};
  struct Case {
    StatusTexts texts;
    bool right_shown;
    bool covered;
    const char* name;
  };
  const Case cases[] = {
      {texts, true, false, "Ln 3, Col 7      100%      Windows (CRLF)      UTF-8"},
      {texts, false, false, "Ln 3, Col 7"},
      {{}, true, false, ""},
      {texts, true, true, ""},
  };
  for (const Case& c : cases) {
    const AccessView view = status_access_view(c.texts, c.right_shown, c.covered);
    EXPECT_EQ(view.self.name, c.name);
    EXPECT_EQ(view.self.role, AccessRole::StatusBar);
    EXPECT_EQ(view.self.invisible, c.covered);
    EXPECT_TRUE(view.children.empty());
  }
}

}  // namespace
