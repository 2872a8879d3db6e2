// Geometry of the message box and the prompt at 96 and 144 DPI, the answers
// their buttons give, and the conversion of typed secrets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialog_layout.h"
#include "ui/secret_text.h"

namespace {

struct Placed {
  ControlKind kind;
  std::int32_t id;
  PixelRect rect;
};

std::vector<Placed> placed(const DialogLayout& layout, std::uint32_t dpi) {
  std::vector<Placed> out;
  for (const ControlSpec& spec : layout.controls) out.push_back({spec.kind, spec.id, scaled_rect(spec, dpi)});
  return out;
}

void expect_controls(const DialogLayout& layout, std::uint32_t dpi, const std::vector<Placed>& expected) {
  const std::vector<Placed> got = placed(layout, dpi);
  ASSERT_EQ(got.size(), expected.size()) << "at " << dpi;
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].kind, expected[i].kind) << "control " << i << " at " << dpi;
    EXPECT_EQ(got[i].id, expected[i].id) << "control " << i << " at " << dpi;
    EXPECT_EQ(got[i].rect, expected[i].rect) << "control " << i << " at " << dpi;
  }
}

PixelRect outer(const DialogLayout& layout, std::uint32_t dpi) {
  return scaled_rect({.width = layout.width, .height = layout.height}, dpi);
}

TEST(MessageBoxLayout, OneLineTextGivesTheMinimumHeightAtBothScales) {
  const std::vector<std::wstring> buttons = {L"OK"};
  // A one-line text measures about 19 pixels; the text area is never lower than 32.
  for (std::int32_t measured : {0, 19, 32}) {
    const DialogLayout layout = message_box_layout(L"Saved.", measured, buttons);
    EXPECT_EQ(outer(layout, 96), (PixelRect{0, 0, 390, 144})) << measured;
    EXPECT_EQ(outer(layout, 144), (PixelRect{0, 0, 585, 216})) << measured;
    expect_controls(layout, 96,
                    {{ControlKind::Label, 0, {56, 12, 306, 32}}, {ControlKind::Button, 5000, {278, 64, 84, 26}}});
    expect_controls(layout, 144,
                    {{ControlKind::Label, 0, {84, 18, 459, 48}}, {ControlKind::Button, 5000, {417, 96, 126, 39}}});
  }
}

TEST(MessageBoxLayout, ButtonsStandRightAlignedAndALongTextGrowsTheWindow) {
  const std::vector<std::wstring> buttons = {L"Save", L"Don't Save", L"Cancel"};
  const DialogLayout layout = message_box_layout(L"long", 95, buttons);
  EXPECT_EQ(outer(layout, 96), (PixelRect{0, 0, 390, 207}));
  expect_controls(layout, 96,
                  {{ControlKind::Label, 0, {56, 12, 306, 95}},
                   {ControlKind::Button, 5000, {102, 127, 84, 26}},
                   {ControlKind::Button, 5001, {190, 127, 84, 26}},
                   {ControlKind::Button, 5002, {278, 127, 84, 26}}});
  expect_controls(layout, 144,
                  {{ControlKind::Label, 0, {84, 18, 459, 143}},
                   {ControlKind::Button, 5000, {153, 191, 126, 39}},
                   {ControlKind::Button, 5001, {285, 191, 126, 39}},
                   {ControlKind::Button, 5002, {417, 191, 126, 39}}});
  // Captions are borrowed from the caller's strings, in order.
  EXPECT_EQ(layout.controls[0].text, std::wstring(L"long"));
  for (std::size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(layout.controls[i + 1].text, buttons[i].c_str());
}

TEST(MessageBoxLayout, CommandIdsMapToAnswers) {
  struct Case {
    std::int32_t id;
    std::size_t buttons;
    std::size_t cancel;
    std::optional<std::size_t> answer;
  };
  const Case cases[] = {
      {5000, 1, 0, 0},
      {5001, 2, 1, 1},
      {5002, 3, 2, 2},
      {5002, 2, 2, std::nullopt},  // no third button: ignored
      {4999, 2, 1, std::nullopt},
      {2, 2, 2, 2},  // Esc or close box: the cancel value, even one that names no button
      {2, 3, 2, 2},
      {1, 2, 1, std::nullopt},  // IDOK is no button of ours
      {0, 1, 0, std::nullopt},
      {-1, 1, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_box_answer(c.id, c.buttons, c.cancel), c.answer) << c.id << " of " << c.buttons;
  }
}

TEST(PromptLayout, OneFieldWithExtraButton) {
  const std::vector<std::wstring> labels = {L"Password:"};
  const DialogLayout layout = prompt_layout({.labels = labels,
                                             .ok_text = L"Unlock",
                                             .cancel_text = L"Exit",
                                             .extra_text = L"Forgot It...",
                                             .numeric = false});
  EXPECT_EQ(outer(layout, 96), (PixelRect{0, 0, 340, 172}));
  EXPECT_EQ(outer(layout, 144), (PixelRect{0, 0, 510, 258}));
  expect_controls(layout, 96,
                  {{ControlKind::Label, 0, {12, 12, 300, 18}},
                   {ControlKind::PasswordEdit, 4000, {12, 32, 300, 24}},
                   {ControlKind::Label, 4010, {12, 64, 300, 18}},
                   {ControlKind::Button, 4012, {12, 92, 104, 26}},
                   {ControlKind::Button, 4011, {140, 92, 84, 26}},
                   {ControlKind::Button, 2, {228, 92, 84, 26}}});
  expect_controls(layout, 144,
                  {{ControlKind::Label, 0, {18, 18, 450, 27}},
                   {ControlKind::PasswordEdit, 4000, {18, 48, 450, 36}},
                   {ControlKind::Label, 4010, {18, 96, 450, 27}},
                   {ControlKind::Button, 4012, {18, 138, 156, 39}},
                   {ControlKind::Button, 4011, {210, 138, 126, 39}},
                   {ControlKind::Button, 2, {342, 138, 126, 39}}});
  EXPECT_EQ(layout.controls[3].text, std::wstring(L"Forgot It..."));
  EXPECT_EQ(layout.controls[1].limit, 200u);
}

TEST(PromptLayout, ThreeFieldsStackAndTheButtonsFollow) {
  const std::vector<std::wstring> labels = {L"Current password:", L"New password:", L"Repeat it:"};
  const DialogLayout layout =
      prompt_layout({.labels = labels, .ok_text = L"Change", .cancel_text = L"Cancel", .extra_text = nullptr});
  EXPECT_EQ(outer(layout, 96), (PixelRect{0, 0, 340, 276}));
  expect_controls(layout, 96,
                  {{ControlKind::Label, 0, {12, 12, 300, 18}},
                   {ControlKind::PasswordEdit, 4000, {12, 32, 300, 24}},
                   {ControlKind::Label, 0, {12, 64, 300, 18}},
                   {ControlKind::PasswordEdit, 4001, {12, 84, 300, 24}},
                   {ControlKind::Label, 0, {12, 116, 300, 18}},
                   {ControlKind::PasswordEdit, 4002, {12, 136, 300, 24}},
                   {ControlKind::Label, 4010, {12, 168, 300, 18}},
                   {ControlKind::Button, 4011, {140, 196, 84, 26}},
                   {ControlKind::Button, 2, {228, 196, 84, 26}}});
}

TEST(PromptLayout, NumericFieldTakesNineDigits) {
  const std::vector<std::wstring> labels = {L"Line number:"};
  const DialogLayout layout =
      prompt_layout({.labels = labels, .ok_text = L"Go To", .cancel_text = L"Cancel", .numeric = true});
  const ControlSpec& field = layout.controls[1];
  EXPECT_EQ(field.kind, ControlKind::ShortEdit);
  EXPECT_TRUE(field.flag);  // digits only
  EXPECT_EQ(field.limit, 9u);
  EXPECT_EQ(field.id, 4000);
}

std::vector<std::uint8_t> bytes_of(const SecureBuffer& b) { return {b.data(), b.data() + b.size()}; }

TEST(SecretText, ConvertsUtf16LikeTheRestOfTheProgram) {
  struct Case {
    std::wstring utf16;
    std::vector<std::uint8_t> utf8;
  };
  const Case cases[] = {
      {L"", {}},
      {L"pass", {'p', 'a', 's', 's'}},
      {std::wstring{wchar_t(0x00E9)}, {0xC3, 0xA9}},
      {std::wstring{wchar_t(0x20AC)}, {0xE2, 0x82, 0xAC}},
      {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, {0xF0, 0x9F, 0x98, 0x80}},              // a pair
      {std::wstring{wchar_t(0xD83D), L'x'}, {0xEF, 0xBF, 0xBD, 'x'}},                          // lone high
      {std::wstring{wchar_t(0xDE00)}, {0xEF, 0xBF, 0xBD}},                                     // lone low
      {std::wstring{L'a', wchar_t(0xD83D)}, {'a', 0xEF, 0xBF, 0xBD}},                          // cut at the end
      {std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, {0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD}},  // wrong order
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytes_of(secure_utf8_from_utf16(c.utf16)), c.utf8) << c.utf16.size() << " units";
  }
}

}  // namespace
