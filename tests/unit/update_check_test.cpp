#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "update/update_feed.h"
#include "update/update_schedule.h"
#include "update/update_text.h"
#include "update/version.h"

namespace {

TEST(UpdateValues, VersionsParseOnlyInTheirExactForm) {
  const struct {
    const char* text;
    std::optional<Version> version;
  } cases[] = {
      {"2027.0.0", Version{2027, 0, 0}},
      {"0.0.0", Version{0, 0, 0}},
      {"4294967295.4294967295.4294967295", Version{4294967295u, 4294967295u, 4294967295u}},
      {"2027.01.0", Version{2027, 1, 0}},
      {"4294967296.0.0", std::nullopt},
      {"2027.0.99999999999999999999", std::nullopt},
      {"2028.0", std::nullopt},
      {"2027.0.0.1", std::nullopt},
      {"+2027.0.0", std::nullopt},
      {"2027.-1.0", std::nullopt},
      {"2027.0.0 ", std::nullopt},
      {" 2027.0.0", std::nullopt},
      {"2027.0.1a", std::nullopt},
      {"2027..0", std::nullopt},
      {".0.0", std::nullopt},
      {"2027.0.", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_version(c.text), c.version) << c.text;
  EXPECT_EQ(format_version({2027, 10, 3}), "2027.10.3");
  EXPECT_EQ(own_version(), (Version{2027, 0, 0}));
}

TEST(UpdateValues, VersionsCompareMajorThenMinorThenPatch) {
  const Version ordered[] = {{2026, 9, 9}, {2027, 0, 0}, {2027, 0, 1}, {2027, 1, 0}, {2028, 0, 0}};
  for (std::size_t i = 0; i + 1 < std::size(ordered); ++i) {
    EXPECT_LT(ordered[i], ordered[i + 1]) << format_version(ordered[i]);
    EXPECT_GT(ordered[i + 1], ordered[i]);
  }
}

TEST(UpdateValues, DatesMustBeRealDaysInTheirExactForm) {
  const struct {
    const char* text;
    std::optional<Date> date;
  } cases[] = {
      {"2027-01-31", Date{2027, 1, 31}}, {"2028-02-29", Date{2028, 2, 29}}, {"2000-02-29", Date{2000, 2, 29}},
      {"0000-12-31", Date{0, 12, 31}},   {"2027-02-29", std::nullopt},      {"1900-02-29", std::nullopt},
      {"2027-02-30", std::nullopt},      {"2027-04-31", std::nullopt},      {"2028-13-01", std::nullopt},
      {"2028-00-10", std::nullopt},      {"2028-01-00", std::nullopt},      {"2028-1-01", std::nullopt},
      {"2028-01-011", std::nullopt},     {"2028/01/01", std::nullopt},      {"+028-01-01", std::nullopt},
      {"2028-+1-01", std::nullopt},      {"2028-01- 1", std::nullopt},      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_date(c.text), c.date) << c.text;
  EXPECT_EQ(format_date({7, 3, 9}), "0007-03-09");
  EXPECT_LT((Date{2027, 12, 31}), (Date{2028, 1, 1}));
}

std::string build(std::string_view members) { return "{" + std::string(members) + "}"; }

const std::string good_build =
    R"("version":"2027.1.0","released":"2027-05-01","license_date":"2027-05-01","security":true)";

std::string feed_with(std::string_view builds) {
  return R"({"product":"nimbol","builds":[)" + std::string(builds) + "]}";
}

TEST(UpdateFeed, ReadsBuildsAndIgnoresUnknownMembers) {
  const std::string text =
      R"( {"note":{"deep":[[{"x":1}]]},"product":"nimbol","builds":[)" + build(good_build + R"(,"notes":{"a":[1]})") +
      "," + build(R"("security":false,"license_date":"2026-01-01","released":"2026-12-31","version":"2026.0.3")") +
      "]}\r\n\t ";
  const auto builds = read_feed(text);
  ASSERT_TRUE(builds.has_value()) << builds.error();
  const std::vector<Build> expected = {{{2027, 1, 0}, {2027, 5, 1}, {2027, 5, 1}, true},
                                       {{2026, 0, 3}, {2026, 12, 31}, {2026, 1, 1}, false}};
  EXPECT_EQ(*builds, expected);
}

TEST(UpdateFeed, AnyMissingOrMistypedMemberMakesTheListUnreadable) {
  const std::string cases[] = {
      R"({"builds":[]})",
      R"({"product":"nimbol"})",
      R"({"product":7,"builds":[]})",
      R"({"product":"nimbol","builds":{}})",
      R"({"product":"Nimbol","builds":[]})",
      R"({"product":"nimbol","product":"nimbol","builds":[]})",
      R"(["nimbol",[]])",
      feed_with(R"(["2027.1.0","2027-05-01","2027-05-01",true])"),
      feed_with("7"),
      feed_with(build(R"("released":"2027-05-01","license_date":"2027-05-01","security":true)")),
      feed_with(build(R"("version":"2027.1.0","license_date":"2027-05-01","security":true)")),
      feed_with(build(R"("version":"2027.1.0","released":"2027-05-01","security":true)")),
      feed_with(build(R"("version":"2027.1.0","released":"2027-05-01","license_date":"2027-05-01")")),
      feed_with(build(R"("version":2027,"released":"2027-05-01","license_date":"2027-05-01","security":true)")),
      feed_with(build(R"("version":"2027.1.0","released":null,"license_date":"2027-05-01","security":true)")),
      feed_with(build(R"("version":"2027.1.0","released":"2027-05-01","license_date":[],"security":true)")),
      feed_with(build(R"("version":"2027.1.0","released":"2027-05-01","license_date":"2027-05-01","security":1)")),
      feed_with(build(good_build)) + "x",
      feed_with(build(good_build)).substr(1),
      "\xEF\xBB\xBF" + feed_with(""),
      R"({"note":"caf)"
      "\xE9"
      R"(","product":"nimbol","builds":[]})",
      "",
  };
  for (const std::string& text : cases) EXPECT_FALSE(read_feed(text).has_value()) << text;
}

TEST(UpdateFeed, ABuildWithAVersionOrDateThatDoesNotParseIsSkipped) {
  const std::string skipped[] = {
      R"("version":"2028.0","released":"2028-01-01","license_date":"2028-01-01","security":true)",
      R"("version":"2028.0.0","released":"2028-13-01","license_date":"2028-01-01","security":true)",
      R"("version":"2028.0.0","released":"2028-01-01","license_date":"2027-02-30","security":true)",
  };
  for (const std::string& members : skipped) {
    const auto builds = read_feed(feed_with(build(members) + "," + build(good_build)));
    ASSERT_TRUE(builds.has_value()) << members;
    ASSERT_EQ(builds->size(), 1u) << members;
    EXPECT_EQ(builds->front().version, (Version{2027, 1, 0}));
  }
}

TEST(UpdateFeed, TheLengthLimitIsExact) {
  std::string text = feed_with(build(good_build));
  text.append(FEED_BYTE_LIMIT - text.size(), ' ');
  EXPECT_TRUE(read_feed(text).has_value());
  text.push_back(' ');
  EXPECT_FALSE(read_feed(text).has_value());
}

TEST(UpdateFeed, TheShippedListSaysThisReleaseIsUpToDate) {
  std::ifstream file(NIMBOL_SOURCE_DIR "/site/updates/nimbol.json", std::ios::binary);
  ASSERT_TRUE(file) << "site/updates/nimbol.json is missing";
  std::ostringstream bytes;
  bytes << file.rdbuf();
  const auto builds = read_feed(bytes.str());
  ASSERT_TRUE(builds.has_value()) << builds.error();
  EXPECT_FALSE(builds->empty());
  EXPECT_EQ(outcome_for(*builds, own_version()), UpdateOutcome{UpToDate{}});
}

Build released(Version version, bool security) { return {version, {2027, 1, 1}, {2027, 1, 1}, security}; }

TEST(UpdateOutcome, NewestVersionAboveOursWithSecurityFromAnyNewerBuild) {
  const Version own{2027, 0, 0};
  const struct {
    std::vector<Build> builds;
    UpdateOutcome outcome;
  } cases[] = {
      {{}, UpToDate{}},
      {{released({2027, 0, 0}, true), released({2026, 9, 9}, true)}, UpToDate{}},
      {{released({2027, 0, 1}, false), released({2027, 1, 0}, true)}, Available{{2027, 1, 0}, true}},
      {{released({2027, 1, 0}, false), released({2027, 0, 1}, true)}, Available{{2027, 1, 0}, true}},
      {{released({2027, 0, 1}, false), released({2026, 0, 0}, true)}, Available{{2027, 0, 1}, false}},
      {{released({2028, 0, 0}, false), released({2027, 5, 0}, false)}, Available{{2028, 0, 0}, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(outcome_for(c.builds, own), c.outcome) << c.builds.size();
}

TEST(UpdateSchedule, ChecksOnlyWhenOnAndNotYetToday) {
  const Date today{2027, 3, 4};
  const struct {
    std::optional<std::string> setting, checked;
    bool due;
  } cases[] = {
      {"on", std::nullopt, true},   {"on", "2027-03-04", false},         {"on", "2027-03-03", true},
      {"on", "2027-03-05", true},   {"on", "2027-02-30", true},          {"on", "yesterday", true},
      {"off", std::nullopt, false}, {std::nullopt, std::nullopt, false}, {"On", std::nullopt, false},
      {"on ", std::nullopt, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(check_due(update_setting_from(c.setting), c.checked, today), c.due)
        << c.setting.value_or("(none)") << " " << c.checked.value_or("(none)");
  }
  EXPECT_EQ(stored_update_setting(true), "on");
  EXPECT_EQ(stored_update_setting(false), "off");
}

TEST(UpdateText, TheUpdatesWindowShowsEveryStateAndOutcome) {
  const std::string date = "2027-03-04";
  const std::string failed = "The update check failed: ";
  const std::string last = "\nLast successful check: 2027-03-04";
  const auto on = UpdateSetting::On;
  const auto off = UpdateSetting::Off;
  const auto undecided = UpdateSetting::Undecided;
  const struct {
    UpdatesFacts facts;
    UpdatesView view;
  } cases[] = {
      {{true, Available{{2027, 1, 0}, true}, on, date}, {"Checking for updates...", true, false, true}},
      {{true, std::nullopt, off, std::nullopt}, {"Checking for updates...", false, false, false}},
      {{false, std::nullopt, undecided, std::nullopt}, {"Automatic update checks are off.", false, true, false}},
      {{false, std::nullopt, off, date}, {"Automatic update checks are off." + last, false, true, false}},
      {{false, std::nullopt, on, std::nullopt}, {"No update check has run yet.", true, true, false}},
      {{false, std::nullopt, on, "2027-02-30"}, {"No update check has run yet.", true, true, false}},
      {{false, std::nullopt, on, date}, {last.substr(1), true, true, false}},
      {{false, UpToDate{}, on, date}, {"Nimbol is up to date." + last, true, true, false}},
      {{false, Available{{2027, 1, 0}, true}, off, date},
       {"Nimbol 2027.1.0 is available (security update)." + last, false, true, true}},
      {{false, Available{{2027, 0, 1}, false}, on, std::nullopt}, {"Nimbol 2027.0.1 is available.", true, true, true}},
      {{false, Unreachable{0x80072EFD}, on, std::nullopt},
       {failed + "updates.example could not be reached.", true, true, false}},
      {{false, HttpStatus{301}, undecided, date},
       {failed + "updates.example answered with an error (301)." + last, false, true, false}},
      {{false, BadFeed{}, on, std::nullopt}, {failed + "The list of versions could not be read.", true, true, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(updates_view(c.facts, "updates.example"), c.view) << c.view.state_text;
}

TEST(UpdateText, QuestionPageAndSecurityFixesLine) {
  EXPECT_EQ(update_consent_question("updates.example"),
            "Check for security updates automatically?\n\nNimbol can check updates.example once a day for security "
            "updates and new versions.\n\nIt downloads a public list of versions and compares it on this computer. "
            "Nothing about you, this computer or your notes is sent.\n\nYou can change this later in Check for "
            "Updates.");
  EXPECT_EQ(updates_page_url("updates.example"), "https://updates.example/updates/nimbol/");
  EXPECT_EQ(security_fixes_line({2027, 0, 0}), "Security fixes for Nimbol 2027 until 2031-12-31.");
  EXPECT_EQ(security_fixes_line({7, 1, 2}), "Security fixes for Nimbol 7 until 0011-12-31.");
  EXPECT_EQ(security_fixes_line({4294967295u, 0, 0}), "Security fixes for Nimbol 4294967295 until 4294967299-12-31.");
}

}  // namespace
