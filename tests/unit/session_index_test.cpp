#include "store/session_index.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

Entry untitled_entry(std::uint64_t id) {
  return {.id = id, .untitled = 1, .encoding = Encoding::Utf8, .eol = Eol::CrLf, .dirty = true, .sel = {5, 5}};
}

// One entry in object form with a member replaced, added or left out.
std::string entry_text(std::string_view members) { return "{\"active\":0,\"tabs\":[{" + std::string(members) + "}]}"; }

const std::string full_members =
    R"("id":7,"path":null,"untitled":1,"encoding":"Utf8","eol":"CrLf","dirty":true,"sel":[5,5],"lossy":false)";

TEST(SessionIndex, WritesCompactJsonInKeyOrder) {
  const Index index{.active = 0, .tabs = {untitled_entry(7)}};
  auto text = serialize_index(index);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(
      *text,
      R"({"active":0,"tabs":[{"id":7,"path":null,"untitled":1,"encoding":"Utf8","eol":"CrLf","dirty":true,"sel":[5,5],"lossy":false}]})");
}

TEST(SessionIndex, WritesEveryValueKindExactly) {
  const Index index{.active = 1,
                    .tabs = {
                        {.id = std::numeric_limits<std::uint64_t>::max(),
                         .path = "C:\\Users\\\xc3\xa9mile\\\"notes\"\t\x01\x1f\x7f/x.txt",
                         .untitled = std::numeric_limits<std::uint32_t>::max(),
                         .encoding = Encoding::Utf16Be,
                         .eol = Eol::Cr,
                         .dirty = false,
                         .sel = {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()},
                         .lossy = true},
                        {.id = 0, .path = "", .encoding = Encoding::Ansi, .eol = Eol::Lf, .sel = {-1, 0}},
                    }};
  auto text = serialize_index(index);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text,
            "{\"active\":1,\"tabs\":["
            "{\"id\":18446744073709551615,\"path\":\"C:\\\\Users\\\\\xc3\xa9mile\\\\\\\"notes\\\"\\t\\u0001\\u001f\x7f/"
            "x.txt\","
            "\"untitled\":4294967295,\"encoding\":\"Utf16Be\",\"eol\":\"Cr\",\"dirty\":false,"
            "\"sel\":[-2147483648,2147483647],\"lossy\":true},"
            "{\"id\":0,\"path\":\"\",\"untitled\":0,\"encoding\":\"Ansi\",\"eol\":\"Lf\",\"dirty\":false,"
            "\"sel\":[-1,0],\"lossy\":false}]}");
  auto read = parse_index(*text);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, index);
}

TEST(SessionIndex, EmptyListAndEveryEnumerationRoundTrip) {
  Index index{.active = 3};
  EXPECT_EQ(serialize_index(index).value_or(""), R"({"active":3,"tabs":[]})");
  for (const Encoding encoding :
       {Encoding::Utf8, Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be, Encoding::Ansi}) {
    for (const Eol eol : {Eol::CrLf, Eol::Lf, Eol::Cr}) {
      Entry entry = untitled_entry(index.tabs.size() + 1);
      entry.encoding = encoding;
      entry.eol = eol;
      index.tabs.push_back(entry);
    }
  }
  auto text = serialize_index(index);
  ASSERT_TRUE(text.has_value());
  auto read = parse_index(*text);
  ASSERT_TRUE(read.has_value()) << read.error();
  EXPECT_EQ(*read, index);
}

TEST(SessionIndex, APathThatIsNotUtf8CannotBeWritten) {
  Entry entry = untitled_entry(1);
  entry.path = "C:\\bad\xff.txt";
  auto text = serialize_index({.tabs = {entry}});
  ASSERT_FALSE(text.has_value());
  EXPECT_EQ(text.error(), "path contains invalid UTF-8 characters");
}

TEST(SessionIndex, ReadsEveryFormTheReaderAllows) {
  const Entry expected = untitled_entry(7);
  Entry with_path = expected;
  with_path.path = "D:\\a.txt";
  Entry lossy = expected;
  lossy.lossy = true;
  struct Case {
    std::string text;
    Entry entry;
  };
  const Case cases[] = {
      {entry_text(full_members), expected},
      // Whitespace of all four kinds wherever JSON allows it.
      {" \t\r\n{ \"active\" :\t0 ,\n\"tabs\"\r:[ {\"id\" : 7 , \"path\" : null , \"untitled\":1,\"encoding\":\"Utf8\","
       "\"eol\":\"CrLf\",\"dirty\":true,\"sel\":[ 5 , 5 ],\"lossy\":false } ] }\n\n",
       expected},
      // Keys in any order.
      {entry_text(
           R"("lossy":false,"sel":[5,5],"dirty":true,"eol":"CrLf","encoding":"Utf8","untitled":1,"path":null,"id":7)"),
       expected},
      // path and lossy may be missing.
      {entry_text(R"("id":7,"untitled":1,"encoding":"Utf8","eol":"CrLf","dirty":true,"sel":[5,5])"), expected},
      {entry_text(R"("id":7,"path":"D:\\a.txt","untitled":1,"encoding":"Utf8","eol":"CrLf","dirty":true,"sel":[5,5])"),
       with_path},
      // Unknown keys are skipped with their values, however nested, and may repeat.
      {entry_text(R"("future":{"a":[1,{"b":[[[[null]]]]}],"a":2},"future":-1.5e3,)" + full_members +
                  R"(,"more":"text")"),
       expected},
      {R"({"version":[1,2],"active":0,"tabs":[{)" + full_members + R"(}],"x":{"y":{"z":{"w":{}}}}})", expected},
      // Each record may be an array of its values in key order; lossy may be left off the end.
      {R"([0,[[7,null,1,"Utf8","CrLf",true,[5,5],false]]])", expected},
      {R"([0,[[7,null,1,"Utf8","CrLf",true,[5,5],true]]])", lossy},
      {R"([0,[[7,null,1,"Utf8","CrLf",true,[5,5]]]])", expected},
      {R"({"active":0,"tabs":[[7,"D:\\a.txt",1,"Utf8","CrLf",true,[5,5]]]})", with_path},
      {R"([0,[{)" + full_members + R"(}]])", expected},
      // Escapes in strings.
      {entry_text(
           R"("id":7,"path":"D:\u005ca.txt","untitled":1,"encoding":"Utf8","eol":"CrLf","dirty":true,"sel":[5,5])"),
       with_path},
  };
  for (const auto& c : cases) {
    auto index = parse_index(c.text);
    ASSERT_TRUE(index.has_value()) << c.text << "\n" << index.error();
    EXPECT_EQ(index->active, 0u) << c.text;
    ASSERT_EQ(index->tabs.size(), 1u) << c.text;
    EXPECT_EQ(index->tabs[0], c.entry) << c.text;
  }
}

TEST(SessionIndex, AnyFlawMakesTheWholeIndexUnreadable) {
  auto replace = [](std::string_view from, std::string_view to) {
    std::string members = full_members;
    members.replace(members.find(from), from.size(), to);
    return entry_text(members);
  };
  auto without = [&](std::string_view member) { return replace(member, ""); };
  const std::string good = entry_text(full_members);
  const std::string texts[] = {
      // Not a document of ours at all.
      "",
      " ",
      "null",
      "0",
      "\"text\"",
      "true",
      "\xEF\xBB\xBF" + good,
      good + "x",
      good + "{}",
      good + ",",
      good.substr(0, good.size() - 1),
      R"({"active":0,"tabs":[{)" + full_members + R"(},]})",
      "/*c*/" + good,
      // Index keys: both required, neither repeated, right types.
      R"({"tabs":[]})",
      R"({"active":0})",
      R"({"active":0,"active":0,"tabs":[]})",
      R"({"active":0,"tabs":[],"tabs":[]})",
      R"({"active":-1,"tabs":[]})",
      R"({"active":1.0,"tabs":[]})",
      R"({"active":"0","tabs":[]})",
      R"({"active":18446744073709551616,"tabs":[]})",
      R"({"active":0,"tabs":{}})",
      R"({"active":0,"tabs":null})",
      R"({"active":0,"tabs":[null]})",
      R"({"active":0,"tabs":[7]})",
      "[0]",
      "[0,[],1]",
      "[]",
      // Entry keys: every one but path and lossy required.
      replace(R"("id":7,)", ""),
      without(R"("untitled":1,)"),
      without(R"("encoding":"Utf8",)"),
      without(R"("eol":"CrLf",)"),
      without(R"("dirty":true,)"),
      without(R"("sel":[5,5],)"),
      // No key twice, not even with the same value.
      entry_text(full_members + R"(,"id":7)"),
      entry_text(full_members + R"(,"path":null)"),
      entry_text(full_members + R"(,"lossy":false)"),
      entry_text(full_members + R"(,"sel":[5,5])"),
      // Types and ranges.
      replace("\"id\":7", "\"id\":-7"),
      replace("\"id\":7", "\"id\":7.0"),
      replace("\"id\":7", "\"id\":7e0"),
      replace("\"id\":7", "\"id\":\"7\""),
      replace("\"id\":7", "\"id\":null"),
      replace("\"id\":7", "\"id\":18446744073709551616"),
      replace("\"id\":7", "\"id\":007"),
      replace("\"path\":null", "\"path\":5"),
      replace("\"path\":null", "\"path\":[]"),
      replace("\"untitled\":1", "\"untitled\":4294967296"),
      replace("\"untitled\":1", "\"untitled\":-1"),
      replace("\"Utf8\"", "\"utf8\""),
      replace("\"Utf8\"", "\"UTF-8\""),
      replace("\"Utf8\"", "0"),
      replace("\"CrLf\"", "\"CRLF\""),
      replace("\"CrLf\"", "\"Crlf\""),
      replace("\"CrLf\"", "null"),
      replace("\"dirty\":true", "\"dirty\":1"),
      replace("\"dirty\":true", "\"dirty\":\"true\""),
      replace("\"lossy\":false", "\"lossy\":null"),
      replace("\"lossy\":false", "\"lossy\":0"),
      replace("[5,5]", "[5]"),
      replace("[5,5]", "[5,5,5]"),
      replace("[5,5]", "[]"),
      replace("[5,5]", "5"),
      replace("[5,5]", "{\"a\":5,\"b\":5}"),
      replace("[5,5]", "[5,2147483648]"),
      replace("[5,5]", "[-2147483649,5]"),
      replace("[5,5]", "[5.5,5]"),
      replace("[5,5]", "[null,5]"),
      // Array forms: the right number of values, each of the right type.
      R"([0,[[7,null,1,"Utf8","CrLf",true]]])",
      R"([0,[[7,null,1,"Utf8","CrLf",true,[5,5],false,0]]])",
      R"([0,[[7,1,"Utf8","CrLf",true,[5,5],false]]])",
      R"([0,[[7,null,1,"Utf8","CrLf",true,[5,5],null]]])",
      // Strings JSON itself forbids.
      replace("\"path\":null", "\"path\":\"\xff\""),
      replace("\"path\":null", "\"path\":\"\\ud800\""),
      replace("\"path\":null", "\"path\":\"a\nb\""),
      replace("\"path\":null", "\"path\":\"\\x41\""),
  };
  for (const auto& text : texts) {
    EXPECT_FALSE(parse_index(text).has_value()) << text;
  }
}

}  // namespace
