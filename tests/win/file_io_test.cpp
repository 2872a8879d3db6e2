// The file module on a real file system: each way a read, a write, an
// atomic replacement or a folder creation can fail, what it leaves behind,
// and long paths. The failures real disks do not give on demand (short
// writes, a failure that reports error 0) are played through the module's
// call hooks.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "base/utf.h"
#include "support.h"

namespace {

using namespace wintest;

std::span<const std::uint8_t> as_bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// The file's bytes as text, or which error the read gave.
std::string read_text(std::string_view path, ReadOptions options = {}) {
  const auto bytes = read_all_bytes(path, options);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "error " + std::to_string(bytes.error());
}

// The hooks for one test; the real calls again afterwards.
class HooksInstalled {
 public:
  explicit HooksInstalled(const FileCallHooks& hooks) { set_file_call_hooks(hooks); }
  ~HooksInstalled() { set_file_call_hooks({}); }
  HooksInstalled(const HooksInstalled&) = delete;
  HooksInstalled& operator=(const HooksInstalled&) = delete;
};

class FileIoTest : public GuiThreadTest {
 protected:
  std::string path(std::string_view name) const { return folder_.file(name); }

  TempFolder folder_{"file-io"};
};

TEST_F(FileIoTest, ReadsWholeFilesUpToTheCap) {
  write_file(path("sixteen.txt"), "0123456789abcdef");
  write_file(path("empty.txt"), "");
  EXPECT_EQ(read_text(path("sixteen.txt")), "0123456789abcdef");
  EXPECT_EQ(read_text(path("sixteen.txt"), {.max_size = 16}), "0123456789abcdef");
  EXPECT_EQ(read_text(path("empty.txt"), {.max_size = 0}), "");
  // 3 MiB and a bit: more than one read of any buffer size the module uses.
  std::string big(3 * 1024 * 1024 + 17, 'x');
  for (std::size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
  write_file(path("big.txt"), big);
  EXPECT_TRUE(read_text(path("big.txt")) == big);
}

TEST_F(FileIoTest, EachFailedReadSaysWhy) {
  write_file(path("seventeen.txt"), "0123456789abcdefg");
  ASSERT_TRUE(CreateDirectoryW(to_wide(path("folder")).c_str(), nullptr));
  struct Case {
    const char* what;
    std::string path;
    ReadOptions options;
    DWORD error;
  };
  const Case cases[] = {
      {"a missing file", path("missing.txt"), {}, ERROR_FILE_NOT_FOUND},
      {"a missing folder", path("missing\\file.txt"), {}, ERROR_PATH_NOT_FOUND},
      {"a folder", path("folder"), {}, ERROR_ACCESS_DENIED},
      {"a file over the cap", path("seventeen.txt"), {.max_size = 16}, ERROR_FILE_TOO_LARGE},
  };
  for (const Case& c : cases) {
    const auto read = read_all_bytes(c.path, c.options);
    ASSERT_FALSE(read) << c.what;
    EXPECT_EQ(read.error(), c.error) << c.what;
  }
}

TEST_F(FileIoTest, OnlyTheProgramsOwnFilesAreRefusedWhileAnotherProgramWritesThem) {
  const std::string log = path("log.txt");
  write_file(log, "being written");
  HANDLE writer = CreateFileW(to_wide(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(read_text(log), "being written");
  const auto own = read_all_bytes(log, {.max_size = std::nullopt, .exclusive_of_writers = true});
  CloseHandle(writer);
  ASSERT_FALSE(own);
  EXPECT_EQ(own.error(), static_cast<FileError>(ERROR_SHARING_VIOLATION));
}

TEST_F(FileIoTest, EachFailedWriteSaysWhyAndLeavesWhatWasThere) {
  const std::string read_only = path("read-only.txt");
  write_file(read_only, "keep me");
  ASSERT_TRUE(SetFileAttributesW(to_wide(read_only).c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryW(to_wide(path("folder")).c_str(), nullptr));
  struct Case {
    const char* what;
    std::string path;
    DWORD error;
  };
  const Case cases[] = {
      {"into a missing folder", path("missing\\file.txt"), ERROR_PATH_NOT_FOUND},
      {"over a read-only file", read_only, ERROR_ACCESS_DENIED},
      {"over a folder", path("folder"), ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) EXPECT_EQ(write_all_bytes(c.path, as_bytes("new")), c.error) << c.what;
  EXPECT_FALSE(path_exists(path("missing")));
  EXPECT_EQ(read_file(read_only), "keep me");
}

// Writes at most three bytes per call, as a slow device or a pipe might.
int three_bytes_at_a_time(void* file, const void* data, std::uint32_t size, std::uint32_t* written) {
  DWORD done = 0;
  const BOOL ok = WriteFile(file, data, std::min<std::uint32_t>(size, 3), &done, nullptr);
  *written = done;
  return ok;
}

int no_progress(void*, const void*, std::uint32_t, std::uint32_t* written) {
  *written = 0;
  return TRUE;
}

int fails_without_a_reason(void*, const void*, std::uint32_t, std::uint32_t* written) {
  *written = 0;
  SetLastError(0);
  return FALSE;
}

TEST_F(FileIoTest, AShortWriteIsCarriedOnFromWhereItStopped) {
  const HooksInstalled hooks({.write = three_bytes_at_a_time});
  const std::string text = "a text longer than three bytes, written in pieces";
  ASSERT_EQ(write_all_bytes(path("pieces.txt"), as_bytes(text)), 0u);
  EXPECT_EQ(read_file(path("pieces.txt")), text);
}

TEST_F(FileIoTest, AWriteThatFailsOrStallsIsAFailureEvenWhenItReportsNoError) {
  struct Case {
    const char* what;
    decltype(FileCallHooks::write) write;
    DWORD error;
  };
  const Case cases[] = {
      {"a failure that leaves error 0", fails_without_a_reason, ERROR_GEN_FAILURE},
      {"a write that makes no progress", no_progress, ERROR_WRITE_FAULT},
  };
  for (const Case& c : cases) {
    const std::string target = path("config.json");
    write_file(target, "old settings");
    const HooksInstalled hooks({.write = c.write});
    EXPECT_EQ(write_all_bytes(path("direct.txt"), as_bytes("new")), c.error) << c.what;
    // The atomic write must not take the half-written temporary file for a
    // finished one and move it over the target.
    const auto atomic = write_file_atomic(target, as_bytes("new settings"));
    EXPECT_FALSE(atomic) << c.what;
    EXPECT_EQ(read_file(target), "old settings") << c.what;
    EXPECT_FALSE(path_exists(target + ".tmp")) << c.what;
  }
}

TEST_F(FileIoTest, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
  const std::string target = path("state.dat");
  for (const std::string_view content : {"first version", "second, longer version of the file", "", "x"}) {
    ASSERT_TRUE(write_file_atomic(target, as_bytes(content)));
    EXPECT_EQ(read_file(target), std::string(content));
    EXPECT_FALSE(path_exists(target + ".tmp"));
  }
}

TEST_F(FileIoTest, AFailedAtomicWriteKeepsTheOldFileAndRemovesTheTemporary) {
  HANDLE holder = INVALID_HANDLE_VALUE;
  struct Case {
    const char* what;
    std::function<void(const std::string&)> guard;
  };
  const Case cases[] = {
      // Another program holding the file open without sharing it stops the
      // move, after the temporary file has been written.
      {"held open by another program",
       [&](const std::string& target) {
         holder = CreateFileW(to_wide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         ASSERT_NE(holder, INVALID_HANDLE_VALUE);
       }},
      {"read-only",
       [](const std::string& target) {
         ASSERT_TRUE(SetFileAttributesW(to_wide(target).c_str(), FILE_ATTRIBUTE_READONLY));
       }},
  };
  for (const Case& c : cases) {
    const std::string target = path(std::string(c.what) + ".json");
    write_file(target, "old settings");
    c.guard(target);
    const auto result = write_file_atomic(target, as_bytes("new settings"));
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    ASSERT_FALSE(result) << c.what;
    EXPECT_NE(result.error().find("(os error "), std::string::npos) << result.error();
    EXPECT_EQ(read_file(target), "old settings") << c.what;
    EXPECT_FALSE(path_exists(target + ".tmp")) << c.what;
  }
}

// Refuses the first `refusals` moves as a reader holding the target would,
// then moves for real.
int refusals = 0;
int moves_asked = 0;
int move_while_held(const wchar_t* from, const wchar_t* to) {
  if (++moves_asked <= refusals) {
    SetLastError(moves_asked % 2 ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING);
}

TEST_F(FileIoTest, AnAtomicWriteWaitsOutABriefHoldOnTheFileButNotALongOne) {
  struct Case {
    int refusals;
    bool saved;
    int moves;
  };
  for (const Case c : {Case{2, true, 3}, Case{9, true, 10}, Case{1000, false, 10}}) {
    const std::string target = path("held " + std::to_string(c.refusals) + ".json");
    write_file(target, "old settings");
    refusals = c.refusals;
    moves_asked = 0;
    const HooksInstalled hooks({.move = move_while_held});
    EXPECT_EQ(static_cast<bool>(write_file_atomic(target, as_bytes("new settings"))), c.saved) << c.refusals;
    EXPECT_EQ(moves_asked, c.moves) << c.refusals;
    EXPECT_EQ(read_file(target), c.saved ? "new settings" : "old settings") << c.refusals;
    EXPECT_FALSE(path_exists(target + ".tmp")) << c.refusals;
  }
}

TEST_F(FileIoTest, AnAtomicWriteWhoseTemporaryCannotBeWrittenLeavesTheOldFile) {
  const std::string target = path("config.json");
  write_file(target, "old settings");
  // A folder in the temporary file's place: the write cannot even start.
  ASSERT_TRUE(CreateDirectoryW(to_wide(target + ".tmp").c_str(), nullptr));
  EXPECT_FALSE(write_file_atomic(target, as_bytes("new settings")));
  EXPECT_EQ(read_file(target), "old settings");

  EXPECT_FALSE(write_file_atomic(path("missing\\config.json"), as_bytes("x")));
  EXPECT_FALSE(path_exists(path("missing")));
}

TEST_F(FileIoTest, CreatesEveryMissingFolderOnTheWay) {
  write_file(path("a-file"), "x");
  struct Case {
    const char* what;
    std::string path;
    bool folder;
  };
  const Case cases[] = {
      {"three levels", path("one\\two\\three"), true},   {"again, all there", path("one\\two\\three"), true},
      {"forward slashes", path("fwd/slash/es"), true},   {"a trailing separator", path("trail\\ing\\"), true},
      {"doubled separators", path("dou\\\\bled"), true}, {"a file in the way", path("a-file\\below"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(create_folder_path(c.path), c.folder) << c.what;
    const DWORD attributes = GetFileAttributesW(to_wide(c.path).c_str());
    EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY), c.folder) << c.what;
  }
}

// ---- long paths ----

TEST_F(FileIoTest, LongPathsReachWindowsInTheirLiteralForm) {
  const std::string folder = "C:\\Notes\\";
  const auto of_length = [&](std::size_t units) { return folder + std::string(units - folder.size(), 'n'); };
  const std::string at_limit = of_length(LONG_PATH_UNITS);
  const std::string long_unc = "\\\\server\\share\\" + std::string(250, 'u');
  struct Case {
    const char* what;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {"short: as given", "C:\\Notes\\a.txt", "C:\\Notes\\a.txt"},
      {"short and odd: as given", "C:/Notes/./a.txt", "C:/Notes/./a.txt"},
      {"one below the limit", of_length(LONG_PATH_UNITS - 1), of_length(LONG_PATH_UNITS - 1)},
      {"at the limit", at_limit, "\\\\?\\" + at_limit},
      {"full and resolved", "C:/Notes/sub/../" + at_limit.substr(folder.size()), "\\\\?\\" + at_limit},
      {"a share", long_unc, "\\\\?\\UNC\\server\\share\\" + std::string(250, 'u')},
      {"already literal", "\\\\?\\" + at_limit, "\\\\?\\" + at_limit},
  };
  for (const Case& c : cases) EXPECT_EQ(to_utf8(system_path(c.path)), c.expected) << c.what;
}

TEST_F(FileIoTest, FilesAndFoldersBeyondThePathLimitAreWrittenAndRead) {
  // A folder of 249 units and more (CreateDirectoryW's plain limit is 248),
  // and files of more than 260 units in it.
  std::string deep = folder_.path();
  for (char part = 'a'; deep.size() < 260; ++part) deep += "\\" + std::string(60, part);
  ASSERT_TRUE(create_folder_path(deep));
  const std::string file = deep + "\\notes.txt";
  ASSERT_EQ(write_all_bytes(file, as_bytes("far down")), 0u);
  EXPECT_EQ(read_text(file), "far down");
  ASSERT_TRUE(write_file_atomic(file, as_bytes("replaced")));
  EXPECT_EQ(read_text(file), "replaced");
  EXPECT_FALSE(exists_on_disk(file + ".tmp"));
  delete_file_if_present(file);
  EXPECT_FALSE(exists_on_disk(file));
  // The test folder's own clean-up goes by plain paths.
  for (std::string level = deep; level.size() > folder_.path().size(); level.resize(level.rfind('\\'))) {
    RemoveDirectoryW(system_path(level).c_str());
  }
}

}  // namespace
