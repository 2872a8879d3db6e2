#pragma once
// What the status bar says: the caret's line and column at the left; the
// capture notice, zoom, line end and encoding at the right.

#include <cstdint>
#include <string>

#include "model/text_types.h"

struct SelectionEnds {
  std::int64_t start = 0;
  std::int64_t end = 0;
};

// The editor questions the caret's place is read from. The window layer
// answers them with EM_EXGETSEL, EM_EXLINEFROMCHAR and EM_LINEINDEX; tests
// answer them from a text. Positions count the editor's characters (UTF-16
// units).
class EditorCaretMetrics {
 public:
  virtual ~EditorCaretMetrics() = default;
  // The two ends of the selection, in either order; equal without a selection.
  virtual SelectionEnds selection() = 0;
  // The 0-based line that holds `position`.
  virtual std::int64_t line_from_char(std::int64_t position) = 0;
  // The position where `line` starts.
  virtual std::int64_t line_index(std::int64_t line) = 0;
  // The position where the line holding the caret starts. Wine's Rich Edit
  // finds a line by its number by walking the text from its start, which
  // in a large document takes as long as typing the key itself, while this
  // question only walks back from the caret.
  virtual std::int64_t caret_line_start() = 0;
};

// A place in the text as the status bar shows it, both counted from 1.
struct CaretPlace {
  std::int64_t line = 1;
  std::int64_t column = 1;
  bool operator==(const CaretPlace&) const = default;
};

CaretPlace caret_place(EditorCaretMetrics& editor);

struct StatusFacts {
  bool has_active_tab = false;
  CaretPlace caret;
  std::int32_t zoom = 100;  // per cent
  Eol eol = Eol::CrLf;
  Encoding encoding = Encoding::Utf8;
  bool hidden_from_capture = false;
};

struct StatusTexts {
  std::string left;
  std::string right;
  bool operator==(const StatusTexts&) const = default;
};

StatusTexts status_texts(const StatusFacts& facts);
