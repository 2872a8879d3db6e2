#include "install/install_layout.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "model/maker_site.h"

namespace {

TEST(InstallLayout, PathsSitBelowTheTwoFolders) {
  struct Case {
    const char* programs;
    const char* start_menu;
    const char* folder;
    const char* shortcut;
  };
  const Case cases[] = {
      {"C:\\Users\\a\\AppData\\Local\\Programs", "C:\\Users\\a\\Start Menu\\Programs",
       "C:\\Users\\a\\AppData\\Local\\Programs\\Nimbol", "C:\\Users\\a\\Start Menu\\Programs\\Nimbol.lnk"},
      {"D:\\", "E:\\Menu\\", "D:\\Nimbol", "E:\\Menu\\Nimbol.lnk"},
  };
  for (const Case& c : cases) {
    const InstallPaths paths = install_paths_in(c.programs, c.start_menu);
    EXPECT_EQ(paths.program_folder, c.folder) << c.programs;
    EXPECT_EQ(paths.program_file, std::string(c.folder) + "\\nimbol.exe") << c.programs;
    EXPECT_EQ(paths.previous_copy, std::string(c.folder) + "\\nimbol.exe.old") << c.programs;
    EXPECT_EQ(paths.shortcut, c.shortcut) << c.programs;
  }
}

TEST(InstallLayout, EstimatedSizeIsKibRoundedUp) {
  struct Case {
    std::optional<std::uint64_t> bytes;
    std::uint32_t kib;
  };
  const Case cases[] = {
      {std::nullopt, 0},
      {0, 0},
      {1, 1},
      {1024, 1},
      {1025, 2},
      {1019280, 996},
      {std::uint64_t{1} << 42, std::numeric_limits<std::uint32_t>::max()},
  };
  for (const Case& c : cases) EXPECT_EQ(size_in_kib(c.bytes), c.kib) << c.bytes.value_or(999);
}

TEST(InstallLayout, TheUninstallEntryInItsOrder) {
  const InstallPaths paths = install_paths_in("C:\\P", "C:\\S");
  const std::vector<RegistryValue> expected = {
      {"DisplayName", std::string("Nimbol")},
      {"DisplayVersion", std::string("2027.0.0")},
      {"Publisher", std::string("Quorvex")},
      {"DisplayIcon", std::string("C:\\P\\Nimbol\\nimbol.exe,0")},
      {"InstallLocation", std::string("C:\\P\\Nimbol")},
      {"UninstallString", std::string("\"C:\\P\\Nimbol\\nimbol.exe\" --uninstall")},
      {"QuietUninstallString", std::string("\"C:\\P\\Nimbol\\nimbol.exe\" --uninstall --quiet")},
      {"URLInfoAbout", std::string(HOMEPAGE_URL)},
      {"EstimatedSize", std::uint32_t{996}},
      {"NoModify", std::uint32_t{1}},
      {"NoRepair", std::uint32_t{1}},
  };
  EXPECT_EQ(uninstall_entry(paths, 1019280), expected);
  EXPECT_EQ(moved_aside_name(4242), "Nimbol-uninstalled-4242.exe");
}

}  // namespace
