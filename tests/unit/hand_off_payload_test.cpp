#include "app/hand_off_payload.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> bytes_of(const std::wstring& units) {
  std::vector<std::uint8_t> bytes;
  for (wchar_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
  }
  return bytes;
}

TEST(HandOffPayload, PathsTravelAsLinesOfLittleEndianUtf16) {
  const std::wstring payload = encode_hand_off({L"C:\\a.txt", L"D:\\Ärger\\b.md"});
  EXPECT_EQ(payload, L"C:\\a.txt\nD:\\Ärger\\b.md");
  const auto bytes = bytes_of(payload);
  EXPECT_EQ(bytes.size(), payload.size() * 2);
  EXPECT_EQ(bytes[0], 'C');
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(decode_hand_off(bytes), (std::vector<std::string>{"C:\\a.txt", "D:\\Ärger\\b.md"}));
}

TEST(HandOffPayload, NoArgumentsGiveAnEmptyPayloadThatOpensNothing) {
  EXPECT_TRUE(encode_hand_off({}).empty());
  EXPECT_TRUE(decode_hand_off({}).empty());
}

TEST(HandOffPayload, ReceiverSkipsEmptyLinesAndKeepsEverythingElse) {
  EXPECT_EQ(decode_hand_off(bytes_of(L"\na\n\nb\n")), (std::vector<std::string>{"a", "b"}));
  // A carriage return or a space is part of the path.
  EXPECT_EQ(decode_hand_off(bytes_of(L" a\r\nb ")), (std::vector<std::string>{" a\r", "b "}));
}

TEST(HandOffPayload, OddBytesAndBrokenSurrogatesDoNotBreakTheReceiver) {
  // Three bytes are one unit and a dropped byte.
  EXPECT_EQ(decode_hand_off(std::vector<std::uint8_t>{'x', 0, 'y'}), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(decode_hand_off(std::vector<std::uint8_t>{'x'}).empty());
  // An unpaired surrogate arrives as U+FFFD.
  EXPECT_EQ(decode_hand_off(bytes_of(std::wstring{L'a', wchar_t(0xD800), L'b'})),
            (std::vector<std::string>{"a\xEF\xBF\xBD"
                                      "b"}));
  // And the sender replaces one before it leaves.
  EXPECT_EQ(encode_hand_off({std::wstring{wchar_t(0xDC00)}}), std::wstring(1, wchar_t(0xFFFD)));
}

}  // namespace
