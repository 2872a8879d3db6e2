// The find bar in the frame against real Rich Edit editors: where it sits,
// what its buttons find and replace, how it hides under the veil, and the
// go-to-line prompt moving the caret.

#include <windows.h>

#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "alloc_probe.h"
#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/strip_layout.h"
#include "editor/tabs.h"
#include "find/find_bar.h"
#include "find/go_to_line_win.h"
#include "model/app_state.h"
#include "model/find_bar_state.h"
#include "privacy/veil.h"
#include "privacy/veil_layout.h"
#include "support.h"
#include "text/editor_text.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/password_prompt.h"
#include "ui/window_dpi.h"

namespace {

using namespace wintest;

RECT rect_in_parent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class FindBar : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    frame_ = create_frame({0, 0, 900, 500});
    ASSERT_NE(frame_, nullptr);
    dpi_ = window_dpi(frame_);
    AppState state;
    state.frame = frame_;
    state.font = UniqueFont(create_editor_font(state.config.font_face, state.config.font_size, dpi_));
    install_app_state(std::move(state));
    ASSERT_TRUE(create_find_bar(frame_));
    bar_ = find_bar_state().window;
    ShowWindow(frame_, SW_SHOW);
  }

  // A tab holding `text` (CR paragraph ends), made active.
  HWND open(std::string_view text) {
    const std::size_t index = new_tab();
    HWND editor = app_state().borrow()->tabs[index].editor;
    // Not under a borrow: the editor notifies the frame as its text changes.
    EXPECT_TRUE(set_editor_text(editor, text));
    activate_tab(index);
    return editor;
  }

  bool dirty() { return app_state().borrow()->active_tab()->dirty; }

  void set_field(int id, std::string_view text) { set_control_text(bar_, id, text); }
  std::string field(int id) { return to_utf8(text_of(bar_, id)); }
  void set_match_case(bool on) {
    SendDlgItemMessageW(bar_, FIND_MATCH_CASE_ID, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void click(int id) {
    SendMessageW(bar_, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(GetDlgItem(bar_, id)));
  }

  int S(int value) const { return scale_for_dpi(value, dpi_); }

  HWND frame_ = nullptr;
  HWND bar_ = nullptr;
  UINT dpi_ = 96;
};

CHARRANGE selection_of(HWND editor) { return get_selection(editor); }

TEST_F(FindBar, OpensBetweenStripAndEditorOneOrTwoRowsHighAndClosesAgain) {
  HWND editor = open("text");
  RECT client{};
  GetClientRect(frame_, &client);
  const int strip = S(TAB_STRIP_HEIGHT);
  EXPECT_EQ(rect_in_parent(editor).top, strip);
  EXPECT_FALSE(IsWindowVisible(bar_));

  struct Case {
    bool with_replace;
    int rows;
  };
  for (const Case c :
       {Case{false, FIND_ROW_HEIGHT}, Case{true, FIND_AND_REPLACE_HEIGHT}, Case{false, FIND_ROW_HEIGHT}}) {
    show_find_bar(c.with_replace);
    const RECT bar = rect_in_parent(bar_);
    EXPECT_TRUE(IsWindowVisible(bar_)) << c.with_replace;
    EXPECT_EQ(bar.top, strip) << c.with_replace;
    EXPECT_EQ(bar.bottom - bar.top, S(c.rows)) << c.with_replace;
    EXPECT_EQ(bar.right - bar.left, client.right) << c.with_replace;
    EXPECT_EQ(rect_in_parent(editor).top, strip + S(c.rows)) << c.with_replace;
    for (const int id : {REPLACE_LABEL_ID, REPLACE_FIELD_ID, REPLACE_ONE_ID, REPLACE_ALL_ID}) {
      EXPECT_EQ(IsWindowVisible(GetDlgItem(bar_, id)) != FALSE, c.with_replace) << id;
    }
    EXPECT_EQ(GetFocus(), GetDlgItem(bar_, FIND_FIELD_ID));
  }

  // Every control at its place for the bar's DPI, also after a relayout.
  relayout_find_bar();
  for (const ControlSpec& spec : find_bar_controls()) {
    const RECT r = rect_in_parent(GetDlgItem(bar_, spec.id));
    EXPECT_EQ(r.left, S(spec.x)) << spec.id;
    EXPECT_EQ(r.top, S(spec.y)) << spec.id;
    EXPECT_EQ(r.right - r.left, S(spec.width)) << spec.id;
    EXPECT_EQ(r.bottom - r.top, S(spec.height)) << spec.id;
  }

  click(FIND_CLOSE_ID);
  EXPECT_FALSE(find_bar_state().find_bar_shown);
  EXPECT_FALSE(IsWindowVisible(bar_));
  EXPECT_EQ(rect_in_parent(editor).top, strip);
  EXPECT_EQ(GetFocus(), editor);
}

TEST_F(FindBar, NextAndPreviousWrapAroundAtBothEnds) {
  // "ab" at 0, 6 and 12.
  HWND editor = open("ab xx ab xx ab");
  show_find_bar(false);
  set_field(FIND_FIELD_ID, "ab");
  struct Case {
    CHARRANGE from;
    bool forward;
    CHARRANGE found;
  };
  const Case cases[] = {
      {{0, 0}, true, {0, 2}},    {{0, 2}, true, {6, 8}},    {{9, 9}, true, {12, 14}}, {{14, 14}, true, {0, 2}},
      {{12, 14}, true, {0, 2}},  {{9, 9}, false, {6, 8}},   {{6, 8}, false, {0, 2}},  {{0, 2}, false, {12, 14}},
      {{0, 0}, false, {12, 14}}, {{13, 13}, false, {6, 8}},
  };
  for (const Case& c : cases) {
    set_field(FIND_RESULT_ID, "stale");
    set_selection(editor, c.from);
    SetFocus(editor);
    click(c.forward ? FIND_NEXT_ID : FIND_PREVIOUS_ID);
    const CHARRANGE got = selection_of(editor);
    EXPECT_EQ(got.cpMin, c.found.cpMin) << c.from.cpMin << "-" << c.from.cpMax << " forward " << c.forward;
    EXPECT_EQ(got.cpMax, c.found.cpMax) << c.from.cpMin << "-" << c.from.cpMax << " forward " << c.forward;
    EXPECT_EQ(field(FIND_RESULT_ID), "");
    EXPECT_EQ(GetFocus(), GetDlgItem(bar_, FIND_FIELD_ID)) << "the buttons give the focus back to the field";
  }
}

TEST_F(FindBar, MatchCaseNotFoundAndAnEmptyField) {
  HWND editor = open("Alpha beta");
  show_find_bar(false);
  struct Case {
    const char* find;
    bool match_case;
    const char* label;
    CHARRANGE selection;
  };
  const Case cases[] = {
      {"ALPHA", false, "", {0, 5}},
      {"ALPHA", true, "Not found", {3, 3}},
      {"gamma", false, "Not found", {3, 3}},
      // Nothing happens at all: the label keeps what it said.
      {"", false, "stale", {3, 3}},
  };
  for (const Case& c : cases) {
    set_selection(editor, {3, 3});
    set_field(FIND_FIELD_ID, c.find);
    set_field(FIND_RESULT_ID, "stale");
    set_match_case(c.match_case);
    find_step(true);
    EXPECT_EQ(field(FIND_RESULT_ID), c.label) << c.find << " " << c.match_case;
    const CHARRANGE got = selection_of(editor);
    EXPECT_EQ(got.cpMin, c.selection.cpMin) << c.find << " " << c.match_case;
    EXPECT_EQ(got.cpMax, c.selection.cpMax) << c.find << " " << c.match_case;
  }
}

TEST_F(FindBar, ReplaceTakesOnlyAMatchingSelectionThenSelectsTheNextMatch) {
  struct Case {
    const char* what;
    CHARRANGE selection;
    bool match_case;
    const char* text;
    CHARRANGE next;
    const char* label;
  };
  const Case cases[] = {
      {"other case, case ignored", {0, 3}, false, "X abc ABC", {2, 5}, ""},
      {"other case, case matched", {0, 3}, true, "ABC abc ABC", {4, 7}, ""},
      {"not the text sought", {0, 2}, false, "ABC abc ABC", {4, 7}, ""},
      {"empty selection", {0, 0}, false, "ABC abc ABC", {0, 3}, ""},
      {"the last match wraps", {8, 11}, false, "ABC abc X", {0, 3}, ""},
      {"replaced, then nothing left", {4, 7}, true, "ABC X ABC", {5, 5}, "Not found"},
  };
  for (const Case& c : cases) {
    HWND editor = open("ABC abc ABC");
    show_find_bar(true);
    set_field(FIND_FIELD_ID, "abc");
    set_field(REPLACE_FIELD_ID, "X");
    set_match_case(c.match_case);
    set_selection(editor, c.selection);
    click(REPLACE_ONE_ID);
    EXPECT_EQ(get_editor_text(editor), c.text) << c.what;
    const CHARRANGE got = selection_of(editor);
    EXPECT_EQ(got.cpMin, c.next.cpMin) << c.what;
    EXPECT_EQ(got.cpMax, c.next.cpMax) << c.what;
    EXPECT_EQ(field(FIND_RESULT_ID), c.label) << c.what;
    EXPECT_EQ(dirty(), std::string_view(c.text) != "ABC abc ABC") << c.what;
  }
}

TEST_F(FindBar, ReplaceAllIsOneUndoStepAndNothingFoundChangesNothing) {
  struct Case {
    const char* text;
    const char* find;
    const char* replacement;
    bool match_case;
    const char* result;
    const char* label;
  };
  const Case cases[] = {
      {"aaa", "aa", "b", false, "ba", "Replaced 1"},
      {"One one ONE", "one", "1", false, "1 1 1", "Replaced 3"},
      {"One one ONE", "one", "1", true, "One 1 ONE", "Replaced 1"},
      {"a-b-c\rd-e", "-", "", false, "abc\rde", "Replaced 3"},
      {"abc", "x", "y", false, "abc", "Replaced 0"},
  };
  for (const Case& c : cases) {
    HWND editor = open(c.text);
    show_find_bar(true);
    set_field(FIND_FIELD_ID, c.find);
    set_field(REPLACE_FIELD_ID, c.replacement);
    set_match_case(c.match_case);
    click(REPLACE_ALL_ID);
    EXPECT_EQ(get_editor_text(editor), c.result) << c.text << " " << c.find;
    EXPECT_EQ(field(FIND_RESULT_ID), c.label) << c.text << " " << c.find;
    const bool changed = std::string_view(c.text) != c.result;
    EXPECT_EQ(dirty(), changed) << c.text << " " << c.find;
    EXPECT_EQ(SendMessageW(editor, EM_CANUNDO, 0, 0) != 0, changed) << c.text << " " << c.find;
    SendMessageW(editor, EM_UNDO, 0, 0);
    EXPECT_EQ(get_editor_text(editor), c.text) << "one undo takes it all back: " << c.text;
  }
}

TEST_F(FindBar, AFindTextLongerThanCanBeTypedIsSoughtWhole) {
  // A selection of up to 1000 characters fills the field, past what can be
  // typed into it. Only all 300 x's are a match; their first 255 would also
  // match on the second line.
  const std::string x300(300, 'x');
  HWND editor = open(x300 + "\r" + std::string(255, 'x') + "z");
  set_selection(editor, {0, 300});
  show_find_bar(true);
  ASSERT_EQ(field(FIND_FIELD_ID), x300);

  set_selection(editor, {300, 300});
  find_step(true);
  const CHARRANGE found = selection_of(editor);
  EXPECT_EQ(found.cpMin, 0);
  EXPECT_EQ(found.cpMax, 300);

  set_field(REPLACE_FIELD_ID, "y");
  click(REPLACE_ALL_ID);
  EXPECT_EQ(field(FIND_RESULT_ID), "Replaced 1");
  EXPECT_EQ(get_editor_text(editor), "y\r" + std::string(255, 'x') + "z");
}

TEST_F(FindBar, TheVeilHidesTheOpenBarKeepsItsRowsAndUncoverBringsItBack) {
  open("first line\rsecond line");
  ASSERT_TRUE(app_state().borrow()->config.hide_text);
  cover();
  const std::vector<EdgeRect> closed = current_veil_layout().line_bars;
  uncover();

  show_find_bar(true);
  cover();
  EXPECT_FALSE(IsWindowVisible(bar_));
  const std::vector<EdgeRect> open_bars = current_veil_layout().line_bars;
  ASSERT_EQ(open_bars.size(), closed.size());
  ASSERT_FALSE(closed.empty());
  for (std::size_t i = 0; i < closed.size(); ++i) {
    EXPECT_EQ(open_bars[i].top, closed[i].top + S(FIND_AND_REPLACE_HEIGHT)) << i;
  }
  // Opened again while veiled: still hidden, focus not taken from the veil.
  show_find_bar(false);
  EXPECT_FALSE(IsWindowVisible(bar_));
  uncover();
  EXPECT_TRUE(IsWindowVisible(bar_));

  hide_find_bar();
  cover();
  uncover();
  EXPECT_FALSE(IsWindowVisible(bar_)) << "a closed bar stays closed";
}

// Text of the document that every copy made of it carries, so that the
// allocator's probe can tell a copy freed unwiped.
constexpr std::string_view marker = "Qx7-tab-text-marker";

TEST_F(FindBar, ReplaceAllLeavesNoUnwipedCopyOfTheTextWhereverMemoryRunsOut) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += std::string(marker) + " x-line\r";
  HWND editor = open(text);
  show_find_bar(true);
  set_field(FIND_FIELD_ID, "x-line");
  set_field(REPLACE_FIELD_ID, "y");
  // Each large allocation of Replace All fails in turn, until one run needs
  // no more than there are: that run replaces.
  int failed_runs = 0;
  for (std::size_t fail_at = 1; fail_at < 40; ++fail_at) {
    bool failed = false;
    std::size_t unwiped = 0;
    {
      AllocProbe probe(marker, fail_at, 2048);
      click(REPLACE_ALL_ID);
      failed = probe.failed();
      unwiped = probe.unwiped();
    }
    EXPECT_EQ(unwiped, 0u) << "allocation " << fail_at;
    if (!failed) {
      EXPECT_EQ(field(FIND_RESULT_ID), "Replaced 200");
      EXPECT_TRUE(dirty());
      break;
    }
    ++failed_runs;
    EXPECT_EQ(field(FIND_RESULT_ID), "Not enough memory to replace every match") << fail_at;
    EXPECT_EQ(get_editor_text(editor), text) << fail_at;
    EXPECT_FALSE(dirty()) << fail_at;
  }
  // The whole text out, its new form and what lies between.
  EXPECT_GE(failed_runs, 3);
}

TEST_F(FindBar, SearchingAndReplacingLeaveNoUnwipedCopyOfTheDocumentsText) {
  const std::string line = std::string(marker) + " and the rest";
  HWND editor = open(line + "\r" + line + "\r" + line);
  set_selection(editor, {0, static_cast<LONG>(line.size())});
  set_field(REPLACE_FIELD_ID, "other text that is long enough");
  struct Case {
    const char* what;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"opening the bar over a selection", [] { show_find_bar(true); }},
      {"Next", [&] { click(FIND_NEXT_ID); }},
      {"Previous", [&] { click(FIND_PREVIOUS_ID); }},
      {"Replace, case ignored", [&] { click(REPLACE_ONE_ID); }},
      {"Replace, case matched",
       [&] {
         set_match_case(true);
         click(REPLACE_ONE_ID);
       }},
      {"Replace All", [&] { click(REPLACE_ALL_ID); }},
  };
  for (const Case& c : cases) {
    AllocProbe probe(marker);
    c.act();
    EXPECT_EQ(probe.unwiped(), 0u) << c.what;
  }
  ASSERT_EQ(field(FIND_FIELD_ID), line) << "the field was filled from the selection";
  EXPECT_EQ(get_editor_text(editor).find(marker), std::string::npos) << "every line was replaced";
}

TEST_F(FindBar, TabWalksEveryShownControlInOrderAndBack) {
  HWND editor = open("one two one");
  struct Walk {
    bool with_replace;
    std::vector<int> order;  // from the find field round to it again
  };
  const Walk walks[] = {
      {false, {FIND_FIELD_ID, FIND_PREVIOUS_ID, FIND_NEXT_ID, FIND_MATCH_CASE_ID, FIND_CLOSE_ID, FIND_FIELD_ID}},
      {true,
       {FIND_FIELD_ID, FIND_PREVIOUS_ID, FIND_NEXT_ID, FIND_MATCH_CASE_ID, REPLACE_FIELD_ID, REPLACE_ONE_ID,
        REPLACE_ALL_ID, FIND_CLOSE_ID, FIND_FIELD_ID}},
  };
  for (const Walk& w : walks) {
    show_find_bar(w.with_replace);
    for (const bool backward : {false, true}) {
      std::vector<int> expected = w.order;
      if (backward) std::reverse(expected.begin(), expected.end());
      std::vector<int> visited = {GetDlgCtrlID(GetFocus())};
      for (std::size_t i = 1; i < expected.size(); ++i) {
        ASSERT_TRUE(find_bar_tab(GetFocus(), backward));
        visited.push_back(GetDlgCtrlID(GetFocus()));
      }
      EXPECT_EQ(visited, expected) << "replace row " << w.with_replace << ", backward " << backward;
    }
  }
  // A field reached by Tab has its whole text selected, as in a dialog.
  set_field(REPLACE_FIELD_ID, "abc");
  SetFocus(GetDlgItem(bar_, FIND_MATCH_CASE_ID));
  ASSERT_TRUE(find_bar_tab(GetFocus(), false));
  EXPECT_EQ(SendDlgItemMessageW(bar_, REPLACE_FIELD_ID, EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
  EXPECT_FALSE(find_bar_tab(editor, false)) << "the editor's Tab is its own";
}

TEST_F(FindBar, AltWithAnUnderlinedLetterActsLikeTheControl) {
  HWND editor = open("one two one");
  show_find_bar(true);
  set_field(FIND_FIELD_ID, "one");
  set_field(REPLACE_FIELD_ID, "1");
  set_selection(editor, {0, 0});
  struct Case {
    wchar_t letter;
    bool taken;
    std::function<bool()> shows;
  };
  HWND find = GetDlgItem(bar_, FIND_FIELD_ID);
  HWND replace = GetDlgItem(bar_, REPLACE_FIELD_ID);
  const Case cases[] = {
      {L'e', true,
       [&] { return GetFocus() == replace && SendMessageW(replace, EM_GETSEL, 0, 0) == MAKELRESULT(0, 1); }},
      {L'F', true, [&] { return GetFocus() == find; }},
      {L'n', true, [&] { return selection_of(editor).cpMin == 0 && selection_of(editor).cpMax == 3; }},
      {L'N', true, [&] { return selection_of(editor).cpMin == 8; }},
      {L'p', true, [&] { return selection_of(editor).cpMin == 0 && selection_of(editor).cpMax == 3; }},
      {L'c', true, [&] { return SendDlgItemMessageW(bar_, FIND_MATCH_CASE_ID, BM_GETCHECK, 0, 0) == BST_CHECKED; }},
      {L'C', true, [&] { return SendDlgItemMessageW(bar_, FIND_MATCH_CASE_ID, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }},
      {L'r', true, [&] { return get_editor_text(editor) == "1 two one"; }},
      {L'a', true, [&] { return get_editor_text(editor) == "1 two 1" && field(FIND_RESULT_ID) == "Replaced 1"; }},
      {L'z', false, [&] { return get_editor_text(editor) == "1 two 1"; }},
  };
  for (const Case& c : cases) {
    // A mnemonic is the bar's only while the focus is in it.
    if (!IsChild(bar_, GetFocus())) SetFocus(find);
    EXPECT_EQ(find_bar_mnemonic(c.letter), c.taken) << static_cast<char>(c.letter);
    EXPECT_TRUE(c.shows()) << static_cast<char>(c.letter);
  }
  SetFocus(editor);
  EXPECT_FALSE(find_bar_mnemonic(L'N')) << "not from the editor";
  // The replace row's letters do nothing while it is hidden.
  show_find_bar(false);
  EXPECT_FALSE(find_bar_mnemonic(L'A'));
  EXPECT_FALSE(find_bar_mnemonic(L'E'));
  EXPECT_TRUE(find_bar_mnemonic(L'C'));
}

TEST_F(FindBar, GoToLineAsksUntilALineTheEditorHasThenPutsTheCaretAtItsStart) {
  HWND editor = open("l1\rl2\rl3\rl4");
  set_selection(editor, {1, 1});
  std::vector<std::wstring> errors;
  Script script{PASSWORD_PROMPT_CLASS,
                {[](HWND w) { post_key(w, VK_RETURN); },
                 [&](HWND w) {
                   errors.push_back(text_of(w, 4010));
                   type_into(w, 4000, "0");
                   post_key(w, VK_RETURN);
                 },
                 [&](HWND w) {
                   errors.push_back(text_of(w, 4010));
                   type_into(w, 4000, "5");
                   post_key(w, VK_RETURN);
                 },
                 [&](HWND w) {
                   errors.push_back(text_of(w, 4010));
                   type_into(w, 4000, "3");
                   post_key(w, VK_RETURN);
                 }}};
  with_script(script, [&] { go_to_line(frame_, editor); });
  EXPECT_EQ(find_thread_window(PASSWORD_PROMPT_CLASS), nullptr);
  const std::vector<std::wstring> expected = {L"Type a line number.", L"There is no such line.",
                                              L"There is no such line."};
  EXPECT_EQ(errors, expected);
  const CHARRANGE caret = selection_of(editor);
  EXPECT_EQ(caret.cpMin, 6);
  EXPECT_EQ(caret.cpMax, 6);

  ASSERT_FALSE(script.dialogs.empty());
  const SeenWindow& prompt = script.dialogs.front();
  EXPECT_EQ(prompt.title, L"Go To Line");
  EXPECT_EQ(prompt.owner, frame_);
  for (const char* text : {"Line number:", "Go To", "Cancel"}) EXPECT_TRUE(shows(prompt, text)) << text;
}

}  // namespace
