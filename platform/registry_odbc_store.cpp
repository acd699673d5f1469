#include "platform/registry_odbc_store.h"

#include <odbcinst.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/installer_call.h"
#include "platform/registry.h"
#include "platform/registry_names.h"

namespace reg_odbc {

namespace {

// The installer reads its files line by line into buffers of this size.
constexpr size_t kIniMaxLine = 1000;

// Given as the default of a read: no stored value can equal it, since
// values never hold line breaks. Reading it back means "missing", which
// the installer does not tell apart from an empty value otherwise.
constexpr char kMissing[] = "\n\x01(missing)";

const char* FileName(IniFile file) {
  return file == IniFile::kDrivers ? "ODBCINST.INI" : "ODBC.INI";
}

// Holds the installer for one call: in system mode for the system file, in
// user mode for the user's own file.
class InstallerCall : public plat_installer::Call {
 public:
  explicit InstallerCall(IniFile file) : Call(ModeOf(file)) {}

 private:
  static int ModeOf(IniFile file) {
    if (file == IniFile::kSystemDsn) return ODBC_SYSTEM_DSN;
    if (file == IniFile::kUserOnlyDsn) return ODBC_USER_DSN;
    return plat_installer::kKeepMode;
  }
};

long ReadNameListNow(IniFile file, const char* section, std::vector<std::string>* names) {
  std::vector<char> buffer(16384);
  int length = 0;
  for (;;) {
    {
      InstallerCall call(file);
      if (!call.ok()) return kPlatRegIoFailed;
      length = SQLGetPrivateProfileString(section, nullptr, "", buffer.data(),
                                          static_cast<int>(buffer.size()), FileName(file));
    }
    if (length <= 0) return kPlatRegOk;  // no file or nothing in it
    if (static_cast<size_t>(length) + kIniMaxLine + 2 < buffer.size()) break;
    if (buffer.size() >= (size_t{1} << 24)) return kPlatRegIoFailed;
    buffer.resize(buffer.size() * 2);
  }
  size_t end = static_cast<size_t>(length);
  for (size_t pos = 0; pos < end && buffer[pos] != '\0';) {
    size_t n = strnlen(buffer.data() + pos, end - pos);
    names->emplace_back(buffer.data() + pos, n);
    pos += n + 1;
  }
  return kPlatRegOk;
}

// The name of a section no data source file holds.
constexpr char kNoSuchSection[] = "\x01velto-no-such-section";

// Lists of names read lately. The installer keeps what every read of a
// list (a read without a key name) returns and never lets go of it, so a
// process that connects again and again would grow without end; the lists
// are read at most once in a while instead, as long as the installer keeps
// values it has read itself, and anew after any write through here.
class NameListCache {
 public:
  bool Find(const std::string& key, std::vector<std::string>* names) {
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = lists_.find(key);
    if (it == lists_.end() || Clock::now() - it->second.read > kKeep) return false;
    *names = it->second.names;
    return true;
  }
  void Keep(const std::string& key, const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (lists_.size() >= kMostLists) lists_.clear();
    lists_[key] = Entry{Clock::now(), names};
  }
  void Forget() {
    std::lock_guard<std::mutex> hold(mutex_);
    lists_.clear();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kKeep{20};
  static constexpr size_t kMostLists = 256;
  struct Entry {
    Clock::time_point read;
    std::vector<std::string> names;
  };
  std::mutex mutex_;
  std::map<std::string, Entry> lists_;
};

// Built on first use: the library's start-up reads settings before this
// file's globals would be made. Gone with the library when it is unloaded.
NameListCache& NameLists() {
  static NameListCache lists;
  return lists;
}

// The cache's key: the file as the installer's mode makes it, and the
// section (none for the list of sections).
std::string ListKey(IniFile file, const char* section) {
  UWORD mode = ODBC_BOTH_DSN;
  if (file == IniFile::kUserDsn) {
    plat_installer::Call call(plat_installer::kKeepMode);
    SQLGetConfigMode(&mode);
  }
  std::string key = std::to_string(static_cast<int>(file)) + ":" + std::to_string(mode) + ":";
  if (section == nullptr) return key;
  key += '[';
  for (char c : std::string(section))
    key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

// A list of NUL-separated names. The installer drops names that do not fit
// without saying so, so the buffer grows until a whole longest name would
// still have had room.
long ReadNameList(IniFile file, const char* section, std::vector<std::string>* names) {
  names->clear();
  const std::string key = ListKey(file, section);
  if (NameLists().Find(key, names)) return kPlatRegOk;
  long rc = ReadNameListNow(file, section, names);
  if (rc == kPlatRegOk) NameLists().Keep(key, *names);
  return rc;
}

long WriteString(IniFile file, const char* section, const char* key, const char* value) {
  NameLists().Forget();
  InstallerCall call(file);
  if (!call.ok()) return kPlatRegIoFailed;
  if (!SQLWritePrivateProfileString(section, key, value, FileName(file))) {
    return kPlatRegAccessDenied;
  }
  // The installer forgets the values it keeps read only on a write to the
  // data source files; after a write to the drivers' file this process
  // would go on reading the old values. Deleting a value that does not
  // exist makes it forget them.
  if (file == IniFile::kDrivers) {
    SQLWritePrivateProfileString(kNoSuchSection, "k", nullptr, "ODBC.INI");
  }
  return kPlatRegOk;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

bool SectionNameFits(std::string_view name) {
  return !name.empty() && name.size() <= kPlatRegMaxKeyName && !HasLineBreak(name) &&
         name.find_first_of("[]") == std::string_view::npos;
}

bool KeyNameFits(std::string_view name) {
  // Leading "#" or ";" makes a comment line, "[" a section header; the
  // installer trims blanks around names, so those would not read back.
  if (name.empty() || name.size() + 2 > kIniMaxLine || HasLineBreak(name)) return false;
  if (name.find('=') != std::string_view::npos) return false;
  if (name[0] == '#' || name[0] == ';' || name[0] == '[') return false;
  return name.front() != ' ' && name.front() != '\t' && name.back() != ' ' && name.back() != '\t';
}

bool ValueFits(std::string_view key, std::string_view value) {
  return !HasLineBreak(value) && key.size() + 1 + value.size() < kIniMaxLine;
}

long ListSections(IniFile file, std::vector<std::string>* names) {
  return ReadNameList(file, nullptr, names);
}

long ListKeys(IniFile file, const std::string& section, std::vector<std::string>* names) {
  return ReadNameList(file, section.c_str(), names);
}

long GetValue(IniFile file, const std::string& section, const std::string& key,
              std::string* value) {
  char buffer[kIniMaxLine + 24];
  {
    InstallerCall call(file);
    if (!call.ok()) return kPlatRegIoFailed;
    int n = SQLGetPrivateProfileString(section.c_str(), key.c_str(), kMissing, buffer,
                                       static_cast<int>(sizeof buffer), FileName(file));
    if (n < 0) return kPlatRegNotFound;
  }
  buffer[sizeof buffer - 1] = '\0';
  if (std::strcmp(buffer, kMissing) == 0) return kPlatRegNotFound;
  value->assign(buffer);
  return kPlatRegOk;
}

long SetValue(IniFile file, const std::string& section, const std::string& key,
              const std::string& value) {
  if (!SectionNameFits(section) || !KeyNameFits(key) || !ValueFits(key, value)) {
    return kPlatRegInvalidArgument;
  }
  return WriteString(file, section.c_str(), key.c_str(), value.c_str());
}

long DeleteValue(IniFile file, const std::string& section, const std::string& key) {
  return WriteString(file, section.c_str(), key.c_str(), nullptr);
}

long DeleteSection(IniFile file, const std::string& section) {
  return WriteString(file, section.c_str(), nullptr, nullptr);
}

long CreateDsn(IniFile file, const std::string& name, const std::string& driver) {
  if (!SectionNameFits(name) || !ValueFits("Driver", driver)) return kPlatRegInvalidArgument;
  // A new data source changes the lists of names, as a removed one does.
  NameLists().Forget();
  InstallerCall call(file);
  if (!call.ok()) return kPlatRegIoFailed;
  return SQLWriteDSNToIni(name.c_str(), driver.c_str()) ? kPlatRegOk : kPlatRegAccessDenied;
}

long RemoveDsn(IniFile file, const std::string& name) {
  NameLists().Forget();
  InstallerCall call(file);
  if (!call.ok()) return kPlatRegIoFailed;
  return SQLRemoveDSNFromIni(name.c_str()) ? kPlatRegOk : kPlatRegAccessDenied;
}

}  // namespace reg_odbc
