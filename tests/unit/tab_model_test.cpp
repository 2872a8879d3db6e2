#include "editor/tab_model.h"

#include <gtest/gtest.h>

namespace {

Tab untitled(std::uint32_t n) {
  Tab tab;
  tab.untitled = n;
  return tab;
}

Tab file(std::string path, std::uint32_t n = 1) {
  Tab tab;
  tab.path = std::move(path);
  tab.untitled = n;
  return tab;
}

TEST(TabModel, NewUntitledTabTakesTheSmallestFreeNumber) {
  EXPECT_EQ(next_untitled_number({}), 1u);
  EXPECT_EQ(next_untitled_number({untitled(1), untitled(3)}), 2u);
  EXPECT_EQ(next_untitled_number({untitled(1), untitled(2), untitled(3)}), 4u);
  EXPECT_EQ(next_untitled_number({untitled(3), untitled(2)}), 1u);
  EXPECT_EQ(next_untitled_number({untitled(2), untitled(2), untitled(1)}), 3u);
  // A file tab keeps its number but does not hold it.
  EXPECT_EQ(next_untitled_number({file("C:\\a.txt", 1), untitled(2)}), 1u);
  EXPECT_EQ(next_untitled_number({file("C:\\a.txt", 1), file("C:\\b.txt", 2)}), 1u);
}

TEST(TabModel, TitlesShowTheFileNameOrTheUntitledNumber) {
  EXPECT_EQ(tab_title(untitled(0)), "Untitled");
  EXPECT_EQ(tab_title(untitled(1)), "Untitled");
  EXPECT_EQ(tab_title(untitled(2)), "Untitled 2");
  EXPECT_EQ(tab_title(untitled(4000000000u)), "Untitled 4000000000");
  EXPECT_EQ(tab_title(file("C:\\Notes\\todo.txt")), "todo.txt");
  EXPECT_EQ(tab_title(file("C:/Notes/todo.txt")), "todo.txt");
  EXPECT_EQ(tab_title(file("\\\\server\\share\\Ärger.md")), "Ärger.md");
  EXPECT_EQ(tab_title(file("readme")), "readme");
  // A path without a file-name component shows whole.
  EXPECT_EQ(tab_title(file("C:\\Notes\\")), "C:\\Notes\\");
}

TEST(TabModel, PathsMatchWithOnlyAsciiLettersFolded) {
  EXPECT_TRUE(same_path("C:\\Notes\\A.txt", "c:\\notes\\a.TXT"));
  EXPECT_FALSE(same_path("C:\\Notes\\Ä.txt", "C:\\Notes\\ä.txt"));
  EXPECT_FALSE(same_path("C:\\Notes\\a.txt", "C:\\Notes\\a.txt "));
  EXPECT_FALSE(same_path("C:\\a[", "C:\\a{"));  // '[' and '{' differ by the fold bit but are no letters
}

TEST(TabModel, ActiveAfterCloseFollowsTheUsersTab) {
  struct Case {
    std::size_t active, removed, count, expected;
  };
  const Case cases[] = {
      {2, 0, 3, 1},  // closing the first of three while the third is active
      {0, 0, 3, 0},  // the active first tab: its right neighbour takes its place
      {1, 1, 3, 1},  // the active middle tab: the next one moves into its place
      {2, 2, 3, 1},  // the active last tab: the one before it
      {0, 2, 3, 0},  // a tab after the active one changes nothing
      {0, 0, 1, 0},  // the only tab: stays 0 (the list is empty)
      {1, 0, 2, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(active_after_close(c.active, c.removed, c.count), c.expected)
        << "active " << c.active << " removed " << c.removed << " of " << c.count;
  }
}

TEST(TabModel, ActiveFollowsItsTabWhenTabsAreReordered) {
  struct Case {
    std::size_t active, from, to, expected;
  };
  const Case cases[] = {
      {2, 2, 0, 0},  // dragging the active third tab onto the first
      {0, 2, 0, 1},  // another tab dragged in front of the active one
      {1, 0, 2, 0},  // a tab from before the active one dragged past it
      {1, 2, 3, 1},  // a move entirely after the active tab
      {3, 0, 1, 3},  // a move entirely before it
      {1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(active_after_move(c.active, c.from, c.to), c.expected)
        << "active " << c.active << " from " << c.from << " to " << c.to;
    // The arithmetic agrees with actually moving the list.
    std::vector<int> order = {0, 1, 2, 3};
    move_element(order, c.from, c.to);
    EXPECT_EQ(order[active_after_move(c.active, c.from, c.to)], static_cast<int>(c.active));
  }
}

}  // namespace
