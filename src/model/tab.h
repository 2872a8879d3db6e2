#pragma once
// One open document. Plain data: the window layer owns the editor behind
// the handle, and the session store reads the flags.

#include <cstdint>
#include <optional>
#include <string>

#include "model/text_types.h"

struct HWND__;

struct Tab {
  std::optional<std::string> path;  // UTF-8; absent for an untitled tab
  std::uint64_t id = 0;
  HWND__* editor = nullptr;
  std::uint32_t untitled = 0;
  bool dirty = false;
  bool store_pending = false;
  bool lossy = false;
  Eol eol = Eol::CrLf;
  Encoding encoding = Encoding::Utf8;
};
