// The shortcut table as data, so a test can read it without a window.

#include "app/accelerator_table.h"

#include "ui/command_ids.h"

const std::array<AcceleratorEntry, 21> accelerator_table = {{
    {'N', true, false, CMD_NEW_TAB},
    {'T', true, false, CMD_NEW_TAB},
    {'O', true, false, CMD_OPEN},
    {'S', true, false, CMD_SAVE},
    {'S', true, true, CMD_SAVE_AS},
    {'P', true, false, CMD_PRINT},
    {'W', true, false, CMD_CLOSE_TAB},
    {vk::tab, true, false, CMD_NEXT_TAB},
    {vk::tab, true, true, CMD_PREV_TAB},
    {vk::f5, false, false, CMD_TIME_DATE},
    {'F', true, false, CMD_FIND},
    {'H', true, false, CMD_REPLACE},
    {'G', true, false, CMD_GO_TO_LINE},
    {vk::f3, false, false, CMD_FIND_NEXT},
    {vk::f3, false, true, CMD_FIND_PREV},
    {vk::oem_plus, true, false, CMD_ZOOM_IN},
    {vk::add, true, false, CMD_ZOOM_IN},
    {vk::oem_minus, true, false, CMD_ZOOM_OUT},
    {vk::subtract, true, false, CMD_ZOOM_OUT},
    {'0', true, false, CMD_ZOOM_RESET},
    {'L', true, false, CMD_HIDE_NOW},
}};
