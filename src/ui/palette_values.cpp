// The fixed colours of the light and the dark palette. Backgrounds of a
// window and of its edits are shared with the brushes of the same role, so
// painted areas and text backgrounds never disagree by a shade.

#include "ui/palette_values.h"

namespace {

constexpr PaletteValues light_palette{
    .window_brush = {236, 236, 236},
    .edit_brush = {255, 255, 255},
    .tab_brush = {220, 220, 220},
    .button_brush = {244, 244, 244},
    .border_brush = {173, 173, 173},
    .window_color = {236, 236, 236},
    .text_color = {27, 27, 27},
    .dim_color = {107, 107, 107},
    .link_color = {0, 102, 204},
    .edit_color = {255, 255, 255},
};

constexpr PaletteValues dark_palette{
    .window_brush = {45, 45, 45},
    .edit_brush = {30, 30, 30},
    .tab_brush = {61, 61, 61},
    .button_brush = {58, 58, 58},
    .border_brush = {90, 90, 90},
    .window_color = {45, 45, 45},
    .text_color = {230, 230, 230},
    .dim_color = {154, 154, 154},
    .link_color = {108, 180, 255},
    .edit_color = {30, 30, 30},
};

}  // namespace

const PaletteValues& palette_values(bool dark) { return dark ? dark_palette : light_palette; }
