#include "platform/registry_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/registry_names.h"

namespace reg_file {

namespace {

long FromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kPlatRegNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kPlatRegAccessDenied;
    case ENOMEM:
      return kPlatRegNoMemory;
    default:
      return kPlatRegIoFailed;
  }
}

bool IsUserRoot(PlatRegRoot root) {
  return root == PlatRegRoot::kCurrentUser;
}

const char* RootFileName(PlatRegRoot root) {
  switch (root) {
    case PlatRegRoot::kClassesRoot:
      return "classes_root.conf";
    case PlatRegRoot::kCurrentConfig:
      return "current_config.conf";
    case PlatRegRoot::kCurrentUser:
      return "current_user.conf";
    case PlatRegRoot::kLocalMachine:
      return "local_machine.conf";
    case PlatRegRoot::kUsers:
      return "users.conf";
  }
  return "unknown.conf";
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  passwd entry;
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

std::string StoreDirectory(PlatRegRoot root) {
  if (const char* dir = std::getenv("VELTO_REGISTRY"); dir != nullptr && dir[0] != '\0') return dir;
  if (!IsUserRoot(root)) return "/etc/velto/registry";
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::string(xdg) + "/velto/registry";
  }
  return HomeDirectory() + "/.config/velto/registry";
}

// The current user's settings are private to the user; the machine's are
// readable by everyone, as the system's own configuration is.
mode_t DirectoryMode(PlatRegRoot root) {
  return IsUserRoot(root) ? 0700 : 0755;
}
mode_t FileMode(PlatRegRoot root) {
  return IsUserRoot(root) ? 0600 : 0644;
}

long MakeDirectories(const std::string& dir, mode_t mode) {
  for (size_t end = 1; end <= dir.size(); ++end) {
    if (end != dir.size() && dir[end] != '/') continue;
    std::string prefix = dir.substr(0, end);
    if (mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) return FromErrno(errno);
  }
  struct stat info;
  if (stat(dir.c_str(), &info) != 0) return FromErrno(errno);
  return S_ISDIR(info.st_mode) ? kPlatRegOk : kPlatRegIoFailed;
}

long ReadWhole(const std::string& path, std::string* text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  text->clear();
  char chunk[8192];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      close(fd);
      return FromErrno(error);
    }
    if (n == 0) break;
    text->append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return kPlatRegOk;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Readers never see a half-written file: the new text goes to a temporary
// file beside the old one, which is then renamed over it.
long ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
  std::string temp = path + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  long rc = kPlatRegOk;
  if (!WriteAll(fd, text) || fchmod(fd, mode) != 0 || fsync(fd) != 0) rc = FromErrno(errno);
  if (close(fd) != 0 && rc == kPlatRegOk) rc = FromErrno(errno);
  if (rc == kPlatRegOk && rename(temp.c_str(), path.c_str()) != 0) rc = FromErrno(errno);
  if (rc != kPlatRegOk) unlink(temp.c_str());
  return rc;
}

Section* FindSection(Document& doc, std::string_view path) {
  for (Section& section : doc) {
    if (reg_names::Equal(section.path, path)) return &section;
  }
  return nullptr;
}

}  // namespace

Document Parse(std::string_view text) {
  Document doc;
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string path = reg_names::Join(reg_names::Split(line.substr(1, line.size() - 2)));
      current = FindSection(doc, path);
      if (current == nullptr) {
        doc.push_back(Section{std::move(path), {}});
        current = &doc.back();
      }
      continue;
    }
    size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    std::string_view name = line.substr(0, equals);
    bool repeated = false;
    for (const Value& value : current->values)
      repeated = repeated || reg_names::Equal(value.name, name);
    if (!repeated)
      current->values.push_back(Value{std::string(name), std::string(line.substr(equals + 1))});
  }
  return doc;
}

std::string Format(const Document& doc) {
  std::string text;
  for (const Section& section : doc) {
    if (!text.empty()) text += '\n';
    text += '[';
    text += section.path;
    text += "]\n";
    for (const Value& value : section.values) {
      text += value.name;
      text += '=';
      text += value.data;
      text += '\n';
    }
  }
  return text;
}

bool ValueDataFits(std::string_view data) {
  return data.find_first_of("\r\n") == std::string_view::npos;
}

bool ValueNameFits(std::string_view name) {
  // A name beginning with "[" could read back as a section header.
  return name.find_first_of("\r\n=") == std::string_view::npos && (name.empty() || name[0] != '[');
}

bool KeyNameFits(std::string_view name) {
  return !name.empty() && name.size() <= kPlatRegMaxKeyName &&
         name.find_first_of("\r\n\\") == std::string_view::npos;
}

std::string RootFile(PlatRegRoot root) {
  return StoreDirectory(root) + "/" + RootFileName(root);
}

long Load(PlatRegRoot root, Document* doc) {
  std::string text;
  long rc = ReadWhole(RootFile(root), &text);
  if (rc == kPlatRegNotFound) {
    doc->clear();
    return kPlatRegOk;
  }
  if (rc != kPlatRegOk) return rc;
  *doc = Parse(text);
  return kPlatRegOk;
}

long Update(PlatRegRoot root, const std::function<long(Document& doc, bool& changed)>& change) {
  std::string dir = StoreDirectory(root);
  long rc = MakeDirectories(dir, DirectoryMode(root));
  if (rc != kPlatRegOk) return rc == kPlatRegNotFound ? kPlatRegIoFailed : rc;
  std::string path = dir + "/" + RootFileName(root);
  // The lock lives in a file of its own: the data file is replaced on every
  // write, and a lock on a replaced file would guard nothing.
  std::string lock_path = path + ".lock";
  int lock_fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, FileMode(root));
  if (lock_fd < 0) return FromErrno(errno);
  while (flock(lock_fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      int error = errno;
      close(lock_fd);
      return FromErrno(error);
    }
  }
  Document doc;
  std::string text;
  rc = ReadWhole(path, &text);
  if (rc == kPlatRegOk) {
    doc = Parse(text);
  } else if (rc == kPlatRegNotFound) {
    rc = kPlatRegOk;
  }
  bool changed = false;
  if (rc == kPlatRegOk) {
    try {
      rc = change(doc, changed);
      if (rc == kPlatRegOk && changed) rc = ReplaceFile(path, Format(doc), FileMode(root));
    } catch (const std::bad_alloc&) {
      rc = kPlatRegNoMemory;
    }
  }
  close(lock_fd);  // releases the lock
  return rc;
}

}  // namespace reg_file
