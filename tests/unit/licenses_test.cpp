#include "about/licenses.h"

#include <gtest/gtest.h>

#include <string>

#include "about/embedded_texts.h"
#include "model/maker_site.h"

namespace {

std::size_t count_of(const std::string& text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Licenses, EveryNoticeAndFullTextIsShownOnceWithWindowsLineEnds) {
  const std::string text = licenses_text();
  for (const LicensedComponent& c : licensed_components()) {
    const std::string_view notice = embedded_text(c.notice);
    ASSERT_GT(notice.size(), 1000u) << c.notice << " is compiled in";
    EXPECT_EQ(count_of(text, "- " + std::string(c.name) + " (version "), 1u) << c.name << " is listed";
    // The notice's first line, as the viewer shows it.
    const std::string first_line(notice.substr(0, notice.find('\n')));
    EXPECT_NE(text.find(first_line + "\r\n"), std::string::npos) << c.notice;
  }
  struct Full {
    const char* file;
    const char* opening;
  };
  const Full full[] = {{"LGPL-2.1.txt", "GNU LESSER GENERAL PUBLIC LICENSE\r\n                       Version 2.1"},
                       {"GPL-3.txt", "GNU GENERAL PUBLIC LICENSE\r\n                       Version 3"},
                       {"GPL-2.txt", "GNU GENERAL PUBLIC LICENSE\r\n                       Version 2"}};
  for (const Full& f : full) {
    EXPECT_GT(embedded_text(f.file).size(), 15000u) << f.file << " is the whole licence, not a notice";
    EXPECT_EQ(count_of(text, f.opening), 1u) << f.file;
  }
  EXPECT_EQ(count_of(text, "GCC RUNTIME LIBRARY EXCEPTION\r\n\r\nVersion 3.1"), 1u);
  EXPECT_EQ(count_of(text, "\n"), count_of(text, "\r\n")) << "no line ends in a bare LF";
  EXPECT_TRUE(embedded_text("no-such-file.txt").empty());
}

TEST(Licenses, TheListSaysWhereTheRelinkKitIsBeforeTheNotices) {
  const std::string text = licenses_text();
  const std::size_t note = text.find("nimbol-relink.zip");
  ASSERT_NE(note, std::string::npos);
  EXPECT_LT(note, text.find("========"));
  EXPECT_NE(text.find("https://" + std::string(UPDATE_HOST) + "/updates/nimbol/"), std::string::npos);
  for (const LicensedComponent& c : licensed_components()) {
    EXPECT_FALSE(c.version.empty()) << c.name;
    EXPECT_EQ(c.version.find_first_of("\r\n"), std::string_view::npos) << c.name;
  }
}

}  // namespace
