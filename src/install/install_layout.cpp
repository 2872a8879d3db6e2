// The install locations and the uninstall entry as values, so that what
// ends up on disk and in the registry can be checked without either.

#include "install/install_layout.h"

#include <limits>

#include "model/maker_site.h"

namespace {

std::string joined(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  out += name;
  return out;
}

std::string quoted(std::string_view path) {
  std::string out = "\"";
  out += path;
  out += '"';
  return out;
}

}  // namespace

InstallPaths install_paths_in(std::string_view user_program_files, std::string_view programs_folder) {
  InstallPaths paths;
  paths.program_folder = joined(user_program_files, "Nimbol");
  paths.program_file = joined(paths.program_folder, "nimbol.exe");
  paths.previous_copy = paths.program_file + ".old";
  paths.staged_copy = paths.program_file + ".new";
  paths.shortcut = joined(programs_folder, "Nimbol.lnk");
  paths.set_aside_folder = std::string(user_program_files);
  return paths;
}

std::uint32_t size_in_kib(std::optional<std::uint64_t> bytes) {
  if (!bytes) return 0;
  const std::uint64_t kib = *bytes / 1024 + (*bytes % 1024 != 0 ? 1 : 0);
  constexpr std::uint64_t most = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(kib > most ? most : kib);
}

std::vector<RegistryValue> uninstall_entry(const InstallPaths& paths, std::optional<std::uint64_t> program_size) {
  const std::string uninstall = quoted(paths.program_file) + " --uninstall";
  return {
      {"DisplayName", std::string("Nimbol")},
      {"DisplayVersion", std::string(PRODUCT_VERSION)},
      {"Publisher", std::string("Quorvex")},
      {"DisplayIcon", paths.program_file + ",0"},
      {"InstallLocation", paths.program_folder},
      {"UninstallString", uninstall},
      {"QuietUninstallString", uninstall + " --quiet"},
      {"URLInfoAbout", std::string(HOMEPAGE_URL)},
      {"EstimatedSize", size_in_kib(program_size)},
      {"NoModify", std::uint32_t{1}},
      {"NoRepair", std::uint32_t{1}},
  };
}

namespace {
constexpr std::string_view moved_aside_start = "Nimbol-uninstalled-";
constexpr std::string_view moved_aside_end = ".exe";
}  // namespace

std::string moved_aside_name(std::uint32_t process_id) {
  std::string name(moved_aside_start);
  name += std::to_string(process_id);
  name += moved_aside_end;
  return name;
}

bool is_moved_aside_name(std::string_view name) {
  if (!name.starts_with(moved_aside_start) || !name.ends_with(moved_aside_end)) return false;
  const std::string_view digits =
      name.substr(moved_aside_start.size(), name.size() - moved_aside_start.size() - moved_aside_end.size());
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string install_question(const InstallPaths& paths, bool installed_copy_exists) {
  if (installed_copy_exists) {
    return "Update the installed Nimbol in\n" + paths.program_folder + "\nwith this copy (version " +
           std::string(PRODUCT_VERSION) + ")?";
  }
  return "Install Nimbol for your Windows account?\n\nIt is copied to\n" + paths.program_folder +
         "\nand gets an entry in the Start menu and in Settings > Apps to uninstall it. No administrator rights are "
         "needed. Your settings and tabs stay where they are.";
}
