// Opening real files under the real ANSI code page (1252 under Wine), and
// the messages a failed open shows.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"
#include "support.h"
#include "text/text_codec.h"

namespace {

using namespace wintest;

class TextFileTest : public GuiThreadTest {
 protected:
  std::string write(std::string_view name, std::span<const std::uint8_t> bytes) {
    const std::string path = folder_.file(name);
    write_file(path, bytes);
    return path;
  }
  std::string write(std::string_view name, std::string_view bytes) {
    return write(name, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }

  TempFolder folder_{"text"};
};

TEST_F(TextFileTest, SystemCodePageIs1252HereSoTheseTestsMeanWhatTheySay) { EXPECT_EQ(GetACP(), 1252u); }

TEST_F(TextFileTest, OpensAnsiBytesThroughTheSystemCodePage) {
  const auto decoded = decode_file(write("cafe.txt", "caf\xE9\r\nna\xEFve \x80\r\n"));
  ASSERT_TRUE(decoded) << decoded.error();
  EXPECT_EQ(*decoded, (DecodedText{"caf\xC3\xA9\r\nna\xC3\xAFve \xE2\x82\xAC\r\n", Encoding::Ansi, Eol::CrLf, false}));
}

TEST_F(TextFileTest, SavingOutsideTheCodePageSwitchesToUtf8) {
  const EncodedText kept = encode_text("caf\xC3\xA9", Encoding::Ansi);
  EXPECT_EQ(kept.encoding, Encoding::Ansi);
  const auto reopened_ansi = decode_file(write("kept.txt", kept.bytes));
  ASSERT_TRUE(reopened_ansi);
  EXPECT_EQ(reopened_ansi->encoding, Encoding::Ansi);
  EXPECT_EQ(reopened_ansi->text, "caf\xC3\xA9");

  // U+0101 has no place in 1252 and must not become "a" or "?".
  const EncodedText switched = encode_text("caf\xC3\xA9 \xC4\x81\n", Encoding::Ansi);
  EXPECT_EQ(switched.encoding, Encoding::Utf8);
  const auto reopened = decode_file(write("switched.txt", switched.bytes));
  ASSERT_TRUE(reopened);
  EXPECT_EQ(*reopened, (DecodedText{"caf\xC3\xA9 \xC4\x81\n", Encoding::Utf8, Eol::Lf, false}));
}

TEST_F(TextFileTest, ReadsWholeFilesUnderAnyName) {
  std::string big(3 * 1024 * 1024 + 17, 'x');
  for (std::size_t i = 100; i < big.size(); i += 101) big[i] = '\n';
  const auto decoded =
      decode_file(write("big \xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC.txt", encode_text(big, Encoding::Utf16Be).bytes));
  ASSERT_TRUE(decoded) << decoded.error();
  EXPECT_EQ(decoded->encoding, Encoding::Utf16Be);
  EXPECT_EQ(decoded->eol, Eol::Lf);
  EXPECT_FALSE(decoded->lossy);
  EXPECT_TRUE(decoded->text == big);
}

TEST_F(TextFileTest, OpensAFileAnotherProgramIsWriting) {
  const std::string log = write("log.txt", "line one\n");
  HANDLE writer =
      CreateFileW(to_wide(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const auto decoded = decode_file(log);
  CloseHandle(writer);
  ASSERT_TRUE(decoded) << decoded.error();
  EXPECT_EQ(decoded->text, "line one\n");
}

TEST_F(TextFileTest, RefusesBinaryFiles) {
  const std::string path = write("image.bin", std::string_view("GIF89a\0\0", 8));
  const auto decoded = decode_file(path);
  ASSERT_FALSE(decoded);
  EXPECT_EQ(decoded.error(), path + " is not a text file.");
}

TEST_F(TextFileTest, FailuresCarryTheSystemsTextAndCode) {
  struct Case {
    std::string path;
    DWORD code;
  };
  const std::string missing = folder_.file("missing.txt");
  const std::string locked = write("locked.txt", "text");
  HANDLE holder = CreateFileW(to_wide(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::string folder = folder_.file("folder.txt");
  ASSERT_TRUE(CreateDirectoryW(to_wide(folder).c_str(), nullptr));
  const Case cases[] = {
      {missing, ERROR_FILE_NOT_FOUND}, {locked, ERROR_SHARING_VIOLATION}, {folder, ERROR_ACCESS_DENIED}};
  for (const auto& c : cases) {
    const auto decoded = decode_file(c.path);
    ASSERT_FALSE(decoded) << c.path;
    const std::string& message = decoded.error();
    const std::string head = c.path + " could not be opened.\n\n";
    const std::string tail = " (os error " + std::to_string(c.code) + ")";
    ASSERT_GT(message.size(), head.size() + tail.size()) << message;
    EXPECT_EQ(message.substr(0, head.size()), head);
    EXPECT_EQ(message.substr(message.size() - tail.size()), tail) << message;
    // The system's own sentence, without the line break it comes with.
    const std::string system_text = message.substr(head.size(), message.size() - head.size() - tail.size());
    EXPECT_EQ(system_text.find_first_of("\r\n"), std::string::npos) << message;
    EXPECT_NE(system_text, "Unknown error");
  }
  CloseHandle(holder);
}

}  // namespace
