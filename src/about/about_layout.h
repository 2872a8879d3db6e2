#pragma once
// The About window's texts and where its controls go, as functions of the
// measured text sizes; the window only measures, calls these and creates
// what comes back.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/dialog_layout.h"

// Control ids.
inline constexpr std::int32_t ABOUT_LICENSES_ID = 100;
inline constexpr std::int32_t ABOUT_HOMEPAGE_ID = 102;
inline constexpr std::int32_t ABOUT_UPDATES_PAGE_ID = 103;
inline constexpr std::int32_t ABOUT_OK_ID = 2;  // IDCANCEL too, so Esc closes

inline constexpr std::int32_t ABOUT_TEXT_WIDTH = 420;
inline constexpr std::int32_t ABOUT_ICON_MARGIN = 12;
inline constexpr std::int32_t ABOUT_ICON_SIZE = 32;

// What the window says.
std::string about_heading();
std::string about_description();
// Where the update check goes, and the line about how long this version
// gets security fixes (empty: not known here).
std::string about_network_note(std::string_view update_host, std::string_view security_fixes_line);

// The texts as the controls get them; borrowed by the layout, so they must
// outlive it.
struct AboutTexts {
  std::wstring heading, homepage_label, homepage, description, network_note, updates_label, updates_page, data_label,
      data_folder, licenses_button, ok_button;
};

// Sizes at 96 DPI of the texts that size their controls: single-line widths
// of the labels and links, wrapped heights (at ABOUT_TEXT_WIDTH) of the two
// long texts.
struct AboutMeasures {
  std::int32_t homepage_label_width = 0;
  std::int32_t homepage_width = 0;
  std::int32_t description_height = 0;
  std::int32_t network_note_height = 0;
  std::int32_t updates_label_width = 0;
  std::int32_t updates_page_width = 0;
};

DialogLayout about_layout(const AboutTexts& texts, const AboutMeasures& measures);

// The licences viewer.
inline constexpr std::int32_t LICENSES_TEXT_ID = 100;
DialogLayout licenses_layout(const wchar_t* text, const wchar_t* ok_text);
