#include "store/session_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t max_id = std::numeric_limits<std::uint64_t>::max();

StoredTabFile readable(std::string name, std::string_view text) { return {std::move(name), SecureBuffer(text)}; }
StoredTabFile unreadable(std::string name) { return {std::move(name), std::nullopt}; }

Entry entry(std::uint64_t id, std::optional<std::string> path = std::nullopt) {
  return {.id = id, .path = std::move(path), .untitled = static_cast<std::uint32_t>(id), .dirty = true, .sel = {1, 2}};
}

template <class... Files>
std::vector<StoredTabFile> files(Files... f) {
  std::vector<StoredTabFile> out;
  (out.push_back(std::move(f)), ...);
  return out;
}

// What one planned tab amounts to, for compact comparisons.
struct Planned {
  std::uint64_t id;
  std::optional<std::uint64_t> entry_id;  // none: a stored text no entry names
  RestoreSource source;
  std::string text;
  bool operator==(const Planned&) const = default;
};

std::vector<Planned> summary(const RestorePlan& plan) {
  std::vector<Planned> out;
  for (const auto& tab : plan.tabs) {
    out.push_back(
        {tab.id, tab.entry ? std::optional(tab.entry->id) : std::nullopt, tab.source, std::string(tab.text.view())});
  }
  return out;
}

void PrintTo(const Planned& p, std::ostream* os) {
  *os << "{id " << p.id << ", entry " << (p.entry_id ? std::to_string(*p.entry_id) : "none") << ", source "
      << static_cast<int>(p.source) << ", \"" << p.text << "\"}";
}

TEST(TabFileName, NamesAndIdsOfTabFiles) {
  struct Case {
    std::string name;
    std::optional<std::uint64_t> id;
  };
  const Case cases[] = {
      {"7.dat", 7},
      {"007.dat", 7},
      {"+7.dat", 7},
      {"+007.dat", 7},
      {"0.dat", 0},
      {"18446744073709551615.dat", max_id},
      {"000000000000000000000018446744073709551615.dat", max_id},
      {"18446744073709551616.dat", std::nullopt},
      {"99999999999999999999.dat", std::nullopt},
      {"a.dat", std::nullopt},
      {"7.txt", std::nullopt},
      {"-7.dat", std::nullopt},
      {"+.dat", std::nullopt},
      {".dat", std::nullopt},
      {"++7.dat", std::nullopt},
      {"7.dat.tmp", std::nullopt},
      {"7.DAT", std::nullopt},
      {"7 .dat", std::nullopt},
      {" 7.dat", std::nullopt},
      {"7a.dat", std::nullopt},
      {"0x7.dat", std::nullopt},
      {"7.dat.", std::nullopt},
      {"7", std::nullopt},
      {".", std::nullopt},
      {"..", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(tab_file_id(c.name), c.id) << c.name;
  EXPECT_EQ(tab_file_name(7), "7.dat");
  EXPECT_EQ(tab_file_name(0), "0.dat");
  EXPECT_EQ(tab_file_name(max_id), "18446744073709551615.dat");
}

TEST(RestorePlan, WithoutAnIndexTheStoredTextsComeBackInIdOrder) {
  const RestorePlan plan = plan_restore(
      std::nullopt, files(readable("9.dat", "nine"), readable("notes.txt", "x"), readable("3.dat", "three")));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{{3, std::nullopt, RestoreSource::StoredText, "three"},
                                                 {9, std::nullopt, RestoreSource::StoredText, "nine"}}));
  EXPECT_EQ(plan.next_id, 10u);
  EXPECT_EQ(restored_active(plan, std::vector<bool>{true, true}), 0u);
}

TEST(RestorePlan, NothingStoredStartsFromIdOne) {
  const RestorePlan plan = plan_restore(std::nullopt, {});
  EXPECT_TRUE(plan.tabs.empty());
  EXPECT_EQ(plan.next_id, 1u);
  EXPECT_EQ(restored_active(plan, {}), 0u);
}

TEST(RestorePlan, EntriesComeBackInOrderWithTheirTextThenTheOrphans) {
  Index index{.active = 1, .tabs = {entry(5, "C:\\clean.txt"), entry(2), entry(8, "C:\\edited.txt"), entry(4)}};
  const RestorePlan plan = plan_restore(index, files(readable("8.dat", "edited"), readable("2.dat", "two"),
                                                     readable("6.dat", "orphan six"), readable("1.dat", "orphan one")));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{
                               {5, 5, RestoreSource::LoadPath, ""},
                               {2, 2, RestoreSource::StoredText, "two"},
                               {8, 8, RestoreSource::StoredText, "edited"},
                               {4, 4, RestoreSource::Empty, ""},
                               {1, std::nullopt, RestoreSource::StoredText, "orphan one"},
                               {6, std::nullopt, RestoreSource::StoredText, "orphan six"},
                           }));
  EXPECT_EQ(plan.next_id, 9u);
  // The entries travel whole, for path, numbers, encoding and selection.
  ASSERT_TRUE(plan.tabs[2].entry.has_value());
  EXPECT_EQ(*plan.tabs[2].entry, entry(8, "C:\\edited.txt"));
  EXPECT_EQ(restored_active(plan, std::vector<bool>(6, true)), 1u);
}

// A tab the index calls clean was saved, emptied or given up after its
// text was stored; a text of it still on disk (its removal failed, or a
// crash came first) is older than the tab and must not come back.
TEST(RestorePlan, TheStoredTextOfATabTheIndexCallsCleanIsStale) {
  Entry emptied = entry(3);
  emptied.dirty = false;
  Entry saved = entry(4, "C:\\saved.txt");
  saved.dirty = false;
  Entry unreadable_clean = entry(5);
  unreadable_clean.dirty = false;
  // Emptied or saved, then typed into and stored again, and killed before
  // the next index: the file is newer than the index that calls it clean.
  Entry typed_again = entry(8);
  typed_again.dirty = false;
  StoredTabFile typed_since = readable("8.dat", "typed after the index");
  typed_since.written_since_index = true;
  Index index{.active = 0, .tabs = {emptied, saved, unreadable_clean, entry(6), typed_again}};
  const RestorePlan plan =
      plan_restore(index, files(readable("3.dat", "deleted by the user"), readable("4.dat", "before the save"),
                                unreadable("5.dat"), readable("6.dat", "modified"), std::move(typed_since)));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{
                               {3, 3, RestoreSource::Empty, ""},
                               {4, 4, RestoreSource::LoadPath, ""},
                               // Unreadable: left alone, under a fresh id, as for a modified tab.
                               {9, 5, RestoreSource::Empty, ""},
                               {6, 6, RestoreSource::StoredText, "modified"},
                               {8, 8, RestoreSource::StoredText, "typed after the index"},
                           }));
  EXPECT_EQ(plan.stale_files, (std::vector<std::string>{"3.dat", "4.dat"}));
}

TEST(RestorePlan, AFileThatCannotBeReadIsNeverGivenToATab) {
  const std::string not_utf8 = "ok\xc3(";
  Index index{.active = 0, .tabs = {entry(3), entry(4, "C:\\a.txt"), entry(5)}};
  const RestorePlan plan =
      plan_restore(index, files(unreadable("3.dat"), readable("4.dat", not_utf8), readable("5.dat", "fine"),
                                unreadable("12.dat"), readable("10.dat", "\xed\xa0\x80")));
  // Entries 3 and 4 keep their place but move to fresh ids past every file
  // present, so their own files stay untouched; the unreadable texts that
  // no entry names (10, 12) stay where they are.
  EXPECT_EQ(summary(plan), (std::vector<Planned>{
                               {13, 3, RestoreSource::Empty, ""},
                               {14, 4, RestoreSource::LoadPath, ""},
                               {5, 5, RestoreSource::StoredText, "fine"},
                           }));
  EXPECT_EQ(plan.next_id, 15u);
}

TEST(RestorePlan, EachIdBelongsToOneTabOnly) {
  Index index{.active = 0, .tabs = {entry(7), entry(7, "C:\\b.txt"), entry(7)}};
  const RestorePlan plan = plan_restore(index, files(readable("7.dat", "seven")));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{
                               {7, 7, RestoreSource::StoredText, "seven"},
                               {8, 7, RestoreSource::LoadPath, ""},
                               {9, 7, RestoreSource::Empty, ""},
                           }));
  EXPECT_EQ(plan.next_id, 10u);
}

TEST(RestorePlan, OtherSpellingsOfAnIdAreReadButThePlainNameWins) {
  const RestorePlan only_padded = plan_restore(Index{.tabs = {entry(7)}}, files(readable("007.dat", "padded")));
  EXPECT_EQ(summary(only_padded), (std::vector<Planned>{{7, 7, RestoreSource::StoredText, "padded"}}));
  // The tab's text is known to sit under that name.
  EXPECT_EQ(only_padded.tabs[0].file_name, "007.dat");

  const RestorePlan both = plan_restore(
      std::nullopt, files(readable("+7.dat", "plus"), readable("7.dat", "plain"), readable("07.dat", "zero")));
  EXPECT_EQ(summary(both), (std::vector<Planned>{{7, std::nullopt, RestoreSource::StoredText, "plain"}}));

  const RestorePlan no_plain =
      plan_restore(std::nullopt, files(readable("07.dat", "zero"), readable("+7.dat", "plus")));
  EXPECT_EQ(summary(no_plain), (std::vector<Planned>{{7, std::nullopt, RestoreSource::StoredText, "plus"}}));
}

// Whatever ids the folder and the index hold, the ids from next_id on are
// free for longer than any run can use them, and none wraps around.
TEST(RestorePlan, IdsNearTheTopNeitherWrapNorMeetIdsInUse) {
  constexpr std::uint64_t room = fresh_id_room;
  struct Case {
    std::vector<std::uint64_t> taken;
    std::uint64_t next_id;
  };
  const Case cases[] = {
      {{}, 1},
      {{3, 9}, 10},
      {{0}, 1},
      {{max_id - room}, max_id - room + 1},  // just enough room left after it
      {{max_id - room + 1}, 1},
      {{max_id - 1}, 1},
      {{max_id}, 1},
      {{1, 2, 5, max_id - 1}, 6},
      {{1, room, max_id}, room + 1},  // the gap below `room` is one short
      {{0, 1, room + 2, max_id}, 2},
  };
  for (const Case& c : cases) {
    const std::set<std::uint64_t> taken(c.taken.begin(), c.taken.end());
    const std::uint64_t next = first_free_id(taken);
    EXPECT_EQ(next, c.next_id) << ::testing::PrintToString(c.taken);
    EXPECT_LE(next, max_id - room + 1);
    for (const std::uint64_t id : taken) EXPECT_FALSE(id >= next && id - next < room) << id;
  }
}

TEST(RestorePlan, AFileNamedNearTheTopDoesNotPushTheIdsToTheEnd) {
  const std::string near_end = std::to_string(max_id - 1) + ".dat";
  const RestorePlan plan =
      plan_restore(Index{.tabs = {entry(2), entry(2)}}, files(unreadable(near_end), readable("2.dat", "two")));
  EXPECT_EQ(summary(plan),
            (std::vector<Planned>{{2, 2, RestoreSource::StoredText, "two"}, {3, 2, RestoreSource::Empty, ""}}));
  EXPECT_EQ(plan.next_id, 4u);
}

TEST(RestorePlan, TheLargestIdsAreIdsLikeAnyOther) {
  const std::string largest = std::to_string(max_id) + ".dat";
  const std::string last = std::to_string(max_id - 1) + ".dat";
  const RestorePlan plan =
      plan_restore(Index{.tabs = {entry(max_id), entry(max_id - 1), entry(max_id - 1), entry(2)}},
                   files(readable(largest, "end"), readable(last, "kept"), readable("2.dat", "x")));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{{max_id, max_id, RestoreSource::StoredText, "end"},
                                                 {max_id - 1, max_id - 1, RestoreSource::StoredText, "kept"},
                                                 {3, max_id - 1, RestoreSource::Empty, ""},
                                                 {2, 2, RestoreSource::StoredText, "x"}}));
  EXPECT_EQ(plan.next_id, 4u);
}

TEST(RestorePlan, EmptyStoredTextIsStillText) {
  const RestorePlan plan = plan_restore(Index{.tabs = {entry(1, "C:\\a.txt")}}, files(readable("1.dat", "")));
  EXPECT_EQ(summary(plan), (std::vector<Planned>{{1, 1, RestoreSource::StoredText, ""}}));
}

TEST(RestorePlan, TheActiveTabStaysActiveWhenTabsBeforeItAreDropped) {
  Index index{.active = 2, .tabs = {entry(1, "C:\\gone.txt"), entry(2), entry(3), entry(4)}};
  const RestorePlan plan = plan_restore(index, {});
  struct Case {
    std::vector<bool> kept;
    std::size_t active;
  };
  const Case cases[] = {
      {{true, true, true, true}, 2},   {{false, true, true, true}, 1},  // follows its tab
      {{false, false, true, true}, 0}, {{true, true, false, true}, 2},  // the active one is gone: its place, limited
      {{true, false, false, true}, 1}, {{true, false, false, false}, 0}, {{false, false, false, false}, 0}, {{}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(restored_active(plan, c.kept), c.active) << ::testing::PrintToString(c.kept);
  }
}

TEST(RestorePlan, AStoredActivePastTheEndIsLimitedToTheLastTab) {
  const RestorePlan plan =
      plan_restore(Index{.active = 99, .tabs = {entry(1), entry(2)}}, files(readable("5.dat", "o")));
  EXPECT_FALSE(plan.active_tab.has_value());
  EXPECT_EQ(restored_active(plan, std::vector<bool>{true, true, true}), 2u);
  const RestorePlan huge = plan_restore(Index{.active = max_id, .tabs = {entry(1)}}, {});
  EXPECT_EQ(restored_active(huge, std::vector<bool>{true}), 0u);
}

// ---- the ledger ----

Index stored(std::vector<Entry> entries) { return Index{.active = 0, .tabs = std::move(entries)}; }
Entry clean(std::uint64_t id) {
  Entry e = entry(id, "C:\\a.txt");
  e.dirty = false;
  return e;
}

std::vector<std::string> sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// A text goes only with an index on disk that no longer refers to it.
TEST(StoreLedger, TextsGoOnceTheIndexNoLongerRefersToThem) {
  struct Case {
    const char* what;
    std::function<void(StoreLedger&)> events;
    Index written;
    std::vector<std::string> removable;
  };
  const Case cases[] = {
      {"nothing dropped", [](StoreLedger&) {}, stored({}), {}},
      {"saved: the index says clean", [](StoreLedger& l) { l.text_dropped(7); }, stored({clean(7)}), {"7.dat"}},
      {"saved, but the index written still has it modified",
       [](StoreLedger& l) { l.text_dropped(7); },
       stored({entry(7)}),
       {}},
      {"closed: gone from the index", [](StoreLedger& l) { l.text_dropped(7); }, stored({entry(3)}), {"7.dat"}},
      {"dropped, then modified and written again",
       [](StoreLedger& l) {
         l.text_dropped(7);
         l.text_written(7);
       },
       stored({}),
       {}},
      {"restored from another spelling and closed",
       [](StoreLedger& l) {
         l.restored_from(7, "007.dat");
         l.text_dropped(7);
       },
       stored({}),
       {"007.dat", "7.dat"}},
      {"restored from another spelling, then written under its own name",
       [](StoreLedger& l) {
         l.restored_from(7, "007.dat");
         l.text_written(7);
       },
       stored({entry(7)}),
       {"007.dat"}},
      {"restored from another spelling and still there",
       [](StoreLedger& l) { l.restored_from(7, "+7.dat"); },
       stored({entry(7)}),
       {}},
      {"restored under its own name",
       [](StoreLedger& l) {
         l.restored_from(7, "7.dat");
         l.text_written(7);
       },
       stored({entry(7)}),
       {}},
      {"emptied, its files not yet gone: they wait for an index that calls it clean",
       [](StoreLedger& l) {
         l.restored_from(7, "007.dat");
         l.text_dropped(7);
       },
       stored({clean(7)}),
       {"007.dat", "7.dat"}},
      {"found stale at the start", [](StoreLedger& l) { l.stale("7.dat"); }, stored({clean(7)}), {"7.dat"}},
  };
  for (const Case& c : cases) {
    StoreLedger ledger;
    c.events(ledger);
    EXPECT_EQ(sorted(ledger.removable(c.written)), c.removable) << c.what;
    for (const std::string& name : c.removable) ledger.removed(name);
    EXPECT_TRUE(ledger.removable(c.written).empty()) << c.what << ": offered again";
  }
}

}  // namespace
