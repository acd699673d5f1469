#include "common/msg_xml_source.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "testing/temp_dir.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The pairs as the reader added them, before any sort.
Pairs Added(const MsgTable& table) {
  Pairs out;
  for (size_t i = 0; i < table.Count(); ++i)
    out.emplace_back(table.Pair(i).key.CStr(),
                     std::string(table.Pair(i).text.CStr(), table.Pair(i).text.Length()));
  return out;
}

Pairs ReadFile(const std::string& path) {
  MsgXmlSource source(SafeString(path.c_str()));
  MsgTable table;
  source.Load(table);
  return Added(table);
}

const std::pair<std::string, std::string> kEnd{"", ""};  // what a stray end tag stores

struct Snippet {
  const char* name;
  std::string xml;
  Pairs expected;
};

TEST(MsgXmlSource, SnippetsYieldTheirPairs) {
  const Snippet cases[] = {
      {"plain", R"(<M><S id="K">T</S></M>)", {{"K", "T"}, kEnd}},
      {"whitespace kept", "<M><S id=\"K\">  word  \n</S></M>", {{"K", "  word  \n"}, kEnd}},
      {"first attribute is the key, whatever its name",
       R"(<M><S name="K" id="X">T</S></M>)",
       {{"K", "T"}, kEnd}},
      {"S without attributes", R"(<M><S>T</S></M>)", {{"", "T"}, kEnd}},
      {"first kept wrapper wins",
       R"(<M><S id="K"><STANDARD>A</STANDARD><WIN32>B</WIN32></S></M>)",
       {{"K", "A"}, kEnd, kEnd, kEnd}},
      {"DEBUG skipped, WIN32 kept",
       R"(<M><S id="K"><DEBUG>D</DEBUG><WIN32>W</WIN32></S></M>)",
       {{"K", "W"}, kEnd, kEnd}},
      {"UNIX skipped, text before it dropped",
       R"(<M><S id="K">a<UNIX>U</UNIX>b</S></M>)",
       {{"K", "b"}, kEnd}},
      {"nested element ends the text",
       R"(<M><S id="K">before<b>bold</b>after</S></M>)",
       {{"K", "beforebold"}, kEnd, kEnd}},
      {"entities and character references",
       R"(<M><S id="K">&lt;&amp;&gt;&quot;&apos;&#x41;&#66;</S></M>)",
       {{"K", "<&>\"'AB"}, kEnd}},
      {"UTF-8 byte for byte",
       "<M><S id=\"K\">\xC3\xA9\xE2\x82\xAC&#233;</S></M>",
       {{"K", "\xC3\xA9\xE2\x82\xAC\xC3\xA9"}, kEnd}},
      {"declared encoding arrives as UTF-8",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><M><S id=\"K\">\xE9</S></M>",
       {{"K", "\xC3\xA9"}, kEnd}},
      {"CR LF arrives as LF", "<M><S id=\"K\">a\r\nb\r\n</S></M>", {{"K", "a\nb\n"}, kEnd}},
      {"element names are case-sensitive", R"(<M><s id="K">T</s></M>)", {kEnd, kEnd}},
      {"no message at all", R"(<M>text</M>)", {kEnd}},
      {"several messages",
       R"(<M><S id="A">1</S><S id="B"><STANDARD>2</STANDARD></S><S id="C">3</S></M>)",
       {{"A", "1"}, {"B", "2"}, kEnd, {"C", "3"}, kEnd}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadFile(dir.Write("m.xml", c.xml)), c.expected);
  }
}

TEST(MsgXmlSource, TextsSpanningReadChunks) {
  TempDir dir;
  const std::string head = R"(<M><S id="K">)", tail = "</S></M>";
  // Whole files of 511, 512 and 513 bytes, and a text three chunks long.
  for (size_t size : {511u, 512u, 513u, 1600u}) {
    SCOPED_TRACE(size);
    std::string text(size - head.size() - tail.size(), 'x');
    text.front() = '[';
    text.back() = ']';
    std::string xml = head + text + tail;
    ASSERT_EQ(xml.size(), size);
    EXPECT_EQ(ReadFile(dir.Write("m.xml", xml)), (Pairs{{"K", text}, kEnd}));
  }
}

TEST(MsgXmlSource, BrokenFileKeepsEarlierPairsAndDoesNotSpillIntoTheNextLoad) {
  TempDir dir;
  // The parse stops inside an ignored wrapper of an open message.
  std::string broken = dir.Write("broken.xml", R"(<M><S id="A">a</S><S id="B">b</S>
<S id="C"><DEBUG>half)");
  MsgXmlSource source(SafeString(broken.c_str()));
  for (int load = 0; load < 2; ++load) {
    SCOPED_TRACE(load);
    MsgTable table;
    source.Load(table);
    EXPECT_EQ(Added(table), (Pairs{{"A", "a"}, {"B", "b"}}));
  }
  std::string mismatched = dir.Write("mismatched.xml", R"(<M><S id="A">a</S><S id="B">b</T></M>)");
  EXPECT_EQ(ReadFile(mismatched), (Pairs{{"A", "a"}}));
  // A good file read after the broken ones starts clean.
  EXPECT_EQ(ReadFile(dir.Write("good.xml", R"(<M><S id="D">d</S></M>)")),
            (Pairs{{"D", "d"}, kEnd}));
}

TEST(MsgXmlSource, MissingOrUnreadablePathsAddNothing) {
  TempDir dir;
  for (const std::string& path : {std::string(), dir.Path("missing.xml"), dir.path()}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(ReadFile(path).empty());
  }
  EXPECT_TRUE(ReadFile(dir.Write("empty.xml", "")).empty());
}

}  // namespace
