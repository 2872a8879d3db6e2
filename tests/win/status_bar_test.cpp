// The status bar counts display lines: whatever changes how the text is laid
// out repaints it, though the caret did not move.

#include <windows.h>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "model/app_state.h"
#include "support.h"
#include "ui/status_bar.h"
#include "ui/window_classes.h"

namespace {

using namespace wintest;

class StatusBarRepaint : public DataFolderTest {};

TEST_F(StatusBarRepaint, WordWrapAndANewFontRepaintTheCaretsPlace) {
  register_window_class({STATUS_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, status_bar_proc, false, true});
  HWND parent = create_test_window(L"NimbolStatusTestParent", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND status = CreateWindowExW(0, STATUS_BAR_CLASS, nullptr, WS_CHILD | WS_VISIBLE, 0, 200, 400, 24, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(status);
  AppState state;
  state.status_bar = status;
  state.font.reset(create_editor_font("Liberation Mono", 11, 96));
  install_app_state(std::move(state));

  ValidateRect(status, nullptr);
  toggle_word_wrap();
  EXPECT_TRUE(GetUpdateRect(status, nullptr, FALSE)) << "word wrap";
  ValidateRect(status, nullptr);
  apply_editor_font(create_editor_font("Liberation Mono", 14, 96));
  EXPECT_TRUE(GetUpdateRect(status, nullptr, FALSE)) << "font";
}

}  // namespace
