// The registry's own store: one text file per root, each key a section
// "[Software\Velto\Client]" followed by its "name=value" lines. A key exists
// when it has a section or when a key below it does. Internal to platform/.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace reg_file {

struct Value {
  std::string name;
  std::string data;
};

struct Section {
  std::string path;  // components joined by backslashes; empty for the root's own values
  std::vector<Value> values;
};

using Document = std::vector<Section>;

// Lines that are neither a section header nor a value line are dropped; so
// are repeated sections (their values join the first) and repeated values.
Document Parse(std::string_view text);
std::string Format(const Document& doc);

// Whether a name or a value can be written and read back unchanged.
bool ValueNameFits(std::string_view name);
bool ValueDataFits(std::string_view data);
bool KeyNameFits(std::string_view name);

// The file holding `root`'s keys.
std::string RootFile(PlatRegRoot root);

// Reads the root's keys; a missing file is an empty store.
long Load(PlatRegRoot root, Document* doc);

// Under the store's file lock: loads the root's keys, lets `change` edit
// them, and when it returns kPlatRegOk with `changed` set replaces the file
// atomically. Returns the first failure or `change`'s result.
long Update(PlatRegRoot root, const std::function<long(Document& doc, bool& changed)>& change);

}  // namespace reg_file
