// The veil's picture as arithmetic over the editor's line positions. It lives
// apart from the veil window so that the rules that decide what a covered
// window gives away (where text is, how long each line is, never what it
// says) can be checked line by line on any machine.

#include "privacy/veil_layout.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "ui/dpi.h"

namespace {

std::int32_t clamp_to_int32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::vector<VeilLineRecord> collect_line_records(EditorLineMetrics& editor, const EdgeRect& client) {
  std::vector<VeilLineRecord> records;
  // Every row is at least a pixel below the one before it, so no honest
  // editor yields more records than this; the bound only matters for one
  // whose positions have gone wrong, which would otherwise be walked to its
  // last line.
  const std::int64_t most = std::max<std::int64_t>(std::int64_t{client.bottom} - client.top, 0) + 3;
  const std::int64_t count = editor.line_count();
  for (std::int64_t line = std::max<std::int64_t>(editor.first_visible_line(), 0); line < count; ++line) {
    const std::int64_t start = editor.line_index(line);
    if (start < 0) break;
    const std::int64_t length = std::max<std::int64_t>(editor.line_length(start), 0);
    const EdgePoint first = editor.position_of(start);
    const EdgePoint after = editor.position_of(start + length);
    // The character after the row's text sits on another row when the line
    // wraps on; the text then reaches the right edge.
    const std::int32_t end_x = after.y == first.y ? after.x : client.right;
    records.push_back({first.y, first.x, end_x, length > 0});
    if (first.y > client.bottom) break;
    if (static_cast<std::int64_t>(records.size()) >= most) break;
  }
  return records;
}

std::int32_t default_line_pitch(std::int32_t font_size, std::int32_t zoom, std::uint32_t dpi) {
  const std::int64_t height = std::int64_t{font_size} * dpi / 72;
  const std::int64_t zoomed = height * zoom / 100;
  return clamp_to_int32(zoomed * 5 / 4);
}

std::vector<EdgeRect> veil_line_bars(const std::vector<VeilLineRecord>& records, const EdgeRect& client,
                                     std::int32_t default_pitch, std::int32_t editor_top) {
  std::vector<EdgeRect> bars;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const VeilLineRecord& line = records[i];
    std::int64_t pitch = default_pitch;
    if (i + 1 < records.size()) {
      pitch = std::int64_t{records[i + 1].y} - line.y;
    } else if (i > 0) {
      pitch = std::int64_t{line.y} - records[i - 1].y;
    }
    const std::int32_t left = std::max(line.x, client.left);
    const std::int32_t right = std::min(line.end_x, client.right);
    if (right <= left || !line.non_empty || line.y >= client.bottom) continue;
    bars.push_back({left, clamp_to_int32(std::int64_t{line.y} + pitch / 4 + editor_top), right,
                    clamp_to_int32(std::int64_t{line.y} + 4 * pitch / 5 + editor_top)});
  }
  return bars;
}

VeilLayout build_veil_layout(const VeilLayoutInput& input) {
  VeilLayout layout;
  const std::int32_t band = scale_for_dpi(TAB_STRIP_HEIGHT, input.dpi);
  layout.tab_strip_height = std::clamp(input.client_height, 0, band);
  // The band shows the tabs where the strip would put them, at the strip's
  // full height even when the window is shorter than that.
  const StripLayout strip = strip_layout(input.client_width, band, input.dpi, input.tab_count);
  layout.tab_rects.reserve(strip.count);
  for (std::size_t i = 0; i < strip.count; ++i) layout.tab_rects.push_back(strip.tab(i));
  if (input.editor) {
    layout.line_bars = veil_line_bars(input.editor->lines, input.editor->client,
                                      default_line_pitch(input.font_size, input.zoom, input.dpi), input.editor->top);
  }
  return layout;
}

std::optional<EdgeRect> veil_tab_bar(const EdgeRect& tab, std::uint32_t dpi) {
  const auto S = [dpi](std::int32_t value) { return scale_for_dpi(value, dpi); };
  const std::int32_t mid = (tab.top + tab.bottom) / 2;
  const EdgeRect bar{tab.left + S(10), mid - S(4), std::min(tab.right - S(10), tab.left + S(100)), mid + S(4)};
  if (bar.right <= bar.left) return std::nullopt;
  return bar;
}

namespace {
thread_local VeilLayout veil_snapshot;
}  // namespace

void store_veil_layout(VeilLayout layout) { veil_snapshot = std::move(layout); }

VeilLayout current_veil_layout() { return veil_snapshot; }
