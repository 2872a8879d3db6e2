// The About window and the licences viewer in the running program: the
// keys that close them, one of each at a time, the layout at 144 DPI, and
// the viewer's list of components held against the link map of nimbol.exe,
// so that a library added to the link without its licence fails here.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using namespace e2e;

constexpr wchar_t about_class[] = L"NimbolAboutWnd";
constexpr wchar_t viewer_class[] = L"NimbolLicensesWnd";
constexpr WORD about_command = 160;

// A real key press in `window`, made the foreground window first.
void press_in(const Window& window, WORD key) {
  SetForegroundWindow(window.hwnd());
  ASSERT_TRUE(eventually([&] { return GetForegroundWindow() == window.hwnd(); }, 5s));
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

std::wstring whole_text(const Window& window) {
  const auto length = static_cast<std::size_t>(window.send(WM_GETTEXTLENGTH));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      window.send(WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

Window open_about(const App& app) {
  app.command(about_command);
  return app.wait_for_window(about_class);
}

TEST(About, EnterAndEscapeCloseItAndASecondCommandOpensNoSecondWindow) {
  App app;
  const Window about = open_about(app);
  ASSERT_TRUE(about);
  EXPECT_EQ(about.text(), L"About Nimbol");
  EXPECT_EQ(GetWindow(about.hwnd(), GW_OWNER), app.frame().hwnd());
  app.command(about_command);
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(app.top_level_windows(about_class).size(), 1u);

  press_in(about, VK_RETURN);
  EXPECT_TRUE(eventually([&] { return !about; })) << "Enter closes it";
  const Window again = open_about(app);
  ASSERT_TRUE(again);
  press_in(again, VK_ESCAPE);
  EXPECT_TRUE(eventually([&] { return !again; })) << "Escape closes it";
  EXPECT_TRUE(app.running());
}

TEST(About, TheLicencesButtonOpensOneViewerThatEscapeCloses) {
  App app;
  const Window about = open_about(app);
  ASSERT_TRUE(about);
  app.choose(about, L"Third-Party Licenses");
  const Window viewer = app.wait_for_window(viewer_class);
  ASSERT_TRUE(viewer);
  app.choose(about, L"Third-Party Licenses");
  ASSERT_TRUE(app.sync());
  EXPECT_EQ(app.top_level_windows(viewer_class).size(), 1u);
  EXPECT_EQ(viewer.text(), L"Third-Party Licenses");
  EXPECT_EQ(GetWindow(viewer.hwnd(), GW_OWNER), about.hwnd());

  press_in(viewer, VK_ESCAPE);
  EXPECT_TRUE(eventually([&] { return !viewer; }));
  EXPECT_TRUE(about) << "the About window stays";
}

// ---- the link of nimbol.exe against the viewer's list ----

std::wstring beside_tests(std::wstring_view name) {
  wchar_t path[MAX_PATH]{};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + std::wstring(name);
}

std::string base_name(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// A member of one of mingw-w64's libraries for the system DLLs: an import
// stub, named by the tool that made it (the library's stem, then "h", "t"
// or "s" and a number), or code of its runtime, named by its build
// ("lib64_", the stem, "_a-", the source file).
bool mingw_w64_member(const std::string& archive, const std::string& member) {
  const std::string stem = archive.substr(0, archive.size() - 2);
  if (member.starts_with("lib64_" + stem + "_a-")) return true;
  if (!member.starts_with(stem) || !member.ends_with(".o")) return false;
  const std::string tag = member.substr(stem.size(), member.size() - stem.size() - 2);
  if (tag == "h" || tag == "t") return true;
  return tag.size() > 1 && tag[0] == 's' && tag.find_first_not_of("0123456789", 1) == std::string::npos;
}

// Which component of the viewer a piece of the link belongs to: "" for the
// program's own code, nothing for code the viewer knows nothing of.
std::optional<std::string> component_of(const std::string& archive, const std::string& member) {
  static const std::map<std::string, std::string> by_file = {
      {"libnimbol_core.a", ""},
      {"libnimbol_win.a", ""},
      {"objects.a", ""},
      {"libgcrypt.a", "libgcrypt"},
      {"libgpg-error.a", "libgpg-error"},
      {"libstdc++.a", "GCC runtime libraries"},
      {"libgcc.a", "GCC runtime libraries"},
      {"libgcc_eh.a", "GCC runtime libraries"},
      {"crtbegin.o", "GCC runtime libraries"},
      {"crtend.o", "GCC runtime libraries"},
      {"libpthread.a", "winpthreads"},
      {"libwinpthread.a", "winpthreads"},
      {"libmingw32.a", "mingw-w64 runtime"},
      {"libmingwex.a", "mingw-w64 runtime"},
      {"libmsvcrt.a", "mingw-w64 runtime"},
      {"libmoldname.a", "mingw-w64 runtime"},
      {"crt2.o", "mingw-w64 runtime"},
      {"crt2u.o", "mingw-w64 runtime"},
  };
  // Members of libstdc++ whose code comes under a notice of its own rather
  // than the GCC runtime's: the demangler is libiberty's, and the
  // floating-point conversions of newer releases are built on Ryu and on
  // fast_float.
  static const std::map<std::string, std::string> own_notice_in_libstdcxx = {
      {"cp-demangle.o", "GCC C++ demangler (libiberty)"},
      {"floating_to_chars.o", "Ryu"},
      {"floating_from_chars.o", "fast_float"},
  };
  if (archive == "libstdc++.a") {
    if (auto found = own_notice_in_libstdcxx.find(member); found != own_notice_in_libstdcxx.end()) {
      return found->second;
    }
  }
  if (auto found = by_file.find(archive); found != by_file.end()) return found->second;
  if (archive.ends_with(".a") && mingw_w64_member(archive, member)) return "mingw-w64 runtime";
  // The delay-import libraries the build makes with dlltool from the
  // system DLLs' export lists: stubs of the build's own, no one's code.
  if (archive.starts_with("lib") && archive.ends_with("_delay.a")) return "";
  return std::nullopt;
}

struct LinkedCode {
  std::set<std::string> components;
  std::vector<std::string> unknown;             // archive(member) or object file
  std::map<std::string, std::string> archives;  // by file name: the path the link took it from
};

LinkedCode read_link_map(const std::string& map) {
  LinkedCode out;
  auto take = [&](const std::string& archive, const std::string& member, const std::string& shown) {
    const std::optional<std::string> component = component_of(archive, member);
    if (!component) {
      out.unknown.push_back(shown);
    } else if (!component->empty()) {
      out.components.insert(*component);
    }
  };
  std::istringstream lines(map);
  std::string line;
  bool members = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("Archive member included")) members = true;
    if (line.starts_with("Discarded input sections") || line.starts_with("Memory Configuration")) members = false;
    // "path/libx.a(member.o)" at the start of a line names a member taken.
    if (members && !line.empty() && line[0] != ' ') {
      const std::size_t open = line.find(".a(");
      const std::size_t close = line.find(')', open);
      if (open != std::string::npos && close != std::string::npos) {
        const std::string archive = base_name(line.substr(0, open + 2));
        out.archives[archive] = line.substr(0, open + 2);
        take(archive, line.substr(open + 3, close - open - 3), line.substr(0, close + 1));
      }
    }
    // Object files loaded whole: the start-up code of the toolchain.
    if (line.starts_with("LOAD ") && line.ends_with(".o")) {
      const std::string object = base_name(line.substr(5));
      take(object, "", object);
    }
  }
  // Header-only code leaves only its symbols, in the sections' names.
  if (map.find("8nlohmann") != std::string::npos) out.components.insert("nlohmann/json");
  return out;
}

// The viewer's list: each component with the version it shows.
std::map<std::string, std::string> listed_versions(const std::wstring& text) {
  std::map<std::string, std::string> out;
  std::wistringstream lines(text);
  std::wstring line;
  while (std::getline(lines, line)) {
    if (line.starts_with(L"========")) break;  // the notices begin
    if (!line.starts_with(L"- ")) continue;
    const std::size_t version = line.find(L" (version ");
    const std::size_t end = line.find(L"): ", version);
    if (version == std::wstring::npos || end == std::wstring::npos) continue;
    out[utf8(line.substr(2, version - 2))] = utf8(line.substr(version + 10, end - version - 10));
  }
  return out;
}

std::set<std::string> listed_components(const std::wstring& text) {
  std::set<std::string> out;
  for (const auto& [name, version] : listed_versions(text)) out.insert(name);
  return out;
}

// A file of the Linux side, by its path in the link map (Wine's drive Z:).
std::optional<std::string> linux_file(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return read_file(L"Z:" + wide(path));
}

// "This is Libgcrypt 1.10.1 - ...": the version an archive states of itself.
std::string stated_version(const std::string& bytes, const std::string& intro) {
  const std::size_t at = bytes.find(intro);
  if (at == std::string::npos) return "(not stated)";
  const std::size_t from = at + intro.size();
  return bytes.substr(from, bytes.find(' ', from) - from);
}

TEST(About, TheLinkMapIsReadPieceByPieceUnderEachPiecesOwnLicence) {
  const struct {
    const char* line;
    const char* component;  // nullptr: unknown
  } rows[] = {
      {"/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++.a(eh_throw.o)", "GCC runtime libraries"},
      {"/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++.a(cp-demangle.o)", "GCC C++ demangler (libiberty)"},
      {"/usr/lib/gcc/x86_64-w64-mingw32/13-posix/libstdc++.a(floating_from_chars.o)", "fast_float"},
      {"/usr/lib/gcc/x86_64-w64-mingw32/13-posix/libstdc++.a(floating_to_chars.o)", "Ryu"},
      {"/usr/x86_64-w64-mingw32/lib/libgcrypt.a(libgcrypt_la-cipher.o)", "libgcrypt"},
      {"/usr/x86_64-w64-mingw32/lib/libgpg-error.a(libgpg_error_la-init.o)", "libgpg-error"},
      {"/usr/x86_64-w64-mingw32/lib/libkernel32.a(libkernel32s00123.o)", "mingw-w64 runtime"},
      {"/usr/x86_64-w64-mingw32/lib/libz.a(deflate.o)", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    const LinkedCode linked = read_link_map(std::string("Archive member included to satisfy reference by file\n\n") +
                                            row.line + "\n                              main.o (symbol)\n");
    if (row.component) {
      EXPECT_EQ(linked.components, std::set<std::string>{row.component});
      EXPECT_TRUE(linked.unknown.empty());
    } else {
      EXPECT_TRUE(linked.components.empty());
      EXPECT_EQ(linked.unknown.size(), 1u);
    }
  }
}

TEST(About, TheViewerListsEveryLibraryTheLinkOfTheProgramTakesCodeFrom) {
  const std::optional<std::string> map = read_file(beside_tests(L"nimbol.map"));
  ASSERT_TRUE(map.has_value()) << "the build writes nimbol.map beside nimbol.exe";
  const LinkedCode linked = read_link_map(*map);
  EXPECT_TRUE(linked.unknown.empty()) << "nimbol.exe links code the licences viewer does not cover, first: "
                                      << (linked.unknown.empty() ? "" : linked.unknown.front());
  ASSERT_TRUE(linked.components.contains("libgcrypt")) << "the map was read";

  App app;
  const Window about = open_about(app);
  ASSERT_TRUE(about);
  app.choose(about, L"Third-Party Licenses");
  const Window viewer = app.wait_for_window(viewer_class);
  ASSERT_TRUE(viewer);
  const Window text = viewer.child(L"Edit");
  ASSERT_TRUE(text);
  const std::wstring shown = whole_text(text);
  EXPECT_EQ(listed_components(shown), linked.components);

  // The versions shown are those of the archives the link took.
  const std::map<std::string, std::string> versions = listed_versions(shown);
  auto shown_version = [&](const std::string& name) {
    const auto found = versions.find(name);
    return found == versions.end() ? std::string("(not listed)") : found->second;
  };
  const struct {
    const char* component;
    const char* archive;
    const char* intro;
  } stated[] = {{"libgcrypt", "libgcrypt.a", "This is Libgcrypt "},
                {"libgpg-error", "libgpg-error.a", "This is Libgpg-error "}};
  for (const auto& s : stated) {
    ASSERT_TRUE(linked.archives.contains(s.archive)) << s.archive;
    const std::optional<std::string> bytes = linux_file(linked.archives.at(s.archive));
    ASSERT_TRUE(bytes.has_value()) << linked.archives.at(s.archive);
    EXPECT_EQ(shown_version(s.component), stated_version(*bytes, s.intro)) << s.component;
  }
  // GCC keeps its runtime in a folder named by its major version.
  ASSERT_TRUE(linked.archives.contains("libstdc++.a"));
  const std::string libstdcxx = linked.archives.at("libstdc++.a");
  const std::string gcc_folder = base_name(libstdcxx.substr(0, libstdcxx.find_last_of('/')));
  const std::string gcc_major = gcc_folder.substr(0, gcc_folder.find_first_not_of("0123456789"));
  EXPECT_TRUE(shown_version("GCC runtime libraries").starts_with(gcc_major + " ")) << gcc_folder;
  EXPECT_NE(shown.find(L"nimbol-relink.zip"), std::wstring::npos) << "the viewer says where the relink kit is";
  EXPECT_NE(shown.find(L"GCC RUNTIME LIBRARY EXCEPTION"), std::wstring::npos);
  EXPECT_NE(shown.find(L"GNU LESSER GENERAL PUBLIC LICENSE"), std::wstring::npos);
}

// ---- 144 DPI ----

const std::wstring desktop_key = L"Control Panel\\Desktop";

// Programs started while it lives see `dpi` (Wine reads it at start).
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) : before_(registry_dword(desktop_key, L"LogPixels")) {
    set_registry_dword(desktop_key, L"LogPixels", dpi);
  }
  ~SystemDpi() {
    if (before_) {
      set_registry_dword(desktop_key, L"LogPixels", *before_);
    } else {
      delete_registry_value(desktop_key, L"LogPixels");
    }
  }
  SystemDpi(const SystemDpi&) = delete;
  SystemDpi& operator=(const SystemDpi&) = delete;

 private:
  std::optional<DWORD> before_;
};

struct Shape {
  SIZE outer{};
  std::vector<RECT> children;  // client coordinates, in window order
};

Shape about_shape(DWORD dpi) {
  const SystemDpi system(dpi);
  App app;
  const Window about = open_about(app);
  Shape shape;
  if (!about) return shape;
  const RECT outer = about.window_rect();
  shape.outer = {outer.right - outer.left, outer.bottom - outer.top};
  for (const Window& child : about.direct_children()) {
    RECT r = child.window_rect();
    MapWindowPoints(nullptr, about.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    shape.children.push_back(r);
  }
  return shape;
}

int scaled(int value) { return (value * 144 + 48) / 96; }

TEST(About, At144DpiEveryPositionAndSizeIsOneAndAHalfTimesAsLarge) {
  const Shape at96 = about_shape(96);
  const Shape at144 = about_shape(144);
  ASSERT_EQ(at96.children.size(), 12u) << "eleven controls and the icon";
  ASSERT_EQ(at144.children.size(), at96.children.size());
  EXPECT_EQ(at144.outer.cx, scaled(at96.outer.cx));
  EXPECT_EQ(at144.outer.cy, scaled(at96.outer.cy));
  for (std::size_t i = 0; i < at96.children.size(); ++i) {
    const RECT& a = at96.children[i];
    const RECT& b = at144.children[i];
    EXPECT_EQ(b.left, scaled(a.left)) << i;
    EXPECT_EQ(b.top, scaled(a.top)) << i;
    EXPECT_EQ(b.right - b.left, scaled(a.right - a.left)) << i;
    EXPECT_EQ(b.bottom - b.top, scaled(a.bottom - a.top)) << i;
  }
}

}  // namespace
