#include "common/messages.h"

#include <unistd.h>

#include <cstring>
#include <new>

#include "common/file_path.h"
#include "common/memory.h"
#include "common/module_path.h"
#include "common/msg_xml_source.h"
#include "platform/message_box.h"

namespace {

// Room for any path the system allows.
constexpr size_t kPathSize = kPlatPathMax;
constexpr size_t kAllocTextSize = 513;

struct Slot {
  MsgCatalog* catalog;
  MsgNumberList* numbers;
};

Slot g_slots[2];
int32_t g_load_count = 0;

bool ValidSlot(int slot) {
  return slot == 0 || slot == 1;
}

void EmptySlot(Slot& slot) {
  delete slot.catalog;
  delete slot.numbers;
  slot = Slot{};
}

// Copies at most size - 1 characters and ends the buffer with a NUL.
void CopyOut(const char* text, char* buffer, size_t size) {
  if (size == 0) return;
  std::strncpy(buffer, text, size - 1);
  buffer[size - 1] = '\0';
}

}  // namespace

int MsgLocateFile(int mode, const char* file_name, char* out, size_t size, PlatModule module) {
  if (file_name == nullptr || out == nullptr || size == 0) return 0;
  auto join_size = static_cast<uint16_t>(size > UINT16_MAX ? UINT16_MAX : size);
  switch (mode) {
    case kMsgInCurrentDir: {
      char dir[kPlatPathMax];
      if (getcwd(dir, sizeof dir) == nullptr || PathJoin(dir, file_name, out, join_size) != 0)
        return 0;
      break;
    }
    case kMsgBesideModule: {
      ModulePathParts parts;
      if (ModulePathSplit(module, &parts) != 0 ||
          PathJoin(parts.directory, file_name, out, join_size) != 0)
        return 0;
      break;
    }
    case kMsgPathAsGiven:
      CopyOut(file_name, out, size);
      break;
    default:
      return 0;
  }
  // Only a file that can be read counts: a directory or a file without read
  // permission leaves the built-in texts in place.
  return FilExists(out) ? 1 : 0;
}

int MsgInstallSource(int slot, MsgSource* source) {
  if (!ValidSlot(slot) || source == nullptr) {
    delete source;
    return 0;
  }
  auto* catalog = new (std::nothrow) MsgCatalog(source);
  if (catalog == nullptr) {
    delete source;
    return 0;
  }
  auto* numbers = new (std::nothrow) MsgNumberList;
  if (numbers == nullptr || catalog->Status().HasErrorOfType(kMsgFailureType)) {
    delete catalog;
    delete numbers;
    return 0;
  }
  // A catalogue loaded again replaces the earlier one.
  EmptySlot(g_slots[slot]);
  g_slots[slot] = Slot{catalog, numbers};
  return 1;
}

int MsgAddNumber(int slot, uint32_t number, const char* identifier) {
  if (!ValidSlot(slot) || g_slots[slot].numbers == nullptr || identifier == nullptr) return 0;
  return g_slots[slot].numbers->Add(number, identifier) ? 1 : 0;
}

int MsgLoadCatalog(const MsgDefault* table, const char* file_name, int mode, PlatModule module) {
  uint32_t count = MsgCountDefaults(table);
  char path[kPathSize];
  MsgSource* source;
  if (MsgLocateFile(mode, file_name, path, sizeof path, module))
    source = MsgXmlSourceNew(SafeString(path, std::strlen(path)));
  else
    source = new (std::nothrow) MsgTableSource(table, count);

  bool ok = MsgInstallSource(0, source) == 1;
  for (uint32_t i = 0; ok && i < count; ++i)
    ok = MsgAddNumber(0, table[i].number, table[i].identifier) == 1;
  if (!ok) {
    MsgErrorBox(
        "There was an error loading messages. Are you forgetting the messages file? Program is "
        "exiting");
    return 0;
  }
  ++g_load_count;
  return 1;
}

void MsgReleaseCatalog() {
  if (--g_load_count >= 1) return;
  EmptySlot(g_slots[0]);
  EmptySlot(g_slots[1]);
  g_load_count = 0;
}

int MsgCopyText(int slot, const char* key, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (!ValidSlot(slot) || g_slots[slot].catalog == nullptr) {
    CopyOut("[Legacy general error]", buffer, size);
    return 0;
  }
  SafeString text = g_slots[slot].catalog->Lookup(key);
  if (text.Failed()) {
    CopyOut("Memory Error.", buffer, size);
    return 0;
  }
  CopyOut(text.CStr(), buffer, size);
  return 1;
}

int MsgGetTextByNumber(int slot, uint32_t number, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (!ValidSlot(slot) || g_slots[slot].numbers == nullptr) {
    CopyOut("[Legacy general error]", buffer, size);
    return 0;
  }
  const char* key = g_slots[slot].numbers->Find(number);
  if (key == nullptr) {
    CopyOut("[Legacy error message not found!]", buffer, size);
    return 0;
  }
  return MsgCopyText(slot, key, buffer, size);
}

int MsgGetText(uint32_t number, char* buffer, size_t size) {
  return MsgGetTextByNumber(0, number, buffer, size);
}

void MsgGetTextOr(const MsgDefault* rows, uint32_t number, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  if (MsgGetText(number, buffer, size)) return;
  buffer[0] = '\0';
  for (const MsgDefault* row = rows; row != nullptr && row->number != 0; ++row) {
    if (row->number == number) {
      CopyOut(row->text, buffer, size);
      return;
    }
  }
}

char* MsgAllocText(int, uint32_t number) {
  auto* block = static_cast<char*>(MemAlloc(kAllocTextSize));
  if (block == nullptr) return nullptr;
  MsgGetText(number, block, kAllocTextSize - 1);
  return block;
}

void MsgFreeText(char* block) {
  MemFree(block);
}

void MsgErrorBox(const char* text) {
  PlatformMessageBox(text);
}
