// The theme switch against the real registry, GDI, Rich Edit and settings
// file: what the user's Windows setting means, the brushes behind the
// palettes, the colours an editor ends up with, and the saved choice.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "base/utf.h"
#include "model/app_state.h"
#include "model/suppress_change.h"
#include "store/settings.h"
#include "support.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace {

using namespace wintest;

constexpr wchar_t personalize_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t light_value[] = L"AppsUseLightTheme";

// Sets AppsUseLightTheme in the test's prefix and puts back what was there.
class PersonalizeValue {
 public:
  PersonalizeValue() {
    DWORD size = sizeof saved_;
    if (RegGetValueW(HKEY_CURRENT_USER, personalize_key, light_value, RRF_RT_REG_DWORD, nullptr, &saved_, &size) ==
        ERROR_SUCCESS) {
      had_value_ = true;
    }
  }
  ~PersonalizeValue() {
    if (had_value_) {
      set_dword(saved_);
    } else {
      remove();
    }
  }
  void set_dword(DWORD value) const {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, personalize_key, light_value, REG_DWORD, &value, sizeof value),
              ERROR_SUCCESS);
  }
  void set_string(const wchar_t* value) const {
    const auto bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, personalize_key, light_value, REG_SZ, value, bytes), ERROR_SUCCESS);
  }
  void remove() const { RegDeleteKeyValueW(HKEY_CURRENT_USER, personalize_key, light_value); }

 private:
  DWORD saved_ = 1;
  bool had_value_ = false;
};

class ThemeSystem : public GuiThreadTest {};
class ThemePalette : public GuiThreadTest {};
class ThemeFont : public GuiThreadTest {};
class ThemeEditor : public GuiThreadTest {};
class ThemeEverywhere : public GuiThreadTest {};
class ThemeChoice : public DataFolderTest {};

TEST_F(ThemeSystem, DarkForReadsTheAppModeFromTheRegistry) {
  PersonalizeValue value;
  struct Case {
    const char* what;
    std::optional<DWORD> dword;
    const wchar_t* text;
    bool system_dark;
  };
  const Case cases[] = {
      {"missing", std::nullopt, nullptr, false},
      {"0", 0, nullptr, true},
      {"1", 1, nullptr, false},
      {"2", 2, nullptr, false},               // only 0 means dark
      {"string", std::nullopt, L"0", false},  // wrong type: read fails, light
  };
  for (const Case& c : cases) {
    value.remove();
    if (c.dword) value.set_dword(*c.dword);
    if (c.text) value.set_string(c.text);
    EXPECT_EQ(system_prefers_dark(), c.system_dark) << c.what;
    EXPECT_EQ(dark_for(Theme::System), c.system_dark) << c.what;
    EXPECT_TRUE(dark_for(Theme::Dark)) << c.what;
    EXPECT_FALSE(dark_for(Theme::Light)) << c.what;
  }
}

COLORREF brush_colour(HBRUSH brush) {
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(brush, sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  return lb.lbColor;
}

TEST_F(ThemePalette, BrushesCarryThePaletteColoursAndAreCreatedOnce) {
  set_dark_mode(false);
  const ThemeColors light = palette();
  EXPECT_FALSE(is_dark());
  EXPECT_EQ(brush_colour(light.window_brush), light.window_color);
  EXPECT_EQ(brush_colour(light.edit_brush), light.edit_color);
  EXPECT_EQ(brush_colour(light.border_brush), RGB(173, 173, 173));

  set_dark_mode(true);
  const ThemeColors dark = palette();
  EXPECT_TRUE(is_dark());
  EXPECT_EQ(brush_colour(dark.window_brush), RGB(45, 45, 45));
  EXPECT_EQ(brush_colour(dark.edit_brush), dark.edit_color);
  EXPECT_EQ(dark.text_color, RGB(230, 230, 230));
  EXPECT_NE(dark.window_brush, light.window_brush);

  // Switching back hands out the very same brushes: nothing is recreated,
  // and a caller still holding the light ones holds live brushes.
  set_dark_mode(false);
  const ThemeColors again = palette();
  EXPECT_EQ(again.window_brush, light.window_brush);
  EXPECT_EQ(again.border_brush, light.border_brush);
  EXPECT_EQ(brush_colour(dark.window_brush), RGB(45, 45, 45));
}

TEST_F(ThemeFont, EditorFontHeightIsTheRoundedCharacterHeight) {
  struct Case {
    std::int32_t points;
    std::uint32_t dpi;
    std::int32_t height;
  };
  const Case cases[] = {{10, 96, -13}, {10, 144, -20}, {11, 120, -18}, {11, 96, -15}, {12, 96, -16}, {8, 192, -21}};
  for (const Case& c : cases) EXPECT_EQ(font_height_for(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

// A Rich Edit inside a parent that counts the change notifications that
// arrive while they are not suppressed.
int unsuppressed_changes = 0;

LRESULT CALLBACK counting_parent(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE && !change_suppressed()) ++unsuppressed_changes;
  return DefWindowProcW(window, message, wparam, lparam);
}

// What the editor itself sees: whether each recolouring message arrives
// while change notifications are suppressed. (Wine's Rich Edit does not
// report format changes as EN_CHANGE, so the parent alone could not tell.)
struct RecolourLog {
  int messages = 0;
  int unsuppressed = 0;
};

LRESULT CALLBACK logging_editor(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  if (message == EM_SETCHARFORMAT || message == EM_SETBKGNDCOLOR) {
    auto* log = reinterpret_cast<RecolourLog*>(data);
    ++log->messages;
    if (!change_suppressed()) ++log->unsuppressed;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

struct EditorHost {
  HWND parent = nullptr;
  std::vector<HWND> editors;

  explicit EditorHost(int count) {
    parent = create_test_window(L"NimbolTestEditorHost", counting_parent, WS_OVERLAPPEDWINDOW, {0, 0, 400, 300});
    for (int i = 0; i < count; ++i) {
      HWND editor =
          CreateWindowExW(0, L"RICHEDIT50W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), GetModuleHandleW(nullptr), nullptr);
      SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_CHANGE);
      SetWindowTextW(editor, L"some text");
      editors.push_back(editor);
    }
  }
  ~EditorHost() { DestroyWindow(parent); }
};

struct EditorColours {
  COLORREF background;
  COLORREF text;
};

EditorColours editor_colours(HWND editor) {
  // EM_SETBKGNDCOLOR answers with the colour it replaces; put it back.
  const auto background = static_cast<COLORREF>(SendMessageW(editor, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)));
  SendMessageW(editor, EM_SETBKGNDCOLOR, 0, background);
  CHARFORMATW format{};
  format.cbSize = sizeof format;
  SendMessageW(editor, EM_SETSEL, 0, -1);
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return {background, format.crTextColor};
}

TEST_F(ThemeEditor, ColoursFollowThePaletteBothWays) {
  EditorHost host(1);
  ASSERT_NE(host.editors[0], nullptr);
  for (bool dark : {true, false}) {
    set_dark_mode(dark);
    apply_editor_colours(host.editors[0]);
    const EditorColours got = editor_colours(host.editors[0]);
    EXPECT_EQ(got.background, palette().edit_color) << dark;
    EXPECT_EQ(got.text, palette().text_color) << dark;
  }
}

TEST_F(ThemeEverywhere, RecoloursTheEditorOfEveryTabWithoutCountingEdits) {
  EditorHost host(3);
  AppState state;
  state.frame = host.parent;
  for (std::size_t i = 0; i < host.editors.size(); ++i)
    state.tabs.push_back(Tab{.id = i + 1, .editor = host.editors[i]});
  install_app_state(std::move(state));

  RecolourLog log;
  for (HWND editor : host.editors) SetWindowSubclass(editor, logging_editor, 1, reinterpret_cast<DWORD_PTR>(&log));

  set_dark_mode(true);
  unsuppressed_changes = 0;
  apply_theme_everywhere();
  for (HWND editor : host.editors) RemoveWindowSubclass(editor, logging_editor, 1);
  EXPECT_EQ(log.messages, 3 * 3);  // background, default and all-text colour, per editor
  EXPECT_EQ(log.unsuppressed, 0);
  for (HWND editor : host.editors) {
    const EditorColours got = editor_colours(editor);
    EXPECT_EQ(got.background, RGB(30, 30, 30));
    EXPECT_EQ(got.text, RGB(230, 230, 230));
  }
  EXPECT_EQ(unsuppressed_changes, 0);
  EXPECT_FALSE(change_suppressed());
  EXPECT_FALSE(app_state().borrowed());
}

TEST_F(ThemeEverywhere, OnlyTheSystemChoiceFollowsAnAppModeChange) {
  PersonalizeValue value;
  struct Case {
    Theme choice;
    bool before;
    DWORD apps_use_light;
    const wchar_t* setting;
    bool after;
  };
  const Case cases[] = {
      {Theme::System, false, 0, L"ImmersiveColorSet", true},
      {Theme::System, true, 1, L"ImmersiveColorSet", false},
      {Theme::System, false, 0, L"Policy", false},  // another setting: nothing
      {Theme::System, false, 0, nullptr, false},
      {Theme::Light, false, 0, L"ImmersiveColorSet", false},  // a fixed choice ignores Windows
      {Theme::Dark, true, 1, L"ImmersiveColorSet", true},
  };
  for (const Case& c : cases) {
    set_theme_choice(c.choice);
    set_dark_mode(c.before);
    value.set_dword(c.apps_use_light);
    on_setting_change(c.setting);
    EXPECT_EQ(is_dark(), c.after) << static_cast<int>(c.choice) << " " << (c.setting ? "named" : "null");
  }
}

TEST_F(ThemeChoice, SetThemeSavesTheChoiceEvenWhenItIsAlreadyInForce) {
  const std::string config = data_dir_ + "\\config.json";
  install_app_state(AppState{});
  set_theme(Theme::Dark);
  EXPECT_TRUE(is_dark());
  EXPECT_EQ(theme_choice(), Theme::Dark);
  {
    auto state = app_state().borrow();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->config.theme, Theme::Dark);
  }
  const auto written = read_file(config);
  ASSERT_TRUE(written);
  EXPECT_NE(written->find("\"theme\": \"dark\""), std::string::npos) << *written;

  // The same choice again still writes the file.
  ASSERT_TRUE(DeleteFileW(to_wide(config).c_str()));
  set_theme(Theme::Dark);
  EXPECT_TRUE(read_file(config).has_value());

  set_theme(Theme::Light);
  EXPECT_FALSE(is_dark());
  const auto light = read_file(config);
  ASSERT_TRUE(light);
  EXPECT_NE(light->find("\"theme\": \"light\""), std::string::npos) << *light;
}

}  // namespace
