// One list, so that a command added later is decided here and not by a
// check scattered through its handler.

#include "app/covered_commands.h"

#include "ui/command_ids.h"

bool needs_text_shown(std::uint16_t command) {
  switch (command) {
    // Writing the text to a file or a printer.
    case CMD_SAVE:
    case CMD_SAVE_AS:
    case CMD_PRINT:
    // Closing a modified tab asks whether to save it, and "Don't Save"
    // would let anyone throw away text they cannot see.
    case CMD_CLOSE_TAB:
    // Reading it to the clipboard, or changing it unseen.
    case CMD_UNDO:
    case CMD_REDO:
    case CMD_CUT:
    case CMD_COPY:
    case CMD_PASTE:
    case CMD_DELETE:
    case CMD_SELECT_ALL:
    case CMD_TIME_DATE:
    // Searching answers questions about the text (found or not, which line).
    case CMD_FIND:
    case CMD_FIND_NEXT:
    case CMD_FIND_PREV:
    case CMD_REPLACE:
    case CMD_GO_TO_LINE:
      return true;
    default:
      return false;
  }
}
