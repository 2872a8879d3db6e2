// What saving decides before and after the Windows calls: the order of the
// file operations and which error reaches the user, the bytes written for
// every encoding and line end, when the user is asked, and the tab after a
// save. The ANSI cases assume code page 1252 (the host's table, Wine's ACP).

#include "editor/save_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// ---- the safe write ----

// Answers each operation as told and records the order they were asked in.
class ScriptedFiles final : public SaveFiles {
 public:
  std::uint32_t write_error = 0;
  // Whether the target is there, asked before and (after a double failure)
  // again afterwards.
  bool exists = false;
  bool exists_afterwards = true;
  std::uint32_t move_error = 0;
  std::uint32_t replace_error = 0;
  std::uint32_t flush_error = 0;
  std::vector<std::string> calls;

  std::uint32_t write_temporary() override { return note("write", write_error); }
  bool target_exists() override {
    calls.push_back("exists");
    return std::count(calls.begin(), calls.end(), "exists") == 1 ? exists : exists_afterwards;
  }
  std::uint32_t move_into_place() override { return note("move", move_error); }
  std::uint32_t replace_target() override { return note("replace", replace_error); }
  std::uint32_t flush_target() override { return note("flush", flush_error); }
  void remove_temporary() override { calls.push_back("remove"); }

 private:
  std::uint32_t note(const char* call, std::uint32_t error) {
    calls.push_back(call);
    return error;
  }
};

constexpr std::uint32_t ACCESS_DENIED = 5;
constexpr std::uint32_t DISK_FULL = 112;
constexpr std::uint32_t UNABLE_TO_REMOVE_REPLACED = 1175;
constexpr std::uint32_t UNABLE_TO_MOVE_REPLACEMENT = 1176;
constexpr std::uint32_t NOT_SAME_DEVICE = 17;

TEST(SavePlan, TheSafeWriteRunsItsStepsInOrderAndReportsTheRightError) {
  struct Case {
    const char* what;
    std::uint32_t write_error;
    bool exists;
    std::uint32_t move_error;
    std::uint32_t replace_error;
    std::uint32_t flush_error;
    std::uint32_t expected;
    std::vector<std::string> calls;
    bool exists_afterwards = true;
    bool kept = false;
  };
  const Case cases[] = {
      {"a new file is moved into place", 0, false, 0, 0, 0, 0, {"write", "exists", "move", "remove"}},
      {"a new file that cannot be moved there",
       0,
       false,
       ACCESS_DENIED,
       0,
       0,
       ACCESS_DENIED,
       {"write", "exists", "move", "remove"}},
      {"an existing file is replaced, then flushed",
       0,
       true,
       0,
       0,
       0,
       0,
       {"write", "exists", "replace", "flush", "remove"}},
      {"a failed flush after the replacement fails the save",
       0,
       true,
       0,
       0,
       ACCESS_DENIED,
       ACCESS_DENIED,
       {"write", "exists", "replace", "flush", "remove"}},
      {"a failed replacement falls back to the move",
       0,
       true,
       0,
       UNABLE_TO_REMOVE_REPLACED,
       0,
       0,
       {"write", "exists", "replace", "move", "remove"}},
      {"when both fail, the replacement's error is the one shown",
       0,
       true,
       NOT_SAME_DEVICE,
       UNABLE_TO_REMOVE_REPLACED,
       0,
       UNABLE_TO_REMOVE_REPLACED,
       {"write", "exists", "replace", "move", "exists", "remove"}},
      {"when both fail and the target is gone, the temporary file is all there is and stays",
       0,
       true,
       ACCESS_DENIED,
       UNABLE_TO_MOVE_REPLACEMENT,
       0,
       UNABLE_TO_MOVE_REPLACEMENT,
       {"write", "exists", "replace", "move", "exists"},
       false,
       true},
      {"a failed temporary write never touches the target", DISK_FULL, true, 0, 0, 0, DISK_FULL, {"write", "remove"}},
  };
  for (const Case& c : cases) {
    ScriptedFiles files;
    files.write_error = c.write_error;
    files.exists = c.exists;
    files.move_error = c.move_error;
    files.replace_error = c.replace_error;
    files.flush_error = c.flush_error;
    files.exists_afterwards = c.exists_afterwards;
    const SaveOutcome outcome = run_safe_save(files);
    EXPECT_EQ(outcome.error, c.expected) << c.what;
    EXPECT_EQ(outcome.kept_temporary, c.kept) << c.what;
    EXPECT_EQ(files.calls, c.calls) << c.what;
  }
}

// Beside the target, and short whatever the target's name: one of 255
// units plus anything would pass the file system's limit for a name.
TEST(SavePlan, TheTemporaryFileSitsBesideTheTargetUnderAShortNameOfItsOwn) {
  EXPECT_EQ(temporary_save_path("C:\\Notes\\" + std::string(255, 'n'), 0x0123456789abcdefull),
            "C:\\Notes\\~0123456789abcdef.nimbol-save");
  EXPECT_EQ(temporary_save_path("D:/a/b.txt", 10), "D:/a/~000000000000000a.nimbol-save");
}

// ---- the bytes ----

std::string as_string(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

TEST(SavePlan, TheFileGetsUniformLineEndsInTheTabsEncoding) {
  // The editor hands out CR paragraph ends; a pasted or loaded text may
  // still hold any mixture.
  const std::string text = "one\rtwo\r\nthree\nfour";
  struct Case {
    Eol eol;
    Encoding encoding;
    std::string expected;
  };
  const Case cases[] = {
      {Eol::CrLf, Encoding::Utf8, "one\r\ntwo\r\nthree\r\nfour"},
      {Eol::Lf, Encoding::Utf8, "one\ntwo\nthree\nfour"},
      {Eol::Cr, Encoding::Utf8, "one\rtwo\rthree\rfour"},
      {Eol::CrLf, Encoding::Utf8Bom, "\xEF\xBB\xBFone\r\ntwo\r\nthree\r\nfour"},
      {Eol::Lf, Encoding::Utf16Le,
       std::string("\xFF\xFEo\0n\0e\0\n\0t\0w\0o\0\n\0t\0h\0r\0e\0e\0\n\0f\0o\0u\0r\0", 38)},
      {Eol::Cr, Encoding::Utf16Be,
       std::string("\xFE\xFF\0o\0n\0e\0\r\0t\0w\0o\0\r\0t\0h\0r\0e\0e\0\r\0f\0o\0u\0r", 38)},
      {Eol::CrLf, Encoding::Ansi, "one\r\ntwo\r\nthree\r\nfour"},
  };
  for (const Case& c : cases) {
    const EncodedText out = file_bytes(text, c.eol, c.encoding);
    EXPECT_EQ(as_string(out.bytes), c.expected) << static_cast<int>(c.eol) << "/" << static_cast<int>(c.encoding);
    EXPECT_EQ(out.encoding, c.encoding);
  }
}

TEST(SavePlan, AnsiTextOutsideTheCodePageIsWrittenAsUtf8) {
  struct Case {
    const char* what;
    std::string text;
    std::string expected;
    Encoding used;
  };
  const Case cases[] = {
      {"inside 1252", "caf\xC3\xA9 \xE2\x82\xAC\r", "caf\xE9 \x80\r\n", Encoding::Ansi},
      {"U+0101 is not in 1252", "caf\xC3\xA9 \xC4\x81\r", "caf\xC3\xA9 \xC4\x81\r\n", Encoding::Utf8},
      {"an empty text stays ANSI", "", "", Encoding::Ansi},
  };
  for (const Case& c : cases) {
    const EncodedText out = file_bytes(c.text, Eol::CrLf, Encoding::Ansi);
    EXPECT_EQ(as_string(out.bytes), c.expected) << c.what;
    EXPECT_EQ(out.encoding, c.used) << c.what;
  }
}

TEST(SavePlan, ANewDocumentIsSavedAsUtf8WithoutMarkAndCrLf) {
  const Tab fresh;
  const EncodedText out = file_bytes("Dear \xC3\xA9lise,\r\rbye", fresh.eol, fresh.encoding);
  EXPECT_EQ(as_string(out.bytes), "Dear \xC3\xA9lise,\r\n\r\nbye");
  EXPECT_EQ(out.encoding, Encoding::Utf8);
}

// ---- the question and the messages ----

Tab file_tab(std::string path, bool lossy) {
  Tab tab;
  tab.path = std::move(path);
  tab.lossy = lossy;
  return tab;
}

TEST(SavePlan, OnlyOverwritingTheLossyFileItselfAsksFirst) {
  struct Case {
    const char* what;
    Tab tab;
    const char* target;
    bool asks;
  };
  const Case cases[] = {
      {"its own file", file_tab("C:\\Notes\\a.txt", true), "C:\\Notes\\a.txt", true},
      {"its own file, other case", file_tab("C:\\Notes\\a.txt", true), "c:\\notes\\A.TXT", true},
      {"another file", file_tab("C:\\Notes\\a.txt", true), "C:\\Notes\\b.txt", false},
      {"only A-Z fold", file_tab("C:\\Notes\\\xC3\x84.txt", true), "C:\\Notes\\\xC3\xA4.txt", false},
      {"a file read without loss", file_tab("C:\\Notes\\a.txt", false), "C:\\Notes\\a.txt", false},
      {"an untitled tab", Tab{.lossy = true}, "C:\\Notes\\a.txt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(asks_before_overwriting(c.tab, c.target), c.asks) << c.what;
}

TEST(SavePlan, TheQuestionAndTheFailureSayWhichFile) {
  EXPECT_EQ(lossy_question("data.txt"),
            "data.txt has bytes that could not be read as text. Saving writes the text as shown, which replaces "
            "those bytes.\n\nSave anyway?");
  EXPECT_EQ(save_failure_message("C:\\Notes\\data.txt", "Access denied."),
            "C:\\Notes\\data.txt could not be saved.\n\nAccess denied.");
  EXPECT_EQ(save_failure_message("C:\\Notes\\data.txt", "Unable to move the replacement file.",
                                 "C:\\Notes\\~00000000000000a1.nimbol-save"),
            "C:\\Notes\\data.txt could not be saved.\n\nUnable to move the replacement file.\n\nThe old file is "
            "gone; the text is now in:\nC:\\Notes\\~00000000000000a1.nimbol-save");
}

// ---- the tab afterwards ----

TEST(SavePlan, ASavedTabIsCleanAndRemembersWhereAndHow) {
  Tab tab;
  tab.id = 7;
  tab.untitled = 2;
  tab.dirty = true;
  tab.store_pending = true;
  tab.lossy = true;
  tab.eol = Eol::Lf;
  tab.encoding = Encoding::Ansi;
  mark_saved(tab, "C:\\Notes\\new.txt", Encoding::Utf8);
  EXPECT_EQ(tab.path, "C:\\Notes\\new.txt");
  EXPECT_EQ(tab.encoding, Encoding::Utf8);
  EXPECT_FALSE(tab.dirty);
  EXPECT_FALSE(tab.store_pending);
  EXPECT_FALSE(tab.lossy);
  EXPECT_EQ(tab.eol, Eol::Lf);
  EXPECT_EQ(tab.id, 7u);
  EXPECT_EQ(tab.untitled, 2u);
}

// ---- the dialogs' file-name buffer ----

TEST(SavePlan, TheDialogStartsWithTheNameCutToHalfItsBuffer) {
  struct Case {
    const char* what;
    std::string name;
    std::size_t kept_units;
  };
  std::string long_ascii(1500, 'n');
  // 1022 ASCII units, then U+1F600, whose two units straddle the cut.
  std::string straddling = std::string(1022, 'a') + "\xF0\x9F\x98\x80" + "tail";
  const Case cases[] = {
      {"empty", "", 0},
      {"a title", "Untitled 2", 10},
      {"too long", long_ascii, 1023},
      {"a pair is not split", straddling, 1022},
  };
  for (const Case& c : cases) {
    const std::wstring buffer = dialog_name_buffer(c.name);
    ASSERT_EQ(buffer.size(), DIALOG_NAME_UNITS) << c.what;
    EXPECT_EQ(buffer.find(L'\0'), c.kept_units) << c.what;
    EXPECT_EQ(buffer.find_first_not_of(L'\0', c.kept_units), std::wstring::npos) << c.what;
    EXPECT_EQ(dialog_chosen_path(buffer), c.name.substr(0, c.kept_units)) << c.what;
  }
  EXPECT_EQ(dialog_chosen_path(dialog_name_buffer("C:\\Notes\\\xC3\x84rger.txt")), "C:\\Notes\\\xC3\x84rger.txt");
}

TEST(SavePlan, TheChosenPathEndsAtTheFirstNulOrFillsTheBuffer) {
  std::wstring buffer(DIALOG_NAME_UNITS, L'x');
  EXPECT_EQ(dialog_chosen_path(buffer), std::string(DIALOG_NAME_UNITS, 'x'));
  buffer[3] = L'\0';
  EXPECT_EQ(dialog_chosen_path(buffer), "xxx");
  // Windows may hand back an unpaired surrogate; it shows as U+FFFD.
  std::wstring odd = L"a";
  odd.push_back(static_cast<wchar_t>(0xD800));
  odd.push_back(L'\0');
  EXPECT_EQ(dialog_chosen_path(odd), "a\xEF\xBF\xBD");
}

}  // namespace
