#include "platform/registry.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/registry_file_store.h"
#include "platform/registry_names.h"
#include "platform/registry_odbc_store.h"

using reg_odbc::IniFile;
using Parts = std::vector<std::string>;

struct PlatRegKey {
  PlatRegRoot root;
  bool predefined;
  Parts parts;  // below the root, spelled as stored where the key exists
};

namespace {

PlatRegKey g_roots[] = {
    {PlatRegRoot::kClassesRoot, true, {}}, {PlatRegRoot::kCurrentConfig, true, {}},
    {PlatRegRoot::kCurrentUser, true, {}}, {PlatRegRoot::kLocalMachine, true, {}},
    {PlatRegRoot::kUsers, true, {}},
};

struct Mount {
  PlatRegRoot root;
  const char* path;
  IniFile file;
};

// The keys that the ODBC installer's files stand for.
const Mount kMounts[] = {
    {PlatRegRoot::kCurrentUser, "Software\\ODBC\\ODBC.INI", IniFile::kUserDsn},
    {PlatRegRoot::kLocalMachine, "Software\\ODBC\\ODBC.INI", IniFile::kSystemDsn},
    {PlatRegRoot::kLocalMachine, "Software\\ODBC\\ODBCINST.INI", IniFile::kDrivers},
};

enum class Where {
  kFile,         // the registry's own store
  kIniFile,      // an installer file's key itself: sections below, no values
  kIniSection,   // a section of an installer file
  kBelowSection  // deeper than a section: never exists
};

struct Route {
  Where where = Where::kFile;
  IniFile file = IniFile::kUserDsn;
  size_t depth = 0;  // components of the installer file's key
};

Route RouteOf(PlatRegRoot root, const Parts& parts) {
  for (const Mount& mount : kMounts) {
    if (mount.root != root) continue;
    Parts mount_parts = reg_names::Split(mount.path);
    if (!reg_names::HasPrefix(parts, mount_parts)) continue;
    Route route{Where::kBelowSection, mount.file, mount_parts.size()};
    size_t below = parts.size() - mount_parts.size();
    if (below == 0) route.where = Where::kIniFile;
    if (below == 1) route.where = Where::kIniSection;
    return route;
  }
  return Route{};
}

// The next components of the installer keys that `parts` leads to; a key on
// the way to one of them always exists.
Parts MountChildren(PlatRegRoot root, const Parts& parts) {
  Parts children;
  for (const Mount& mount : kMounts) {
    if (mount.root != root) continue;
    Parts mount_parts = reg_names::Split(mount.path);
    if (mount_parts.size() <= parts.size() || !reg_names::HasPrefix(mount_parts, parts)) continue;
    const std::string& next = mount_parts[parts.size()];
    bool seen = false;
    for (const std::string& child : children) seen = seen || reg_names::Equal(child, next);
    if (!seen) children.push_back(next);
  }
  return children;
}

bool LeadsToMount(PlatRegRoot root, const Parts& parts) {
  return !MountChildren(root, parts).empty();
}

// --- the registry's own store ---------------------------------------------

bool IsBelow(const Parts& inner, const Parts& outer) {
  return inner.size() > outer.size() && reg_names::HasPrefix(inner, outer);
}

reg_file::Section* FindSection(reg_file::Document& doc, const Parts& parts) {
  std::string path = reg_names::Join(parts);
  for (reg_file::Section& section : doc) {
    if (reg_names::Equal(section.path, path)) return &section;
  }
  return nullptr;
}

bool HasKeysBelow(const reg_file::Document& doc, const Parts& parts) {
  for (const reg_file::Section& section : doc) {
    if (IsBelow(reg_names::Split(section.path), parts)) return true;
  }
  return false;
}

// Replaces the spelling of `parts` by that of the stored keys it matches, so
// that a key keeps the case it was first created with.
void AdoptStoredSpelling(const reg_file::Document& doc, Parts* parts) {
  size_t spelled = 0;
  for (const reg_file::Section& section : doc) {
    Parts stored = reg_names::Split(section.path);
    size_t n = 0;
    while (n < stored.size() && n < parts->size() && reg_names::Equal(stored[n], (*parts)[n])) ++n;
    for (size_t i = spelled; i < n; ++i) (*parts)[i] = stored[i];
    if (n > spelled) spelled = n;
  }
}

bool FileKeyExists(const reg_file::Document& doc, PlatRegRoot root, const Parts& parts) {
  if (parts.empty() || LeadsToMount(root, parts)) return true;
  for (const reg_file::Section& section : doc) {
    if (reg_names::HasPrefix(reg_names::Split(section.path), parts)) return true;
  }
  return false;
}

// --- the installer's files --------------------------------------------------

long FindIniSection(IniFile file, std::string* section) {
  std::vector<std::string> names;
  long rc = reg_odbc::ListSections(file, &names);
  if (rc != kPlatRegOk) return rc;
  for (const std::string& name : names) {
    if (reg_names::Equal(name, *section)) {
      *section = name;
      return kPlatRegOk;
    }
  }
  // The installer leaves "ODBC Data Sources" out of its list of sections;
  // a section that holds keys is there all the same.
  rc = reg_odbc::ListKeys(file, *section, &names);
  if (rc != kPlatRegOk) return rc;
  return names.empty() ? kPlatRegNotFound : kPlatRegOk;
}

// --- shared by the operations ----------------------------------------------

long CopyName(const std::string& name, char* buffer, uint32_t* size) {
  if (name.size() + 1 > *size || buffer == nullptr) {
    *size = static_cast<uint32_t>(name.size() + 1);
    return kPlatRegMoreData;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<uint32_t>(name.size());
  return kPlatRegOk;
}

long NewKey(PlatRegRoot root, Parts parts, PlatRegKey** key) {
  *key = new (std::nothrow) PlatRegKey{root, false, std::move(parts)};
  return *key == nullptr ? kPlatRegNoMemory : kPlatRegOk;
}

bool ComponentsFit(const Parts& parts) {
  for (const std::string& part : parts) {
    if (!reg_file::KeyNameFits(part)) return false;
  }
  return true;
}

Parts Extend(const PlatRegKey* parent, const char* subkey) {
  Parts parts = parent->parts;
  if (subkey != nullptr) {
    for (std::string& part : reg_names::Split(subkey)) parts.push_back(std::move(part));
  }
  return parts;
}

// Runs an operation, turning memory exhaustion inside it into a result.
template <typename Operation>
long Guarded(Operation operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    return kPlatRegNoMemory;
  }
}

long OpenOrCreate(PlatRegKey* parent, const char* subkey, PlatRegKey** key, bool create) {
  if (parent == nullptr || key == nullptr) return kPlatRegInvalidArgument;
  *key = nullptr;
  Parts parts = Extend(parent, subkey);
  if (!ComponentsFit(parts)) return create ? kPlatRegInvalidArgument : kPlatRegNotFound;
  PlatRegRoot root = parent->root;
  Route route = RouteOf(root, parts);
  switch (route.where) {
    case Where::kIniFile:
      return NewKey(root, std::move(parts), key);
    case Where::kIniSection: {
      std::string& section = parts[route.depth];
      long rc = FindIniSection(route.file, &section);
      // The installer has no empty sections: a created one appears with
      // its first value.
      if (rc == kPlatRegNotFound && create) {
        rc = reg_odbc::SectionNameFits(section) ? kPlatRegOk : kPlatRegInvalidArgument;
      }
      return rc == kPlatRegOk ? NewKey(root, std::move(parts), key) : rc;
    }
    case Where::kBelowSection:
      return create ? kPlatRegAccessDenied : kPlatRegNotFound;
    case Where::kFile:
      break;
  }
  if (parts.empty() || LeadsToMount(root, parts)) return NewKey(root, std::move(parts), key);
  reg_file::Document doc;
  long rc = reg_file::Load(root, &doc);
  if (rc != kPlatRegOk) return rc;
  if (FileKeyExists(doc, root, parts)) {
    AdoptStoredSpelling(doc, &parts);
    return NewKey(root, std::move(parts), key);
  }
  if (!create) return kPlatRegNotFound;
  if (root == PlatRegRoot::kCurrentConfig) return kPlatRegAccessDenied;
  rc = reg_file::Update(root, [&](reg_file::Document& current, bool& changed) {
    AdoptStoredSpelling(current, &parts);
    if (!FileKeyExists(current, root, parts)) {
      current.push_back(reg_file::Section{reg_names::Join(parts), {}});
      changed = true;
    }
    return kPlatRegOk;
  });
  return rc == kPlatRegOk ? NewKey(root, std::move(parts), key) : rc;
}

}  // namespace

PlatRegKey* PlatRegRootKey(PlatRegRoot root) {
  return &g_roots[static_cast<size_t>(root)];
}

long PlatRegOpenKey(PlatRegKey* parent, const char* subkey, PlatRegKey** key) {
  return Guarded([&] { return OpenOrCreate(parent, subkey, key, false); });
}

long PlatRegCreateKey(PlatRegKey* parent, const char* subkey, PlatRegKey** key) {
  return Guarded([&] { return OpenOrCreate(parent, subkey, key, true); });
}

void PlatRegCloseKey(PlatRegKey* key) {
  if (key != nullptr && !key->predefined) delete key;
}

long PlatRegQueryValue(PlatRegKey* key, const char* name, char* data, uint32_t* size) {
  if (key == nullptr || size == nullptr) return kPlatRegInvalidArgument;
  return Guarded([&] {
    std::string value_name = name != nullptr ? name : "";
    std::string value;
    Route route = RouteOf(key->root, key->parts);
    if (route.where == Where::kIniSection) {
      if (value_name.empty()) return kPlatRegNotFound;
      long rc = reg_odbc::GetValue(route.file, key->parts[route.depth], value_name, &value);
      if (rc != kPlatRegOk) return rc;
    } else if (route.where == Where::kFile) {
      reg_file::Document doc;
      long rc = reg_file::Load(key->root, &doc);
      if (rc != kPlatRegOk) return rc;
      reg_file::Section* section = FindSection(doc, key->parts);
      if (section == nullptr) return kPlatRegNotFound;
      bool found = false;
      for (const reg_file::Value& stored : section->values) {
        if (!found && reg_names::Equal(stored.name, value_name)) {
          value = stored.data;
          found = true;
        }
      }
      if (!found) return kPlatRegNotFound;
    } else {
      return kPlatRegNotFound;
    }
    uint32_t needed = static_cast<uint32_t>(value.size() + 1);
    bool fits = data != nullptr && needed <= *size;
    *size = needed;
    if (data == nullptr) return kPlatRegOk;
    if (!fits) return kPlatRegMoreData;
    std::memcpy(data, value.c_str(), needed);
    return kPlatRegOk;
  });
}

long PlatRegSetValue(PlatRegKey* key, const char* name, const char* value) {
  if (key == nullptr || value == nullptr) return kPlatRegInvalidArgument;
  if (key->root == PlatRegRoot::kCurrentConfig) return kPlatRegAccessDenied;
  return Guarded([&] {
    std::string value_name = name != nullptr ? name : "";
    Route route = RouteOf(key->root, key->parts);
    if (route.where == Where::kIniSection) {
      return reg_odbc::SetValue(route.file, key->parts[route.depth], value_name, value);
    }
    if (route.where != Where::kFile) return kPlatRegAccessDenied;
    if (!reg_file::ValueNameFits(value_name) || !reg_file::ValueDataFits(value)) {
      return kPlatRegInvalidArgument;
    }
    return reg_file::Update(key->root, [&](reg_file::Document& doc, bool& changed) {
      reg_file::Section* section = FindSection(doc, key->parts);
      if (section == nullptr) {
        Parts parts = key->parts;
        AdoptStoredSpelling(doc, &parts);
        doc.push_back(reg_file::Section{reg_names::Join(parts), {}});
        section = &doc.back();
      }
      changed = true;
      for (reg_file::Value& stored : section->values) {
        if (reg_names::Equal(stored.name, value_name)) {
          stored.data = value;
          return kPlatRegOk;
        }
      }
      section->values.push_back(reg_file::Value{value_name, value});
      return kPlatRegOk;
    });
  });
}

long PlatRegDeleteValue(PlatRegKey* key, const char* name) {
  if (key == nullptr) return kPlatRegInvalidArgument;
  if (key->root == PlatRegRoot::kCurrentConfig) return kPlatRegAccessDenied;
  return Guarded([&] {
    std::string value_name = name != nullptr ? name : "";
    Route route = RouteOf(key->root, key->parts);
    if (route.where == Where::kIniSection) {
      const std::string& section = key->parts[route.depth];
      std::string ignored;
      long rc = reg_odbc::GetValue(route.file, section, value_name, &ignored);
      return rc == kPlatRegOk ? reg_odbc::DeleteValue(route.file, section, value_name) : rc;
    }
    if (route.where != Where::kFile) return kPlatRegNotFound;
    return reg_file::Update(key->root, [&](reg_file::Document& doc, bool& changed) {
      reg_file::Section* section = FindSection(doc, key->parts);
      if (section == nullptr) return kPlatRegNotFound;
      for (size_t i = 0; i < section->values.size(); ++i) {
        if (reg_names::Equal(section->values[i].name, value_name)) {
          section->values.erase(section->values.begin() + static_cast<long>(i));
          changed = true;
          return kPlatRegOk;
        }
      }
      return kPlatRegNotFound;
    });
  });
}

long PlatRegDeleteKey(PlatRegKey* parent, const char* subkey) {
  if (parent == nullptr || subkey == nullptr) return kPlatRegInvalidArgument;
  if (parent->root == PlatRegRoot::kCurrentConfig) return kPlatRegAccessDenied;
  return Guarded([&] {
    Parts parts = Extend(parent, subkey);
    if (parts.size() == parent->parts.size()) return kPlatRegInvalidArgument;
    PlatRegRoot root = parent->root;
    Route route = RouteOf(root, parts);
    if (route.where == Where::kIniFile || LeadsToMount(root, parts)) return kPlatRegAccessDenied;
    if (route.where == Where::kBelowSection) return kPlatRegNotFound;
    if (route.where == Where::kIniSection) {
      std::string section = parts[route.depth];
      long rc = FindIniSection(route.file, &section);
      if (rc == kPlatRegOk) rc = reg_odbc::DeleteSection(route.file, section);
      if (rc != kPlatRegOk) return rc;
      // The user's view also shows the system's data sources, which a
      // delete through it cannot reach.
      rc = FindIniSection(route.file, &section);
      return rc == kPlatRegNotFound ? kPlatRegOk : kPlatRegAccessDenied;
    }
    return reg_file::Update(root, [&](reg_file::Document& doc, bool& changed) {
      if (HasKeysBelow(doc, parts)) return kPlatRegAccessDenied;
      for (size_t i = 0; i < doc.size(); ++i) {
        if (reg_names::Equal(doc[i].path, reg_names::Join(parts))) {
          doc.erase(doc.begin() + static_cast<long>(i));
          changed = true;
          return kPlatRegOk;
        }
      }
      return kPlatRegNotFound;
    });
  });
}

long PlatRegEnumKey(PlatRegKey* key, uint32_t index, char* name, uint32_t* size) {
  if (key == nullptr || size == nullptr) return kPlatRegInvalidArgument;
  return Guarded([&] {
    Parts children;
    Route route = RouteOf(key->root, key->parts);
    if (route.where == Where::kIniFile) {
      long rc = reg_odbc::ListSections(route.file, &children);
      if (rc != kPlatRegOk) return rc;
    } else if (route.where == Where::kFile) {
      reg_file::Document doc;
      long rc = reg_file::Load(key->root, &doc);
      if (rc != kPlatRegOk) return rc;
      Parts candidates;
      for (const reg_file::Section& section : doc) {
        Parts stored = reg_names::Split(section.path);
        if (IsBelow(stored, key->parts)) candidates.push_back(stored[key->parts.size()]);
      }
      for (std::string& mount_child : MountChildren(key->root, key->parts)) {
        candidates.push_back(std::move(mount_child));
      }
      for (std::string& candidate : candidates) {
        bool seen = false;
        for (const std::string& child : children) seen = seen || reg_names::Equal(child, candidate);
        if (!seen) children.push_back(std::move(candidate));
      }
    }
    if (index >= children.size()) return kPlatRegNoMoreItems;
    return CopyName(children[index], name, size);
  });
}

long PlatRegEnumValue(PlatRegKey* key, uint32_t index, char* name, uint32_t* size) {
  if (key == nullptr || size == nullptr) return kPlatRegInvalidArgument;
  return Guarded([&] {
    std::vector<std::string> names;
    Route route = RouteOf(key->root, key->parts);
    if (route.where == Where::kIniSection) {
      long rc = reg_odbc::ListKeys(route.file, key->parts[route.depth], &names);
      if (rc != kPlatRegOk) return rc;
    } else if (route.where == Where::kFile) {
      reg_file::Document doc;
      long rc = reg_file::Load(key->root, &doc);
      if (rc != kPlatRegOk) return rc;
      if (reg_file::Section* section = FindSection(doc, key->parts)) {
        for (const reg_file::Value& value : section->values) names.push_back(value.name);
      }
    }
    if (index >= names.size()) return kPlatRegNoMoreItems;
    return CopyName(names[index], name, size);
  });
}
