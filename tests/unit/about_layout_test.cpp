// The About window's geometry from measured text sizes, at 96 and 144 DPI.

#include "about/about_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Expected {
  ControlKind kind;
  std::int32_t id;
  PixelRect at96, at144;
};

TEST(AboutLayout, ControlsFollowTheMeasuredTextsAndScaleHalfUp) {
  const AboutTexts texts{
      L"Nimbol 2027.0.0",       L"Homepage:", L"https://h/",           L"D", L"N", L"Updates:", L"https://u/",
      L"Settings and session:", L"C:\\d",     L"Third-Party Licenses", L"OK"};
  // Widths of the two labels and links, heights of the two long texts.
  const AboutMeasures measured{70, 150, 300, 40, 55, 180};
  const DialogLayout layout = about_layout(texts, measured);

  const std::vector<Expected> expected = {
      {ControlKind::Heading, 0, {56, 12, 420, 30}, {84, 18, 630, 45}},
      {ControlKind::Label, 0, {56, 54, 74, 20}, {84, 81, 111, 30}},
      {ControlKind::Link, 102, {134, 54, 152, 20}, {201, 81, 228, 30}},
      {ControlKind::Label, 0, {56, 86, 420, 300}, {84, 129, 630, 450}},
      {ControlKind::Label, 0, {56, 398, 420, 40}, {84, 597, 630, 60}},
      {ControlKind::Label, 0, {56, 444, 59, 20}, {84, 666, 89, 30}},  // 88.5 rounds up
      {ControlKind::Link, 103, {119, 444, 182, 20}, {179, 666, 273, 30}},
      {ControlKind::Label, 0, {56, 476, 420, 20}, {84, 714, 630, 30}},
      {ControlKind::PathLabel, 0, {56, 496, 420, 20}, {84, 744, 630, 30}},
      {ControlKind::Button, 100, {238, 536, 150, 26}, {357, 804, 225, 39}},
      {ControlKind::Button, 2, {396, 536, 80, 26}, {594, 804, 120, 39}},
  };
  ASSERT_EQ(layout.controls.size(), expected.size());
  const std::vector<const wchar_t*> shown = {
      texts.heading.c_str(),      texts.homepage_label.c_str(),  texts.homepage.c_str(),     texts.description.c_str(),
      texts.network_note.c_str(), texts.updates_label.c_str(),   texts.updates_page.c_str(), texts.data_label.c_str(),
      texts.data_folder.c_str(),  texts.licenses_button.c_str(), texts.ok_button.c_str()};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ControlSpec& spec = layout.controls[i];
    EXPECT_EQ(spec.kind, expected[i].kind) << i;
    EXPECT_EQ(spec.id, expected[i].id) << i;
    EXPECT_EQ(spec.text, shown[i]) << i;
    EXPECT_EQ(scaled_rect(spec, 96), expected[i].at96) << i;
    EXPECT_EQ(scaled_rect(spec, 144), expected[i].at144) << i;
  }
  EXPECT_EQ(layout.width, 504);
  EXPECT_EQ(layout.height, 616) << "Y1 (444) + 172";
}

TEST(AboutLayout, TheNetworkNoteNamesTheHostAndTakesTheSecurityLine) {
  EXPECT_EQ(about_network_note("u.example", ""),
            "Nimbol contacts u.example only to check for updates, and only if you allow it.");
  EXPECT_EQ(about_network_note("u.example", "Fixes until then."),
            "Nimbol contacts u.example only to check for updates, and only if you allow it.\nFixes until then.");
}

}  // namespace
