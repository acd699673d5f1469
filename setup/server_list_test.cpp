#include "setup/server_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "setup/host_lookup.h"
#include "setup/number_checks.h"
#include "testing/fake_lookups.h"

namespace {

// A list in a record-sized buffer, as the operations find it.
struct ListText {
  char text[kAttrValueSize];
  explicit ListText(const std::string& value) {
    std::memset(text, 0, sizeof text);
    std::strncpy(text, value.c_str(), sizeof text - 1);
  }
};

std::string Result(int rc, const std::string& text) {
  return std::to_string(rc) + " " + text;
}

std::string Edit(const std::string& list, const std::function<int(char*)>& edit) {
  ListText buffer(list);
  int rc = edit(buffer.text);
  return Result(rc, buffer.text);
}

std::string Checked(const char* text, uint32_t low, uint32_t high) {
  uint32_t value = 12345;
  int rc = CheckNumberRange(text, low, high, &value);
  return Result(rc, std::to_string(value));
}

std::string Port(const char* text) {
  char token[80] = "untouched";
  int rc = ValidatePort(text, token, sizeof token);
  return Result(rc, token);
}

std::string Split(const char* entry) {
  char host[80] = "";
  char port[80] = "kept";
  SplitServerEntry(entry, host, sizeof host, port, sizeof port);
  return std::string(host) + "|" + port;
}

std::string Nth(const char* list, uint32_t n) {
  char entry[kAttrValueSize] = "untouched";
  int rc = GetNthListEntry(list, entry, sizeof entry, n);
  return Result(rc, entry);
}

std::string Found(int rc, uint32_t index) {
  return Result(rc, rc ? std::to_string(index) : "-");
}

std::string Server(const char* list, const char* resolved, const char* item, const char* port,
                   uint32_t from) {
  uint32_t index = 0;
  int rc = FindServer(list, resolved, item, port, from, &index);
  return Found(rc, index);
}

std::string Normalized(const std::string& list) {
  ListText servers(list);
  ListText resolved("");
  int rc = NormalizeServerList(servers.text, resolved.text);
  return Result(rc, std::string(servers.text) + " | " + resolved.text);
}

std::string Primary(const std::string& list, const std::string& items, const char* host,
                    const char* item) {
  AttributeRecord records[kAttrCount] = {};
  std::strcpy(records[kAttrServerName].value, list.c_str());
  std::strcpy(records[kAttrResolved].value, items.c_str());
  SetupContext context{};
  context.attributes = records;
  int rc = ReplacePrimaryServer(&context, host, "9", item);
  return Result(rc,
                std::string(records[kAttrServerName].value) + " | " + records[kAttrResolved].value);
}

std::string Copied(const char* position) {
  char entry[40] = "untouched";
  int rc = CopyListEntry(position, entry, sizeof entry);
  return Result(rc, entry);
}

std::string Built(const char* host, const char* port) {
  char entry[40] = "untouched";
  int rc = BuildServerEntry(host, port, entry, sizeof entry);
  return Result(rc, entry);
}

int NthHost(const char* list, const char* host, uint32_t n) {
  AttributeRecord records[kAttrCount] = {};
  std::strcpy(records[kAttrServerName].value, list);
  SetupContext context{};
  context.attributes = records;
  return IsNthEntryHost(&context, host, n);
}

// Five-character entries: 86 of them make 515 characters with their commas.
std::string ManyEntries(int count) {
  std::string list;
  for (int i = 0; i < count; ++i)
    list += (i ? "," : "") + std::string("h.") + std::to_string(100 + i);
  return list;
}

struct Case {
  const char* what;
  std::function<std::string()> run;
  std::string expected;
};

class ServerListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lookup_.hosts = {{"hostA", {Ipv4("10.0.0.5")}}, {"hostB", {Ipv4("10.0.0.6")}}};
    lookup_.services = {{"ftp", 21}, {"zero", 0}, {"huge", 70000}};
  }
  FakeLookups lookup_;
};

TEST_F(ServerListTest, Operations) {
  const std::string long_a(300, 'a');
  const std::string long_b(300, 'b');
  const Case cases[] = {
      // Numbers are read whole, in 64 bits, and must lie in the range.
      {"08 is 8", [] { return Checked("08", 1, 64); }, "1 8"},
      {"064 is 64", [] { return Checked("064", 1, 64); }, "1 64"},
      {"leading blank and sign", [] { return Checked(" +5", 1, 64); }, "1 5"},
      {"0 below 1..64", [] { return Checked("0", 1, 64); }, "0 12345"},
      {"negative", [] { return Checked("-1", 0, 1); }, "0 12345"},
      {"wraps past 32 bits", [] { return Checked("4294967297", 0, 65535); }, "0 12345"},
      {"past 64 bits", [] { return Checked("18446744073709551617", 0, 65535); }, "0 12345"},
      {"trailing text", [] { return Checked("12x", 1, 64); }, "0 12345"},
      {"trailing blank", [] { return Checked("12 ", 1, 64); }, "0 12345"},
      {"empty", [] { return Checked("", 0, 1); }, "0 12345"},
      {"buffer size 65",
       [] {
         uint32_t v = 0;
         return std::to_string(ValidateBufferSize("65", &v));
       },
       "0"},

      // Ports: the first token counts; numbers 1..65535 or a known service.
      {"port with more tokens", [] { return Port(" 1583 x"); }, "1 1583"},
      {"port 65535", [] { return Port("65535"); }, "1 65535"},
      {"port 0", [] { return Port("0"); }, "0 0"},
      {"port 65536", [] { return Port("65536"); }, "0 65536"},
      {"port 4294967297", [] { return Port("4294967297"); }, "0 4294967297"},
      {"port -1", [] { return Port("-1"); }, "0 -1"},
      {"known service", [] { return Port("ftp"); }, "1 ftp"},
      {"unknown service", [] { return Port("nosuch"); }, "0 nosuch"},
      {"service on port 0", [] { return Port("zero"); }, "0 zero"},
      {"service past 65535", [] { return Port("huge"); }, "0 huge"},
      {"blank port", [] { return Port(" \t "); }, "0 "},

      // Entries.
      {"split a.b.c.21", [] { return Split("a.b.c.21"); }, "a.b.c|21"},
      {"split dotted address", [] { return Split("10.1.2.3.1583"); }, "10.1.2.3|1583"},
      {"split without dot", [] { return Split("hostA"); }, "hostA|kept"},
      {"split colon form", [] { return Split("10.1.2.3:1583"); }, "10.1.2.3|1583"},
      {"primary of two",
       [] {
         char primary[40];
         GetPrimaryServerEntry("hostA.1583,hostB.1584", primary, sizeof primary);
         return std::string(primary);
       },
       "hostA.1583"},
      {"build from first tokens", [] { return Built("  host x", "\t1583 y"); }, "1 host.1583"},
      {"build without host", [] { return Built("  ", "1583"); }, "0 untouched"},
      {"copy null position", [] { return Copied(nullptr); }, "0 untouched"},
      {"copy at the end", [] { return Copied(""); }, "0 untouched"},
      {"copy empty entry", [] { return Copied(",b.2"); }, "0 "},
      {"copy entry", [] { return Copied("a.1,b.2"); }, "1 a.1"},
      {"next entry", [] { return std::string(NextListEntry("a.1,b.2")); }, "b.2"},
      {"no next entry", [] { return std::to_string(NextListEntry("b.2") == nullptr); }, "1"},

      // Finding entries.
      {"entry 0", [] { return Nth("a.1,b.2", 0); }, "1 a.1"},
      {"entry 1", [] { return Nth("a.1,b.2", 1); }, "1 b.2"},
      {"entry 2 missing", [] { return Nth("a.1,b.2", 2); }, "0 untouched"},
      {"empty entry", [] { return Nth("a.1,,c.3", 1); }, "0 "},
      {"nth of empty list",
       [] {
         const char* at = nullptr;
         return std::to_string(FindNthListEntry("", &at, 0));
       },
       "0"},
      {"nth 0 is the start",
       [] {
         const char* list = "a.1,b.2";
         const char* at = nullptr;
         int rc = FindNthListEntry(list, &at, 0);
         return Result(rc, std::to_string(at - list));
       },
       "1 0"},
      {"find ignoring case",
       [] {
         uint32_t i = 0;
         int rc = FindListEntry("a.1,B.2", "b.2", &i);
         return Found(rc, i);
       },
       "1 1"},
      {"find empty text",
       [] {
         uint32_t i = 0;
         int rc = FindListEntry("a.1", "", &i);
         return Found(rc, i);
       },
       "0 -"},
      {"find in empty list",
       [] {
         uint32_t i = 0;
         int rc = FindListEntry("", "a.1", &i);
         return Found(rc, i);
       },
       "0 -"},
      {"find by host",
       [] {
         uint32_t i = 0;
         int rc = FindListEntryByHost("a.1,hostB.2", "HOSTB", &i);
         return Found(rc, i);
       },
       "1 1"},
      {"host is before the last dot",
       [] {
         uint32_t i = 0;
         int rc = FindListEntryByHost("a.b.c.21", "a.b", &i);
         return Found(rc, i);
       },
       "0 -"},
      {"server by address and port",
       [] { return Server("a.1,b.2,c.ftp", "i1,i2,i2", "I2", "21", 0); }, "1 2"},
      {"server from an index on", [] { return Server("a.1,b.1", "i1,i1", "i1", "1", 1); }, "1 1"},
      {"server on another port", [] { return Server("a.1", "i1", "i1", "2", 0); }, "0 -"},
      {"nth entry host", [] { return std::to_string(NthHost("a.1,hostB.2", "hostb", 1)); }, "1"},
      {"nth entry host missing", [] { return std::to_string(NthHost("a.1", "a", 1)); }, "0"},

      // Edits.
      {"delete last",
       [] { return Edit("a.1,b.2,c.3", [](char* l) { return DeleteNthListEntry(l, 2); }); },
       "1 a.1,b.2"},
      {"delete middle",
       [] { return Edit("a.1,b.2,c.3", [](char* l) { return DeleteNthListEntry(l, 1); }); },
       "1 a.1,c.3"},
      {"delete first",
       [] { return Edit("a.1,b.2,c.3", [](char* l) { return DeleteNthListEntry(l, 0); }); },
       "1 b.2,c.3"},
      {"delete missing",
       [] { return Edit("a.1,b.2,c.3", [](char* l) { return DeleteNthListEntry(l, 3); }); },
       "0 a.1,b.2,c.3"},
      {"delete only", [] { return Edit("a.1", [](char* l) { return DeleteNthListEntry(l, 0); }); },
       "1 "},
      {"delete from empty",
       [] { return Edit("", [](char* l) { return DeleteNthListEntry(l, 0); }); }, "0 "},
      {"append", [] { return Edit("a.1", [](char* l) { return AppendListEntry(l, "b.2"); }); },
       "1 a.1,b.2"},
      {"append past 512",
       [] {
         return Edit(ManyEntries(85), [](char* l) { return AppendListEntry(l, "x.9"); })
             .substr(0, 2);
       },
       "0 "},
      {"append up to 512",
       [] {
         std::string list(508, 'a');
         return Edit(list, [](char* l) { return AppendListEntry(l, "x.9"); }).substr(0, 2);
       },
       "1 "},
      {"replace",
       [] { return Edit("a.1,b.2", [](char* l) { return ReplaceNthListEntry(l, "x.9", 1); }); },
       "1 a.1,x.9"},
      {"replace missing",
       [] { return Edit("a.1,b.2", [](char* l) { return ReplaceNthListEntry(l, "x.9", 2); }); },
       "0 a.1,b.2"},
      {"replace past 512",
       [long_a, long_b] {
         return Edit(long_a + ".1," + "b.2",
                     [&](char* l) { return ReplaceNthListEntry(l, (long_b + ".2").c_str(), 1); }) ==
                        Result(0, long_a + ".1,b.2")
                    ? "unchanged"
                    : "changed";
       },
       "unchanged"},
      {"new primary keeps secondaries", [] { return Primary("a.1,b.2", "i1,i2", "x", "item"); },
       "1 x.9,b.2 | item,i2"},
      {"new primary alone", [] { return Primary("a.1", "i1", "x", "item"); }, "1 x.9 | item"},
      {"empty primary", [] { return Primary("a.1,b.2", "i1,i2", "", "item"); }, "1 ,b.2 | ,i2"},
      {"primary without item", [] { return Primary("a.1", "i1", "x", nullptr); }, "1  | "},
      {"primary past 512",
       [long_a] {
         return Primary("a.1," + long_a + ".2", "i1,i2", std::string(300, 'x').c_str(), "item");
       },
       "0 a.1," + long_a + ".2 | i1,i2"},

      // Whole lists.
      {"valid list", [] { return std::to_string(ValidateServerList("hostA.1583,hostB.1584")); },
       "1"},
      {"empty last entry", [] { return std::to_string(ValidateServerList("hostA.1583,")); }, "0"},
      {"no dot", [] { return std::to_string(ValidateServerList("hostA")); }, "0"},
      {"port 0 in list", [] { return std::to_string(ValidateServerList("hostA.0")); }, "0"},
      {"port 65536 in list", [] { return std::to_string(ValidateServerList("hostA.65536")); }, "0"},
      {"port -1 in list", [] { return std::to_string(ValidateServerList("hostA.-1")); }, "0"},
      {"service in list", [] { return std::to_string(ValidateServerList("hostA.ftp")); }, "1"},
      {"port wrapping to 1", [] { return std::to_string(ValidateServerList("hostA.4294967297")); },
       "0"},
      {"blank host", [] { return std::to_string(ValidateServerList(" .1583")); }, "0"},
      {"empty list", [] { return std::to_string(ValidateServerList("")); }, "0"},
      // An entry is read as the driver reads it: one host, "." or ":", one
      // port, blanks around them and nothing else.
      {"junk after the port", [] { return std::to_string(ValidateServerList("hostA. 1583 x")); },
       "0"},
      {"junk in the host", [] { return std::to_string(ValidateServerList("hostA x.1583")); }, "0"},
      {"blanks around", [] { return std::to_string(ValidateServerList(" hostA . 1583 ")); }, "1"},
      {"colon form", [] { return std::to_string(ValidateServerList("hostA:1583,hostB.ftp")); },
       "1"},
      {"colon form with junk", [] { return std::to_string(ValidateServerList("hostA:1583 x")); },
       "0"},
      {"colon in the host", [] { return std::to_string(ValidateServerList("a:b:1583")); }, "0"},
      {"empty port", [] { return std::to_string(ValidateServerList("hostA:")); }, "0"},

      // One machine may serve on several ports: only address and port
      // together make a duplicate.
      {"same address, other port", [] { return Normalized("10.0.0.1.1583,10.0.0.1.1600"); },
       "1 10.0.0.1.1583,10.0.0.1.1600 | " + std::to_string(Ipv4("10.0.0.1")) + "," +
           std::to_string(Ipv4("10.0.0.1"))},
      {"same address and port", [] { return Normalized("10.0.0.1.1583,10.0.0.1.1583"); },
       "1 10.0.0.1.1583 | " + std::to_string(Ipv4("10.0.0.1"))},
      {"name and its address", [] { return Normalized("hostA.1583,10.0.0.5.1583,hostB.1"); },
       "1 hostA.1583,hostB.1 | " + std::to_string(Ipv4("10.0.0.5")) + "," +
           std::to_string(Ipv4("10.0.0.6"))},
      {"name and its address, other port", [] { return Normalized("hostA.1583,10.0.0.5.2000"); },
       "1 hostA.1583,10.0.0.5.2000 | " + std::to_string(Ipv4("10.0.0.5")) + "," +
           std::to_string(Ipv4("10.0.0.5"))},
      {"a service and its number", [] { return Normalized("hostA.ftp,hostA.21"); },
       "1 hostA.ftp | " + std::to_string(Ipv4("10.0.0.5"))},
      {"unresolved names by text", [] { return Normalized("hosta.1583,HOSTA.1583"); },
       "1 hosta.1583 | hosta"},
      {"unresolved names, other port", [] { return Normalized("hosta.1583,HOSTA.2000"); },
       "1 hosta.1583,HOSTA.2000 | hosta,HOSTA"},
      {"colon form and blanks written as host.port",
       [] { return Normalized(" hostA : 1583 ,hostB:1583"); },
       "1 hostA.1583,hostB.1583 | " + std::to_string(Ipv4("10.0.0.5")) + "," +
           std::to_string(Ipv4("10.0.0.6"))},
      {"colon and dot forms of one server", [] { return Normalized("hostA:1583,hostA.1583"); },
       "1 hostA.1583 | " + std::to_string(Ipv4("10.0.0.5"))},
      {"an entry that reads unclean stays", [] { return Normalized("hostA x.1,hostB.2"); },
       "1 hostA x.1,hostB.2 | hostA x," + std::to_string(Ipv4("10.0.0.6"))},
      {"empty entries dropped", [] { return Normalized("nowhere.1,,other.2,"); },
       "1 nowhere.1,other.2 | nowhere,other"},
      {"empty list stays", [] { return Normalized(""); }, "1  | "},
      {"all-ones address is unresolved", [] { return Normalized("255.255.255.255.1"); },
       "1 255.255.255.255.1 | 255.255.255.255"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.run(), c.expected) << c.what;
}

TEST_F(ServerListTest, DottedAddressesResolveWithoutALookup) {
  uint32_t address = 0;
  EXPECT_EQ(ResolveHostAddress("10.0.0.1", &address), 1);
  EXPECT_EQ(address, Ipv4("10.0.0.1"));
  EXPECT_EQ(lookup_.lookups, 0);
  EXPECT_EQ(ResolveHostAddress("hostA", &address), 1);
  EXPECT_EQ(address, Ipv4("10.0.0.5"));
  EXPECT_EQ(lookup_.lookups, 1);
}

TEST_F(ServerListTest, NormalizingRefusesAResolvedListPast512) {
  // Short names whose addresses are long: the resolved list outgrows the
  // server list, which itself fits.
  std::string list;
  for (int i = 0; i < 60; ++i) {
    std::string host = "h" + std::to_string(i);
    lookup_.hosts[host] = {Ipv4(("10.200.200." + std::to_string(i + 100)).c_str())};
    list += (i ? "," : "") + host + ".1";
  }
  ASSERT_LE(list.size(), kServerListMax);
  EXPECT_EQ(Normalized(list), Result(0, list + " | "));
}

}  // namespace
