// The tab editors against the real Rich Edit control, with the frame's own
// window procedure as their parent, so that change notifications take the
// road they take in the program: text in and out, typing versus setting,
// selections, fonts, zoom, word wrap and the font dialog.

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alloc_probe.h"
#include "app/frame.h"
#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/font_dialog.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "model/suppress_change.h"
#include "store/settings.h"
#include "support.h"
#include "text/editor_text.h"
#include "ui/dark_dialog.h"
#include "ui/dpi.h"
#include "ui/theme.h"
#include "ui/window_dpi.h"

namespace {

using namespace wintest;

// Every EN_CHANGE that reaches the frame, and how many of them would have
// counted as an edit.
struct ChangeLog {
  int changes = 0;
  int unsuppressed = 0;
};

LRESULT CALLBACK watch_changes(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_COMMAND && lparam != 0 && HIWORD(wparam) == EN_CHANGE) {
    auto* log = reinterpret_cast<ChangeLog*>(data);
    ++log->changes;
    if (!change_suppressed()) ++log->unsuppressed;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

// The zoom an editor shows, in percent, or nothing for a ratio that is not
// a whole percentage.
std::optional<std::int64_t> editor_zoom(HWND editor) {
  int numerator = 0;
  int denominator = 0;
  SendMessageW(editor, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator), reinterpret_cast<LPARAM>(&denominator));
  if (denominator == 0) return numerator == 0 ? std::optional<std::int64_t>(100) : std::nullopt;
  if (std::int64_t{numerator} * 100 % denominator != 0) return std::nullopt;
  return std::int64_t{numerator} * 100 / denominator;
}

LOGFONTW font_record(HFONT font) {
  LOGFONTW record{};
  GetObjectW(font, sizeof record, &record);
  return record;
}

// The face and character height (in twips) of a font as an editor shows it
// as its default format. (Rich Edit does not answer WM_GETFONT under Wine.)
struct ShownFont {
  std::wstring face;
  LONG twips;
  bool operator==(const ShownFont&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ShownFont& font) {
  return out << to_utf8(font.face) << " " << font.twips;
}

ShownFont shown_font(HWND editor) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return {format.szFaceName, format.yHeight};
}

ShownFont expected_font(HFONT font) {
  const LOGFONTW record = font_record(font);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return {record.lfFaceName, MulDiv(record.lfHeight < 0 ? -record.lfHeight : record.lfHeight, 1440, dpi)};
}

void type_key(HWND editor, UINT key, wchar_t character) {
  SendMessageW(editor, WM_KEYDOWN, key, 1);
  SendMessageW(editor, WM_CHAR, character, 1);
  SendMessageW(editor, WM_KEYUP, key, 0xC0000001);
}

void type_text(HWND editor, std::wstring_view text) {
  for (wchar_t c : text) {
    if (c == L'\r') {
      type_key(editor, VK_RETURN, L'\r');
    } else {
      SendMessageW(editor, WM_CHAR, c, 1);
    }
  }
}

class Editor : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    // Hidden: nothing here may depend on activation or the veil.
    frame_ = create_frame({0, 0, 600, 400});
    ASSERT_NE(frame_, nullptr);
    dpi_ = window_dpi(frame_);
    AppState state;
    state.frame = frame_;
    // Set-up installs the Liberation fonts; Wine's font dialog lists them.
    state.config.font_face = "Liberation Sans";
    state.font = UniqueFont(create_editor_font(state.config.font_face, state.config.font_size, dpi_));
    install_app_state(std::move(state));
    SetWindowSubclass(frame_, watch_changes, 1, reinterpret_cast<DWORD_PTR>(&changes_));
  }

  void TearDown() override {
    RemoveWindowSubclass(frame_, watch_changes, 1);
    DataFolderTest::TearDown();
  }

  // A tab whose editor is made as new_tab makes it, from the settings.
  HWND add_tab(std::string_view text = {}) {
    HFONT font = nullptr;
    bool wrap = true;
    std::int32_t zoom = 100;
    {
      auto state = app_state().borrow();
      font = state->font.get();
      wrap = state->config.word_wrap;
      zoom = state->config.zoom;
    }
    HWND editor = create_editor(frame_, font, wrap, zoom);
    EXPECT_NE(editor, nullptr);
    // The frame's layout would give it a size; without one, wrapping puts
    // every character on a line of its own.
    SetWindowPos(editor, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!text.empty()) EXPECT_TRUE(set_editor_text(editor, text).has_value());
    auto state = app_state().borrow();
    Tab tab;
    tab.id = state->next_id++;
    tab.untitled = static_cast<std::uint32_t>(tab.id);
    tab.editor = editor;
    state->tabs.push_back(tab);
    state->active = state->tabs.size() - 1;
    return editor;
  }

  std::vector<HWND> editors() {
    std::vector<HWND> all;
    auto state = app_state().borrow();
    for (const Tab& tab : state->tabs) all.push_back(tab.editor);
    return all;
  }

  bool dirty(std::size_t index) { return app_state().borrow()->tabs.at(index).dirty; }
  Config config() { return app_state().borrow()->config; }
  HFONT shared_font() { return app_state().borrow()->font.get(); }

  // What the program saved, read back by the settings reader.
  std::optional<Config> saved_config() const {
    const std::optional<std::string> bytes = read_file(data_dir_ + "\\config.json");
    if (!bytes || bytes->empty()) return std::nullopt;
    return parse_config(*bytes);
  }

  HWND frame_ = nullptr;
  UINT dpi_ = 96;
  ChangeLog changes_;
};

TEST_F(Editor, IsCreatedHiddenPlainAndReadyForLongTextInTheSharedFont) {
  HWND editor = add_tab();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(GetParent(editor), frame_);
  EXPECT_FALSE(IsWindowVisible(editor)) << "only the active tab's editor is shown, by the tab list";
  EXPECT_EQ(SendMessageW(editor, EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT), TM_PLAINTEXT);
  EXPECT_EQ(static_cast<std::uint64_t>(SendMessageW(editor, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
  EXPECT_EQ(SendMessageW(editor, EM_GETEVENTMASK, 0, 0), ENM_CHANGE | ENM_SELCHANGE);
  EXPECT_EQ(SendMessageW(editor, EM_GETLANGOPTIONS, 0, 0) & IMF_AUTOFONT, 0) << "the control must not pick fonts";
  EXPECT_EQ(shown_font(editor), expected_font(shared_font()));
  EXPECT_EQ(changes_.unsuppressed, 0) << "setting an editor up is no edit";
  EXPECT_FALSE(dirty(0));
}

TEST_F(Editor, TextComesBackAsTheControlHoldsIt) {
  struct Case {
    const char* what;
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"plain", "Hello, world", "Hello, world"},
      {"non-ASCII",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x82\xAC \xD0\x96 \xE6\xBC\xA2",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE2\x82\xAC \xD0\x96 \xE6\xBC\xA2"},
      {"astral", "\xF0\x9D\x84\x9E clef \xF0\x9F\x98\x80", "\xF0\x9D\x84\x9E clef \xF0\x9F\x98\x80"},
      {"paragraph ends are single CRs", "one\rtwo\r\rthree\r", "one\rtwo\r\rthree\r"},
      {"CR LF becomes CR", "one\r\ntwo", "one\rtwo"},
  };
  HWND editor = add_tab();
  for (const Case& c : cases) {
    EXPECT_TRUE(set_editor_text(editor, c.in).has_value());
    EXPECT_EQ(get_editor_text(editor), c.out) << c.what;
    EXPECT_EQ(editor_has_text(editor), !c.out.empty()) << c.what;
  }

  // A text longer than the control's default limit goes in and out whole.
  std::string long_text;
  for (int i = 0; i < 4000; ++i) long_text += "line " + std::to_string(i) + "\r";
  ASSERT_GT(long_text.size(), 32767u);
  EXPECT_TRUE(set_editor_text(editor, long_text).has_value());
  const std::string long_back = get_editor_text(editor);
  EXPECT_EQ(long_back.size(), long_text.size());
  EXPECT_TRUE(long_back == long_text);

  // Half a surrogate pair in the control reads back as U+FFFD.
  EXPECT_TRUE(set_editor_text(editor, "a").has_value());
  SendMessageW(editor, EM_SETSEL, 1, 1);
  const wchar_t lone[] = {L'\xD83D', L'b', L'\0'};
  SendMessageW(editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(lone));
  EXPECT_EQ(get_editor_text(editor),
            "a\xEF\xBF\xBD"
            "b");
}

TEST_F(Editor, SettingTextFailsUnlessTheEditorHoldsAllOfIt) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t taken;  // UTF-16 units the editor takes
    bool whole;
  };
  const Case cases[] = {
      {"all of it", "abcdef", 6, true},
      {"one unit short", "abcdef", 5, false},
      {"none of it", "abcdef", 0, false},
      {"CR LF and CR CR LF end one paragraph each", "ab\r\ncd\r\r\ne\nf", 12, true},
      {"the last line lost", "ab\r\ncd\r\r\ne\nf", 10, false},
      {"astral characters are two units", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 3, false},
      {"an empty text", "", 0, true},
      {"a NUL ends what the control reads", std::string("ab\0cd", 5), 5, false},
  };
  HWND editor = add_tab();
  for (const Case& c : cases) {
    SetWindowSubclass(editor, takes_only_part, 2, c.taken);
    const Result<void> set = set_editor_text(editor, c.text);
    RemoveWindowSubclass(editor, takes_only_part, 2);
    EXPECT_EQ(set.has_value(), c.whole) << c.what;
    if (!set) EXPECT_NE(set.error().find("could not hold all of the text"), std::string::npos) << set.error();
  }
  EXPECT_FALSE(change_suppressed());
}

TEST_F(Editor, TakingTheTextOutWipesItsCopyAlsoWhenMemoryRunsOut) {
  // Long enough that each copy is a block of its own, above the probe's size.
  constexpr std::string_view marker = "Qx7-tab-text-marker";
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::string(marker) + " line\r";
  HWND editor = add_tab(text);
  // The first large block is the UTF-16 copy, the second its UTF-8 form.
  for (const std::size_t fail_at : {1u, 2u, 0u}) {
    AllocProbe probe(marker, fail_at, 1024);
    std::size_t length = 0;
    try {
      // The caller's copy is the caller's to wipe.
      length = Wiped<std::string>(get_editor_text(editor))->size();
    } catch (const std::bad_alloc&) {
      length = 0;
    }
    EXPECT_EQ(probe.failed(), fail_at != 0) << fail_at;
    EXPECT_EQ(length, fail_at == 0 ? text.size() : 0) << fail_at;
    EXPECT_EQ(probe.unwiped(), 0u) << "allocation " << fail_at << " failed";
  }
}

TEST_F(Editor, TypingIsAnEditAndEnterIsACrButSettingTextIsNeither) {
  HWND editor = add_tab();
  type_text(editor, L"ab\rc\u00E9");
  EXPECT_EQ(get_editor_text(editor), "ab\rc\xC3\xA9") << "Enter is one CR, not CR LF";
  EXPECT_TRUE(dirty(0)) << "typing reaches the tab through the frame";
  EXPECT_GT(changes_.unsuppressed, 0);
  EXPECT_TRUE(SendMessageW(editor, EM_CANUNDO, 0, 0));

  {
    auto state = app_state().borrow();
    state->tabs[0].dirty = false;
    state->tabs[0].store_pending = false;
  }
  changes_ = {};
  EXPECT_TRUE(set_editor_text(editor, "replaced\rwhole").has_value());
  EXPECT_EQ(get_editor_text(editor), "replaced\rwhole");
  EXPECT_EQ(changes_.unsuppressed, 0);
  EXPECT_FALSE(dirty(0));
  EXPECT_FALSE(app_state().borrow()->tabs[0].store_pending);
  EXPECT_FALSE(SendMessageW(editor, EM_CANUNDO, 0, 0)) << "the typing before is not undoable into the new text";
  SendMessageW(editor, EM_UNDO, 0, 0);
  EXPECT_EQ(get_editor_text(editor), "replaced\rwhole");
  EXPECT_FALSE(change_suppressed()) << "the flag is down again afterwards";

  {
    SuppressChange outer;
    EXPECT_TRUE(set_editor_text(editor, "nested").has_value());
    EXPECT_TRUE(change_suppressed()) << "an enclosing suppression stays in force";
  }
  EXPECT_FALSE(change_suppressed());
}

TEST_F(Editor, SelectedTextIsOnlyASmallForwardSelection) {
  std::string text;
  for (int i = 0; i < 1500; ++i) text += static_cast<char>('a' + i % 26);
  std::string astral;
  for (int i = 0; i < 501; ++i) astral += "\xF0\x9F\x98\x80";  // two units each
  struct Case {
    const char* what;
    const std::string* text;
    CHARRANGE select;
    std::string expected;
  };
  const std::string small = "one\rtwo three";
  const Case cases[] = {
      {"nothing", &text, {7, 7}, ""},
      {"a word", &small, {4, 7}, "two"},
      {"across a paragraph end", &small, {0, 7}, "one\rtwo"},
      {"1000 characters", &text, {0, 1000}, text.substr(0, 1000)},
      {"1001 characters", &text, {0, 1001}, ""},
      {"1000 later ones", &text, {500, 1500}, text.substr(500, 1000)},
      {"everything", &text, {0, -1}, ""},
      {"selected backwards", &small, {7, 4}, "two"},
      {"500 astral characters are 1000 units", &astral, {0, 1000}, astral.substr(0, 2000)},
      {"501 are too many", &astral, {0, 1002}, ""},
  };
  HWND editor = add_tab();
  for (const Case& c : cases) {
    EXPECT_TRUE(set_editor_text(editor, *c.text).has_value());
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&c.select));
    EXPECT_EQ(get_selected_text(editor), c.expected) << c.what;
  }

  EXPECT_TRUE(set_editor_text(editor, small).has_value());
  set_selection(editor, CHARRANGE{4, 7});
  const CHARRANGE got = get_selection(editor);
  EXPECT_EQ(got.cpMin, 4);
  EXPECT_EQ(got.cpMax, 7);
}

// A control that reports its selection the wrong way round.
LRESULT CALLBACK reversed_selection(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  if (message == EM_EXGETSEL) {
    *reinterpret_cast<CHARRANGE*>(lparam) = CHARRANGE{7, 4};
    return 0;
  }
  if (message == EM_GETSELTEXT) ++*reinterpret_cast<int*>(data);
  return DefSubclassProc(window, message, wparam, lparam);
}

TEST_F(Editor, AReversedSelectionGivesNoText) {
  HWND editor = add_tab("one two three");
  SendMessageW(editor, EM_SETSEL, 4, 7);
  int asked = 0;
  SetWindowSubclass(editor, reversed_selection, 1, reinterpret_cast<DWORD_PTR>(&asked));
  EXPECT_EQ(get_selected_text(editor), "");
  RemoveWindowSubclass(editor, reversed_selection, 1);
  EXPECT_EQ(asked, 0) << "the text is not even asked for";
  EXPECT_EQ(get_selected_text(editor), "two");
}

TEST_F(Editor, FontsHaveTheCharacterHeightOfTheirPointSize) {
  struct Case {
    const char* face;
    std::int32_t points;
    UINT dpi;
    LONG height;
  };
  const Case cases[] = {
      {"Tahoma", 10, 96, -13},      {"Tahoma", 11, 120, -18}, {"Tahoma", 10, 144, -20},
      {"Courier New", 12, 96, -16}, {"Tahoma", 1, 96, -1},    {"Tahoma", 72, 192, -192},
  };
  for (const Case& c : cases) {
    UniqueFont font(create_editor_font(c.face, c.points, c.dpi));
    ASSERT_TRUE(font) << c.face;
    const LOGFONTW record = font_record(font.get());
    EXPECT_EQ(record.lfHeight, c.height) << c.points << " pt at " << c.dpi;
    EXPECT_EQ(record.lfWidth, 0);
    EXPECT_EQ(record.lfWeight, FW_NORMAL);
    EXPECT_FALSE(record.lfItalic || record.lfUnderline || record.lfStrikeOut);
    EXPECT_EQ(record.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(record.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(to_utf8(record.lfFaceName), c.face);
  }
}

TEST_F(Editor, ANewFontReachesEveryEditorAndTheOldOneIsFreed) {
  add_tab("first");
  add_tab("second");
  const HFONT old = shared_font();
  changes_ = {};
  HFONT font = create_editor_font("Liberation Mono", 14, dpi_);
  apply_editor_font(font);
  EXPECT_EQ(shared_font(), font);
  for (HWND editor : editors()) EXPECT_EQ(shown_font(editor), expected_font(font));
  EXPECT_EQ(GetObjectType(old), 0u) << "the previous font is deleted";
  EXPECT_EQ(changes_.unsuppressed, 0);
  EXPECT_FALSE(dirty(0) || dirty(1));
  EXPECT_EQ(get_editor_text(editors()[1]), "second");

  // A font that could not be made changes nothing.
  apply_editor_font(nullptr);
  EXPECT_EQ(shared_font(), font);
  EXPECT_EQ(shown_font(editors()[0]), expected_font(font));
}

TEST_F(Editor, ZoomIsClampedSavedAndShownByEveryEditor) {
  add_tab("one");
  add_tab("two");
  struct Case {
    std::int64_t asked;
    std::int32_t zoom;
  };
  const Case cases[] = {
      {150, 150}, {15, 20},   {19, 20}, {20, 20},  {21, 21},
      {500, 500}, {501, 500}, {0, 20},  {-40, 20}, {INT64_C(1) << 40, 500},
      {100, 100},
  };
  for (const Case& c : cases) {
    set_zoom(c.asked);
    EXPECT_EQ(current_zoom(), c.zoom) << c.asked;
    for (HWND editor : editors()) EXPECT_EQ(editor_zoom(editor), c.zoom) << c.asked;
    const std::optional<Config> saved = saved_config();
    ASSERT_TRUE(saved) << c.asked;
    EXPECT_EQ(saved->zoom, c.zoom) << c.asked;
  }
}

TEST_F(Editor, AStoredZoomIsShownAsStoredAndTheNextStepStartsFromIt) {
  struct Case {
    std::int32_t stored;
    int step;
    std::int32_t after;
  };
  const Case cases[] = {
      {15, +10, 25},
      {15, -10, 20},
      {20, -10, 20},
      {500, +10, 500},
      {495, +10, 500},
      // Any 32-bit number can come from the settings file; a step from it must not overflow.
      {INT32_MAX, +10, 500},
      {INT32_MIN, -10, 20},
  };
  for (const Case& c : cases) {
    app_state().borrow()->config.zoom = c.stored;
    HWND editor = add_tab("text");
    if (c.stored >= 15 && c.stored <= 500) EXPECT_EQ(editor_zoom(editor), c.stored);
    set_zoom(current_zoom() + c.step);
    EXPECT_EQ(current_zoom(), c.after) << c.stored << " " << c.step;
    EXPECT_EQ(editor_zoom(editor), c.after) << c.stored << " " << c.step;
  }
}

TEST_F(Editor, WordWrapChangesEveryTabAtOnce) {
  std::string line;
  for (int i = 0; i < 40; ++i) line += "word ";
  for (int i = 0; i < 3; ++i) add_tab(line);
  for (HWND editor : editors()) SetWindowPos(editor, nullptr, 0, 0, 200, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  auto lines = [&] {
    std::vector<LRESULT> counts;
    for (HWND editor : editors()) counts.push_back(SendMessageW(editor, EM_GETLINECOUNT, 0, 0));
    return counts;
  };
  for (LRESULT count : lines()) EXPECT_GT(count, 1) << "wrapping at the window edge";

  toggle_word_wrap();
  EXPECT_FALSE(config().word_wrap);
  EXPECT_EQ(lines(), (std::vector<LRESULT>{1, 1, 1}));
  ASSERT_TRUE(saved_config());
  EXPECT_FALSE(saved_config()->word_wrap);

  toggle_word_wrap();
  EXPECT_TRUE(config().word_wrap);
  for (LRESULT count : lines()) EXPECT_GT(count, 1);
  EXPECT_TRUE(saved_config()->word_wrap);
  EXPECT_EQ(changes_.unsuppressed, 0);
}

// ---- the font dialog ----

// What the user does in the system's font dialog, and what it showed.
struct DialogAnswer {
  std::optional<std::wstring> face;  // to choose, or keep the one shown
  std::optional<std::wstring> size;  // to pick in the size field
  bool ok = true;
  std::wstring shown_face;
  std::wstring shown_size;
  HWND owner = nullptr;
  bool answered = false;
};

std::wstring item_text(HWND dialog, int id) {
  wchar_t text[128] = {};
  GetDlgItemTextW(dialog, id, text, 128);
  return text;
}

// Notes what the dialog shows, then picks and presses as `answer` says.
void answer_font_dialog(DialogAnswer& answer, HWND dialog) {
  answer.answered = true;
  answer.owner = GetWindow(dialog, GW_OWNER);
  constexpr int face_box = 0x470;  // cmb1
  constexpr int size_box = 0x472;  // cmb3
  answer.shown_face = item_text(dialog, face_box);
  answer.shown_size = item_text(dialog, size_box);
  if (answer.face) {
    HWND faces = GetDlgItem(dialog, face_box);
    SendMessageW(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(answer.face->c_str()));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(face_box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
  }
  if (answer.size) {
    // A size from the list is picked as a user picks it; Wine's dialog reads
    // only the list, Windows also a typed size.
    HWND sizes = GetDlgItem(dialog, size_box);
    const LRESULT index = SendMessageW(sizes, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(answer.size->c_str()));
    if (index != CB_ERR) {
      SendMessageW(sizes, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(size_box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sizes));
    } else {
      SetDlgItemTextW(dialog, size_box, answer.size->c_str());
    }
  }
  const int button = answer.ok ? IDOK : IDCANCEL;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class FontCommand : public Editor {
 protected:
  void run(DialogAnswer& answer) {
    Script script{{{SYSTEM_DIALOG_CLASS, [&answer](HWND dialog) { answer_font_dialog(answer, dialog); }}}};
    with_script(script, [&] { choose_editor_font(frame_); });
    ASSERT_TRUE(answer.answered) << "the dialog was never shown";
    EXPECT_EQ(answer.owner, frame_) << "the dialog belongs to the frame";
  }
};

TEST_F(FontCommand, TheDialogStartsOnTheSettingsFontWithTheDarkHook) {
  struct Case {
    std::string face;
    std::int32_t points;
    UINT dpi;
    LONG height;
    std::wstring field;
  };
  const Case cases[] = {
      {"Consolas", 11, 96, -15, L"Consolas"},
      {"Consolas", 11, 120, -18, L"Consolas"},
      {"Liberation Mono", 10, 144, -20, L"Liberation Mono"},
      {std::string(40, 'F'), 12, 96, -16, std::wstring(31, L'F')},
  };
  for (const Case& c : cases) {
    const LOGFONTW logfont = font_dialog_logfont(c.face, c.points, c.dpi);
    EXPECT_EQ(logfont.lfHeight, c.height) << c.face;
    EXPECT_EQ(std::wstring(logfont.lfFaceName), c.field) << c.face;
    EXPECT_EQ(logfont.lfWeight, 0) << "everything else is zero";
  }

  LOGFONTW logfont = font_dialog_logfont("Consolas", 11, 96);
  const CHOOSEFONTW request = font_dialog_request(frame_, logfont);
  EXPECT_EQ(request.lStructSize, 104u);
  EXPECT_EQ(request.hwndOwner, frame_);
  EXPECT_EQ(request.lpLogFont, &logfont);
  EXPECT_EQ(request.Flags, 0x01000049u) << "screen fonts, no vertical ones, start from the font record, hooked";
  EXPECT_EQ(request.lpfnHook, dark_dialog_hook);
  EXPECT_EQ(request.rgbColors, palette().text_color);
}

TEST_F(FontCommand, InTheDarkThemeTheHookColoursTheDialogAndInTheLightNot) {
  for (bool dark : {false, true}) {
    set_dark_mode(dark);
    int ours = 0;
    LRESULT dialog_brush = 0;
    Script script{{{SYSTEM_DIALOG_CLASS, [&](HWND dialog) {
                      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                        ours += GetWindowLongPtrW(child, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(dark_control_proc);
                      }
                      const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
                      dialog_brush = SendMessageW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc.get()),
                                                  reinterpret_cast<LPARAM>(dialog));
                      click_button(dialog, IDCANCEL);
                    }}}};
    with_script(script, [&] { choose_editor_font(frame_); });
    // The labels ("Font:", "Size:", ...) get the disabled painting.
    EXPECT_EQ(ours > 0, dark) << ours;
    EXPECT_EQ(dialog_brush == reinterpret_cast<LRESULT>(palette().window_brush), dark);
  }
}

TEST_F(FontCommand, ACancelledDialogChangesNothing) {
  add_tab("text");
  const HFONT before = shared_font();
  DialogAnswer answer{.size = L"36", .ok = false};
  run(answer);
  EXPECT_EQ(answer.shown_face, L"Liberation Sans");
  EXPECT_EQ(answer.shown_size, L"11");
  EXPECT_EQ(config().font_face, "Liberation Sans");
  EXPECT_EQ(config().font_size, 11);
  EXPECT_EQ(shared_font(), before);
  EXPECT_EQ(shown_font(editors()[0]), expected_font(before));
  EXPECT_FALSE(saved_config()) << "nothing was saved";
}

TEST_F(FontCommand, AChosenFontIsSavedAndGivenToEveryEditor) {
  struct Case {
    std::optional<std::wstring> face;
    std::wstring size;
    std::string stored_face;
    std::int32_t stored_size;
  };
  const Case cases[] = {
      {std::nullopt, L"14", "Liberation Sans", 14},
      {std::nullopt, L"8", "Liberation Sans", 8},
      {L"Liberation Mono", L"36", "Liberation Mono", 36},
      {L"Liberation Sans", L"11", "Liberation Sans", 11},
  };
  add_tab("first");
  add_tab("second");
  for (const Case& c : cases) {
    const HFONT before = shared_font();
    DialogAnswer answer{.face = c.face, .size = c.size};
    run(answer);
    EXPECT_EQ(config().font_face, c.stored_face) << to_utf8(c.size);
    EXPECT_EQ(config().font_size, c.stored_size) << to_utf8(c.size);
    const std::optional<Config> saved = saved_config();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->font_face, c.stored_face);
    EXPECT_EQ(saved->font_size, c.stored_size);

    const HFONT font = shared_font();
    EXPECT_NE(font, before);
    EXPECT_EQ(GetObjectType(before), 0u);
    const LOGFONTW record = font_record(font);
    EXPECT_EQ(record.lfHeight, font_height_for(c.stored_size, dpi_));
    EXPECT_EQ(to_utf8(record.lfFaceName), c.stored_face);
    for (HWND editor : editors()) EXPECT_EQ(shown_font(editor), expected_font(font));
  }
  EXPECT_EQ(changes_.unsuppressed, 0);
  EXPECT_EQ(get_editor_text(editors()[0]), "first");
}

}  // namespace
