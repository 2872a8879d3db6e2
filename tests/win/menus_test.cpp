// The menus as Windows shows them: the model turned into real pop-up menus,
// read back item by item, and the edit menu's grey states taken from a real
// editor.

#include <windows.h>

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "app/menus.h"
#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "support.h"
#include "ui/command_ids.h"

namespace {

using namespace wintest;

// One line of a Win32 menu, as read back from it.
struct ReadItem {
  std::string text;
  UINT id = 0;
  bool checked = false;
  bool grayed = false;
  bool separator = false;
  std::vector<ReadItem> submenu;
};

std::vector<ReadItem> read_menu(HMENU menu) {
  std::vector<ReadItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    ReadItem item;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.text = to_utf8(text);
    item.id = info.hSubMenu ? 0 : info.wID;
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.grayed = (info.fState & MFS_GRAYED) != 0;
    if (info.hSubMenu) item.submenu = read_menu(info.hSubMenu);
    items.push_back(std::move(item));
  }
  return items;
}

// Every field of the model must arrive in the menu, at every depth.
void expect_same(const std::vector<ReadItem>& read, const std::vector<MenuItem>& model, const std::string& where) {
  ASSERT_EQ(read.size(), model.size()) << where;
  for (std::size_t i = 0; i < model.size(); ++i) {
    const std::string at = where + "/" + (model[i].separator ? "separator" : model[i].text);
    EXPECT_EQ(read[i].separator, model[i].separator) << at;
    if (model[i].separator) continue;
    EXPECT_EQ(read[i].text, model[i].text) << at;
    EXPECT_EQ(read[i].id, model[i].command) << at;
    EXPECT_EQ(read[i].checked, model[i].checked) << at;
    EXPECT_EQ(read[i].grayed, model[i].grayed) << at;
    expect_same(read[i].submenu, model[i].submenu, at);
  }
}

const ReadItem* item_with_id(const std::vector<ReadItem>& items, UINT id) {
  for (const ReadItem& item : items) {
    if (!item.submenu.empty()) {
      if (const ReadItem* found = item_with_id(item.submenu, id)) return found;
    } else if (!item.separator && item.id == id) {
      return &item;
    }
  }
  return nullptr;
}

class Menus : public GuiThreadTest {};

TEST_F(Menus, TheMainMenuIsBuiltAsTheModelSaysForEveryKindOfState) {
  struct Case {
    const char* name;
    MainMenuFacts facts;
  };
  MainMenuFacts dark_password;
  dark_password.theme = Theme::Dark;
  dark_password.password_set = true;
  dark_password.word_wrap = true;
  dark_password.edit = {.has_editor = true, .can_undo = true, .can_redo = false, .has_selection = true};
  MainMenuFacts installed_elsewhere;
  installed_elsewhere.installed_copy_exists = true;
  installed_elsewhere.update_available = true;
  installed_elsewhere.always_on_top = true;
  installed_elsewhere.print_labels = true;
  const Case cases[] = {
      {"fresh, no editor", MainMenuFacts{}},
      {"dark with a password and a selection", dark_password},
      {"an installed copy elsewhere and an update", installed_elsewhere},
  };
  for (const Case& c : cases) {
    const std::vector<MenuItem> model = main_menu_items(c.facts);
    UniqueMenu menu(build_menu(model));
    ASSERT_TRUE(menu) << c.name;
    expect_same(read_menu(menu.get()), model, c.name);
  }
}

// The facts the edit menu takes from a real editor.
TEST_F(Menus, TheEditMenuGreysWhatTheEditorCannotDo) {
  const HWND frame = create_frame();
  ASSERT_NE(frame, nullptr);
  const HWND editor = create_editor(frame, nullptr, true, 100);
  ASSERT_NE(editor, nullptr);

  auto state_of = [&](UINT id) {
    UniqueMenu menu(build_edit_menu(editor, true));
    const std::vector<ReadItem> items = read_menu(menu.get());
    const ReadItem* item = item_with_id(items, id);
    EXPECT_NE(item, nullptr) << id;
    return item ? item->grayed : true;
  };

  // Fresh: nothing to undo, redo, cut, copy or delete; paste is offered.
  for (UINT id : {CMD_UNDO, CMD_REDO, CMD_CUT, CMD_COPY, CMD_DELETE}) EXPECT_TRUE(state_of(id)) << id;
  EXPECT_FALSE(state_of(CMD_PASTE));

  // Typing makes it undoable; a selection makes it cuttable.
  SendMessageW(editor, WM_CHAR, L'a', 1);
  SendMessageW(editor, WM_CHAR, L'b', 1);
  EXPECT_FALSE(state_of(CMD_UNDO));
  EXPECT_TRUE(state_of(CMD_CUT));
  CHARRANGE all{0, -1};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
  for (UINT id : {CMD_CUT, CMD_COPY, CMD_DELETE}) EXPECT_FALSE(state_of(id)) << id;

  SendMessageW(editor, EM_UNDO, 0, 0);
  EXPECT_FALSE(state_of(CMD_REDO));

  // Without an editor the editing items are grey; the find group is not.
  UniqueMenu none(build_edit_menu(nullptr, true));
  const std::vector<ReadItem> items = read_menu(none.get());
  EXPECT_TRUE(item_with_id(items, CMD_UNDO)->grayed);
  EXPECT_FALSE(item_with_id(items, CMD_FIND)->grayed);
  EXPECT_FALSE(item_with_id(items, CMD_GO_TO_LINE)->grayed);

  // The context menu has no find group.
  UniqueMenu context(build_edit_menu(editor, false));
  const std::vector<ReadItem> context_items = read_menu(context.get());
  EXPECT_EQ(item_with_id(context_items, CMD_FIND), nullptr);
  EXPECT_EQ(item_with_id(context_items, CMD_GO_TO_LINE), nullptr);
  EXPECT_NE(item_with_id(context_items, CMD_TIME_DATE), nullptr);
}

}  // namespace
