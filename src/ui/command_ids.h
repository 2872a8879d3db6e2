#pragma once
// The program's command numbers, shared by the accelerators, the menus and
// the tab strip's buttons. Numbers in 100..162 that are not listed here, and
// all numbers outside that range, are ignored by the dispatcher.

#include <cstdint>

enum : std::uint16_t {
  CMD_NEW_TAB = 100,
  CMD_OPEN = 101,
  CMD_SAVE = 102,
  CMD_SAVE_AS = 103,
  CMD_CLOSE_TAB = 104,
  CMD_EXIT = 105,
  CMD_PRINT = 106,
  CMD_PRINT_LABELS = 107,
  CMD_UNDO = 110,
  CMD_REDO = 111,
  CMD_CUT = 112,
  CMD_COPY = 113,
  CMD_PASTE = 114,
  CMD_DELETE = 115,
  CMD_SELECT_ALL = 116,
  CMD_TIME_DATE = 117,
  CMD_WORD_WRAP = 120,
  CMD_FONT = 121,
  CMD_ZOOM_IN = 122,
  CMD_ZOOM_OUT = 123,
  CMD_ZOOM_RESET = 124,
  CMD_ALWAYS_ON_TOP = 126,
  CMD_PRIVACY_SETTINGS = 128,
  CMD_HIDE_NOW = 129,
  CMD_NEXT_TAB = 130,
  CMD_PREV_TAB = 131,
  CMD_THEME_SYSTEM = 135,
  CMD_THEME_LIGHT = 136,
  CMD_THEME_DARK = 137,
  CMD_SET_PASSWORD = 140,
  CMD_CHANGE_PASSWORD = 141,
  CMD_REMOVE_PASSWORD = 142,
  CMD_FIND = 150,
  CMD_FIND_NEXT = 151,
  CMD_FIND_PREV = 152,
  CMD_REPLACE = 153,
  CMD_GO_TO_LINE = 154,
  CMD_ABOUT = 160,
  CMD_UPDATES = 161,
  CMD_INSTALL = 162,
};
