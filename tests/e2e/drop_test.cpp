// Files dropped on the window from Explorer open as tabs, as files named on
// the command line do; while the text is covered a drop does nothing.

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using namespace e2e;

// Drops `paths` on the frame the way the system delivers a drop to a window
// that accepts files: a DROPFILES block in the program's own memory, and its
// address as the drop handle of a posted WM_DROPFILES (a fixed global block
// is its own address). DragFinish then frees a block that the heap never
// handed out, which Wine refuses without harm: the page is the test's, left
// to the program's end.
void drop_files(const App& app, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names.append(path).push_back(L'\0');
  names.push_back(L'\0');
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));

  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, app.process_id());
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  ASSERT_TRUE(WriteProcessMemory(process, remote, block.data(), block.size(), nullptr));
  CloseHandle(process);
  app.frame().post(WM_DROPFILES, reinterpret_cast<WPARAM>(remote));
}

TEST(Drop, DroppedFilesOpenAsFromTheCommandLineAndNotWhileCovered) {
  TempDir files;
  write_file(files / L"one.txt", "first file");
  write_file(files / L"two.txt", "second file");
  write_file(files / L"image.bin", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  write_file(files / L"later.txt", "dropped while covered");
  App app;
  EXPECT_TRUE(eventually([&] { return (GetWindowLongW(app.frame().hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }))
      << "the frame takes files from Explorer";

  // The first takes the place of the clean untitled tab, the second a tab
  // of its own, and the last one dropped is shown.
  drop_files(app, {files / L"one.txt", files / L"two.txt"});
  EXPECT_TRUE(eventually([&] { return app.title() == L"two.txt - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 2u);
  EXPECT_EQ(app.editor_text(app.active_editor()), L"second file");

  // A file that is not text gets the message the command line gives, and a
  // file that is open already only brings its tab forward.
  drop_files(app, {files / L"image.bin", files / L"one.txt"});
  const Window box = app.wait_for_message_box();
  ASSERT_TRUE(box);
  const std::vector<std::wstring> texts = box.child_texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), files / L"image.bin" + L" is not a text file."), texts.end());
  app.choose(box, L"OK");
  EXPECT_TRUE(eventually([&] { return app.title() == L"one.txt - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 2u);

  OtherProgram other;
  other.activate();
  ASSERT_TRUE(eventually([&] { return app.veil().visible() && app.title() == L"Nimbol"; }));
  drop_files(app, {files / L"later.txt"});
  ASSERT_TRUE(app.sync());
  EXPECT_TRUE(app.veil().visible());
  EXPECT_EQ(app.title(), L"Nimbol");
  EXPECT_EQ(app.editors().size(), 2u) << "nothing opened under the veil";

  app.switch_back();
  EXPECT_TRUE(eventually([&] { return app.title() == L"one.txt - Nimbol"; }));
  EXPECT_EQ(app.editors().size(), 2u);
}

}  // namespace
