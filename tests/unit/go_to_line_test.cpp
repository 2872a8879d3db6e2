// Every kind of answer the go-to-line prompt can get, typed or pasted, and
// what an accepted one does to the caret.

#include "find/go_to_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// An editor of ten lines, "line\r" each: line n (from 0) starts at 5n.
std::int32_t ten_lines(std::int32_t line) { return line >= 0 && line < 10 ? line * 5 : -1; }

constexpr const char* type_a_number = "Type a line number.";
constexpr const char* no_such_line = "There is no such line.";

TEST(GoToLine, TheEnteredTextBecomesTheStartOfThatLine) {
  struct Case {
    std::string entered;
    std::optional<std::int32_t> position;
    const char* message;
  };
  const Case cases[] = {
      {"1", 0, nullptr},
      {"7", 30, nullptr},
      {" 7 ", 30, nullptr},
      // Tab, no-break space, ideographic space: Unicode white space.
      {"\t7\xC2\xA0\xE3\x80\x80", 30, nullptr},
      {"+7", 30, nullptr},
      {"007", 30, nullptr},
      {"10", 45, nullptr},
      {"11", std::nullopt, no_such_line},
      {"0", std::nullopt, no_such_line},
      {"-3", std::nullopt, no_such_line},
      {"-0", std::nullopt, no_such_line},
      {"2147483647", std::nullopt, no_such_line},
      {"-2147483648", std::nullopt, no_such_line},
      {"", std::nullopt, type_a_number},
      {"   ", std::nullopt, type_a_number},
      {"12a", std::nullopt, type_a_number},
      {"1 2", std::nullopt, type_a_number},
      {"+", std::nullopt, type_a_number},
      {"-", std::nullopt, type_a_number},
      {"2147483648", std::nullopt, type_a_number},
      {"99999999999999999999999", std::nullopt, type_a_number},
      {"\xE2\x88\x92"
       "3",
       std::nullopt, type_a_number},                  // U+2212 MINUS SIGN
      {"\xD9\xA3", std::nullopt, type_a_number},      // ARABIC-INDIC DIGIT THREE
      {"\xEF\xBC\x97", std::nullopt, type_a_number},  // FULLWIDTH DIGIT SEVEN
      {"7\xFF", std::nullopt, type_a_number},
  };
  for (const Case& c : cases) {
    const Result<std::int32_t> position = go_to_line_position(c.entered, ten_lines);
    if (c.position) {
      ASSERT_TRUE(position.has_value()) << c.entered << ": " << position.error();
      EXPECT_EQ(*position, *c.position) << c.entered;
    } else {
      ASSERT_FALSE(position.has_value()) << c.entered;
      EXPECT_EQ(position.error(), c.message) << c.entered;
    }
  }
}

TEST(GoToLine, OnlyAnAcceptedAnswerMovesTheCaret) {
  std::vector<std::int32_t> carets;
  GoToLineEditor editor{ten_lines, [&](std::int32_t position) { carets.push_back(position); }};
  std::vector<SecureBuffer> texts;
  texts.emplace_back(std::string_view("0"));
  EXPECT_EQ(go_to_line_validator(&editor, texts).error(), no_such_line);
  texts[0] = SecureBuffer(std::string_view("x"));
  EXPECT_EQ(go_to_line_validator(&editor, texts).error(), type_a_number);
  EXPECT_EQ(go_to_line_validator(&editor, {}).error(), type_a_number);
  texts[0] = SecureBuffer(std::string_view(" 3 "));
  EXPECT_TRUE(go_to_line_validator(&editor, texts).has_value());
  EXPECT_EQ(carets, (std::vector<std::int32_t>{10}));
}

}  // namespace
