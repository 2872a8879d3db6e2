// The About window's texts and geometry, in 96-DPI units: a column at x 56,
// 420 wide, with the icon to the left of the heading; the long texts take
// the height they measure, and everything below moves down with them.

#include "about/about_layout.h"

#include "model/maker_site.h"

namespace {

constexpr std::int32_t left = 56;
constexpr std::int32_t top_of_links = 54;  // Y0
constexpr std::int32_t line_height = 20;

// A label sized to its text, and the link that follows it on the line.
void add_labelled_link(DialogLayout& layout, const std::wstring& label, std::int32_t label_width,
                       const std::wstring& link, std::int32_t link_width, std::int32_t id, std::int32_t y) {
  const std::int32_t label_box = label_width + 4;
  layout.controls.push_back({.kind = ControlKind::Label,
                             .text = label.c_str(),
                             .x = left,
                             .y = y,
                             .width = label_box,
                             .height = line_height});
  layout.controls.push_back({.kind = ControlKind::Link,
                             .text = link.c_str(),
                             .id = id,
                             .x = label_box + 60,
                             .y = y,
                             .width = link_width + 2,
                             .height = line_height});
}

}  // namespace

std::string about_heading() {
  std::string heading = "Nimbol ";
  heading += PRODUCT_VERSION;
  return heading;
}

std::string about_description() {
  return "A notepad that hides its text while you are not using it.\n\n"
         "What it protects:\n"
         "- Other people reading the window when you have switched away.\n"
         "- Screen sharing, screenshots and recordings, when Hide the Window from Screen Capture is on. This covers "
         "the menus and dialogs too.\n"
         "- The saved session. Unsaved tabs are stored encrypted for your Windows account, or under your password "
         "when you set one.\n\n"
         "What it does not protect:\n"
         "- Text on screen while you are working in the window.\n"
         "- A screen share made on another computer: when Nimbol runs in a remote session, the computer you connect "
         "from captures that session as a picture.\n"
         "- The program's memory while it is running.\n"
         "- Other programs running under your Windows account: they can read the text through Windows' "
         "accessibility features, also while it is hidden.\n"
         "- Files you save yourself: those are ordinary text files.";
}

std::string about_network_note(std::string_view update_host, std::string_view security_fixes_line) {
  std::string note = "Nimbol contacts ";
  note += update_host;
  note += " only to check for updates, and only if you allow it.";
  if (!security_fixes_line.empty()) {
    note += '\n';
    note += security_fixes_line;
  }
  return note;
}

DialogLayout about_layout(const AboutTexts& texts, const AboutMeasures& m) {
  const std::int32_t y1 = top_of_links + 44 + m.description_height + 6 + m.network_note_height;
  DialogLayout layout;
  layout.width = 504;
  layout.height = y1 + 172;
  layout.controls.push_back({.kind = ControlKind::Heading,
                             .text = texts.heading.c_str(),
                             .x = left,
                             .y = 12,
                             .width = ABOUT_TEXT_WIDTH,
                             .height = 30});
  add_labelled_link(layout, texts.homepage_label, m.homepage_label_width, texts.homepage, m.homepage_width,
                    ABOUT_HOMEPAGE_ID, top_of_links);
  layout.controls.push_back({.kind = ControlKind::Label,
                             .text = texts.description.c_str(),
                             .x = left,
                             .y = top_of_links + 32,
                             .width = ABOUT_TEXT_WIDTH,
                             .height = m.description_height});
  layout.controls.push_back({.kind = ControlKind::Label,
                             .text = texts.network_note.c_str(),
                             .x = left,
                             .y = top_of_links + 44 + m.description_height,
                             .width = ABOUT_TEXT_WIDTH,
                             .height = m.network_note_height});
  add_labelled_link(layout, texts.updates_label, m.updates_label_width, texts.updates_page, m.updates_page_width,
                    ABOUT_UPDATES_PAGE_ID, y1);
  layout.controls.push_back({.kind = ControlKind::Label,
                             .text = texts.data_label.c_str(),
                             .x = left,
                             .y = y1 + 32,
                             .width = ABOUT_TEXT_WIDTH,
                             .height = line_height});
  layout.controls.push_back({.kind = ControlKind::PathLabel,
                             .text = texts.data_folder.c_str(),
                             .x = left,
                             .y = y1 + 52,
                             .width = ABOUT_TEXT_WIDTH,
                             .height = line_height});
  layout.controls.push_back({.kind = ControlKind::Button,
                             .text = texts.licenses_button.c_str(),
                             .id = ABOUT_LICENSES_ID,
                             .x = 238,
                             .y = y1 + 92,
                             .width = 150,
                             .height = 26});
  layout.controls.push_back({.kind = ControlKind::Button,
                             .text = texts.ok_button.c_str(),
                             .id = ABOUT_OK_ID,
                             .x = 396,
                             .y = y1 + 92,
                             .width = 80,
                             .height = 26});
  return layout;
}

DialogLayout licenses_layout(const wchar_t* text, const wchar_t* ok_text) {
  DialogLayout layout;
  layout.width = 640;
  layout.height = 544;
  layout.controls.push_back({.kind = ControlKind::TextView,
                             .text = text,
                             .id = LICENSES_TEXT_ID,
                             .x = 12,
                             .y = 12,
                             .width = 600,
                             .height = 440});
  layout.controls.push_back(
      {.kind = ControlKind::Button, .text = ok_text, .id = ABOUT_OK_ID, .x = 532, .y = 464, .width = 80, .height = 26});
  return layout;
}
