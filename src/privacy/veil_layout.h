#pragma once
// The picture the veil paints, reduced to rectangles: where the tabs' grey
// bars go and one bar per visible line of text. Built from the editor's line
// positions only; the text itself never reaches this snapshot.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "editor/strip_layout.h"

// All coordinates are in the frame's client area, which the veil covers.
struct VeilLayout {
  std::vector<EdgeRect> tab_rects;
  std::vector<EdgeRect> line_bars;
  std::int32_t tab_strip_height = 0;
};

// One row of the editor as its own line metrics describe it, in the editor's
// client coordinates.
struct VeilLineRecord {
  std::int32_t y = 0;      // top of the row
  std::int32_t x = 0;      // where its first character starts
  std::int32_t end_x = 0;  // where its text ends; the editor's right edge when it wraps on
  bool non_empty = false;
  bool operator==(const VeilLineRecord&) const = default;
};

// The editor questions the line records are made from. The window layer
// answers them with EM_GETFIRSTVISIBLELINE, EM_GETLINECOUNT, EM_LINEINDEX,
// EM_LINELENGTH and EM_POSFROMCHAR; tests answer them from a table.
class EditorLineMetrics {
 public:
  virtual ~EditorLineMetrics() = default;
  virtual std::int64_t first_visible_line() = 0;
  virtual std::int64_t line_count() = 0;
  // The character index where a line starts; negative when there is no such line.
  virtual std::int64_t line_index(std::int64_t line) = 0;
  // The length of the line holding the character `start`.
  virtual std::int64_t line_length(std::int64_t start) = 0;
  // Where the character `index` is drawn (its top left corner).
  virtual EdgePoint position_of(std::int64_t index) = 0;
};

// Walks the rows from the first visible one down to one row past the bottom
// of `client` (the editor's client rectangle) and records each.
std::vector<VeilLineRecord> collect_line_records(EditorLineMetrics& editor, const EdgeRect& client);

// The row pitch assumed when a single row gives nothing to measure against:
// a quarter more than the zoomed font height.
std::int32_t default_line_pitch(std::int32_t font_size, std::int32_t zoom, std::uint32_t dpi);

// One bar per visible, non-empty row, covering the middle of the row across
// the horizontal extent of its text, in the editor's own coordinates shifted
// down by `editor_top` (where the editor sits in the frame).
std::vector<EdgeRect> veil_line_bars(const std::vector<VeilLineRecord>& records, const EdgeRect& client,
                                     std::int32_t default_pitch, std::int32_t editor_top);

// The active tab's editor as the layout pass saw it.
struct VeilEditorView {
  EdgeRect client;                    // its client rectangle
  std::int32_t top = 0;               // its top edge in the frame's client area
  std::vector<VeilLineRecord> lines;  // from collect_line_records
};

struct VeilLayoutInput {
  std::int32_t client_width = 0;
  std::int32_t client_height = 0;
  std::uint32_t dpi = 96;
  std::size_t tab_count = 0;
  std::optional<VeilEditorView> editor;  // absent when no tab is active
  std::int32_t font_size = 11;
  std::int32_t zoom = 100;
};

VeilLayout build_veil_layout(const VeilLayoutInput& input);

// The short grey bar painted in a tab of the band; nothing when the tab is
// too narrow to hold one.
std::optional<EdgeRect> veil_tab_bar(const EdgeRect& tab, std::uint32_t dpi);

// The snapshot cell of the GUI thread: the layout pass stores, the veil's
// painting reads. Before the first store it holds an empty layout.
void store_veil_layout(VeilLayout layout);
VeilLayout current_veil_layout();
