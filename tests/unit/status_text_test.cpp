#include "ui/status_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

// An editor holding `text`, whose lines end at '\r' as a Rich Edit control
// keeps them, with a selection made from `anchor` to `caret`.
class TextEditor final : public EditorCaretMetrics {
 public:
  TextEditor(std::u16string text, std::int64_t anchor, std::int64_t caret)
      : text_(std::move(text)), anchor_(anchor), caret_(caret) {}
  SelectionEnds selection() override { return {anchor_, caret_}; }
  std::int64_t line_from_char(std::int64_t position) override {
    return std::count(text_.begin(), text_.begin() + position, u'\r');
  }
  std::int64_t line_index(std::int64_t line) override {
    ++lines_asked_by_number;
    if (failing) return -1;
    std::int64_t start = 0;
    for (; line > 0; --line) start = static_cast<std::int64_t>(text_.find(u'\r', start)) + 1;
    return start;
  }
  std::int64_t caret_line_start() override {
    if (failing) return -1;
    const std::size_t before = text_.rfind(u'\r', static_cast<std::size_t>(std::max<std::int64_t>(caret_ - 1, 0)));
    return caret_ == 0 || before == std::u16string::npos ? 0 : static_cast<std::int64_t>(before) + 1;
  }
  bool failing = false;
  int lines_asked_by_number = 0;

 private:
  std::u16string text_;
  std::int64_t anchor_;
  std::int64_t caret_;
};

TEST(StatusText, CaretPlaceIsTheSelectionsLeftEndInEditorCharacters) {
  // Line 3 is a tab, "ab", a character outside the BMP (two units), "cd".
  const std::u16string text = u"one\rtwo\r\tab\U0001F600cd";
  struct Case {
    const char* what;
    std::int64_t anchor, caret;
    const char* left;  // as the status bar shows it
  };
  const Case cases[] = {
      {"the very start", 0, 0, "Ln 1, Col 1"},
      {"the end of the first line", 3, 3, "Ln 1, Col 4"},
      {"the start of the second line", 4, 4, "Ln 2, Col 1"},
      {"after the tab, which counts once", 9, 9, "Ln 3, Col 2"},
      {"before d: the pair counts twice", 14, 14, "Ln 3, Col 7"},
      {"the end of the text", 16, 16, "Ln 3, Col 9"},
      {"a selection made forwards", 9, 14, "Ln 3, Col 2"},
      {"the same selection made backwards", 14, 9, "Ln 3, Col 2"},
      {"backwards across lines", 14, 1, "Ln 1, Col 2"},
  };
  for (const Case& c : cases) {
    TextEditor editor(text, c.anchor, c.caret);
    EXPECT_EQ(status_texts({true, caret_place(editor)}).left, c.left) << c.what;
    // Asking for a line by its number is slow in a large document; the
    // caret alone never needs it.
    if (c.anchor == c.caret) EXPECT_EQ(editor.lines_asked_by_number, 0) << c.what;
  }
  TextEditor broken(text, 14, 14);
  broken.failing = true;
  EXPECT_GE(caret_place(broken).column, 1) << "a failed line query";
}

TEST(StatusText, RightTextJoinsItsPartsWithSixSpacesCaptureNoticeFirst) {
  struct Case {
    StatusFacts facts;
    StatusTexts expected;
  };
  const Case cases[] = {
      {{true, {3, 7}, 150, Eol::Lf, Encoding::Utf16Le, false}, {"Ln 3, Col 7", "150%      Unix (LF)      UTF-16 LE"}},
      {{true, {1, 1}, 100, Eol::CrLf, Encoding::Utf8, true},
       {"Ln 1, Col 1", "Hidden from Screen Capture      100%      Windows (CRLF)      UTF-8"}},
      {{true, {12345, 100000}, 20, Eol::Cr, Encoding::Utf8Bom, false},
       {"Ln 12345, Col 100000", "20%      Macintosh (CR)      UTF-8 with BOM"}},
      {{true, {2, 5}, 500, Eol::CrLf, Encoding::Ansi, true},
       {"Ln 2, Col 5", "Hidden from Screen Capture      500%      Windows (CRLF)      ANSI"}},
      {{true, {1, 1}, 90, Eol::Lf, Encoding::Utf16Be, false}, {"Ln 1, Col 1", "90%      Unix (LF)      UTF-16 BE"}},
      // Without an active tab nothing is shown, not even the capture notice.
      {{false, {3, 7}, 150, Eol::Lf, Encoding::Utf16Le, true}, {"", ""}},
  };
  for (const Case& c : cases) {
    const StatusTexts texts = status_texts(c.facts);
    EXPECT_EQ(texts.left, c.expected.left);
    EXPECT_EQ(texts.right, c.expected.right);
  }
}

}  // namespace
