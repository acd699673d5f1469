#include "common/msg_xml_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "common/msg_xml_source.h"
#include "testing/temp_dir.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs ReadBack(const std::string& path) {
  MsgXmlSource source(SafeString(path.c_str()));
  MsgTable table;
  source.Load(table);
  Pairs pairs;
  // The root's end tag, like any end tag, stores a pair: one without a key,
  // which no lookup names.
  for (size_t i = 0; i < table.Count(); ++i)
    if (!table.Pair(i).key.IsEmpty())
      pairs.emplace_back(table.Pair(i).key.CStr(), table.Pair(i).text.CStr());
  return pairs;
}

TEST(MsgXmlWriterTest, EveryRowOfEveryTableReadsBackUnchanged) {
  const MsgDefault first[] = {
      {1, "VEL_PLAIN", "S1000General error."},
      {2, "VEL_MARKUP", "a < b && c > d, \"quoted\" 'single' ]]> <S id=\"x\">"},
      {3, "VEL_EMPTY", ""},
      {4, "VEL_SPACED", "  leading and trailing  "},
      {0, nullptr, nullptr},
  };
  const MsgDefault second[] = {
      {5, "VEL_LINES", "line one\nline two\r\n\ttabbed\r"},
      {6, "VEL_UTF8", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {7, "VEL_\"ODD&ID<", "key escaped too"},
      {1, "VEL_PLAIN", "the second of a twice-given identifier"},
      {0, nullptr, nullptr},
  };
  TempDir dir;
  const std::string path = dir.Path("messages.xml");
  const MsgDefault* tables[] = {first, second};
  ASSERT_EQ(MsgWriteXmlFile(path.c_str(), tables, 2), 1);

  Pairs expected;
  for (const MsgDefault* table : tables)
    for (const MsgDefault* row = table; row->number != 0; ++row)
      expected.emplace_back(row->identifier, row->text);
  EXPECT_EQ(ReadBack(path), expected);
}

TEST(MsgXmlWriterTest, TextsXmlCannotCarryLeaveNoFile) {
  const char* const texts[] = {
      "bell \x07",          // a control character
      "cut \xC3",           // a sequence that ends too soon
      "overlong \xC0\xAF",  // '/' in two bytes
      "surrogate \xED\xA0\x80",
      "stray \x80",
      "beyond \xF4\x90\x80\x80",
  };
  TempDir dir;
  const std::string path = dir.Path("messages.xml");
  for (const char* text : texts) {
    const MsgDefault rows[] = {
        {1, "VEL_FINE", "fine"}, {2, "VEL_BAD", text}, {0, nullptr, nullptr}};
    const MsgDefault* tables[] = {rows};
    EXPECT_EQ(MsgWriteXmlFile(path.c_str(), tables, 1), 0) << text;
    EXPECT_NE(access(path.c_str(), F_OK), 0) << text;
  }
}

TEST(MsgXmlWriterTest, AFileThatCannotBeCreatedFails) {
  TempDir dir;
  const MsgDefault rows[] = {{1, "VEL_FINE", "fine"}, {0, nullptr, nullptr}};
  const MsgDefault* tables[] = {rows};
  EXPECT_EQ(MsgWriteXmlFile(dir.Path("missing/messages.xml").c_str(), tables, 1), 0);
}

}  // namespace
