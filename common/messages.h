// The process's message catalogue: every user-visible text is fetched by
// its message number. Each deliverable supplies a built-in table of
// {number, identifier, text} rows ended by number 0, and the name of its
// XML message file, whose texts replace the built-in ones by identifier:
//
//   const MsgDefault kMessages[] = {{5001, "VEL_DRS_...", "..."}, ..., {0, 0, 0}};
//   PlatModule self;
//   PlatModuleOf(reinterpret_cast<const void*>(&SomeFunctionOfTheLibrary), &self);
//   MsgLoadCatalog(kMessages, "velclient_messages.xml", kMsgBesideModule, self);
//   ...
//   char text[256];
//   MsgGetText(5001, text, sizeof text);
//   ...
//   MsgReleaseCatalog();
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/msg_catalog.h"
#include "common/msg_table_source.h"
#include "platform/module.h"

// Where MsgLoadCatalog looks for the message file.
enum : int {
  kMsgInCurrentDir = 0,  // the current directory (the tools)
  kMsgBesideModule = 1,  // the directory of the given module (driver, setup library)
  kMsgPathAsGiven = 2,   // the file name is a path
};

// Installs slot 0's catalogue: the message file when it exists (read at the
// first lookup), else the built-in rows; the number list always comes from
// the built-in rows. `module` is the module beside which the file lies
// (mode 1; null: the main program). 1 on success; 0 after an error box.
int MsgLoadCatalog(const MsgDefault* table, const char* file_name, int mode, PlatModule module);

// 1 with the path in `out` when it names an existing readable file; else 0.
int MsgLocateFile(int mode, const char* file_name, char* out, size_t size, PlatModule module);

// Makes `slot` (0 or 1) a catalogue over `source` (owned from here on, also
// on failure) with an empty number list, replacing what the slot held.
// 1, or 0 when the slot or the source is invalid or an allocation fails.
int MsgInstallSource(int slot, MsgSource* source);
// 1, or 0 when the slot has no list, the identifier is null or the entry
// cannot be stored.
int MsgAddNumber(int slot, uint32_t number, const char* identifier);
// Undoes one load; the last one empties both slots.
void MsgReleaseCatalog();

// Copies the text of message `number` into the buffer (at most size - 1
// characters and a NUL; nothing at all, and 0, when size is 0). 1 when a message
// text (or its identifier between "<" and ">") was copied; 0 otherwise,
// with "[Legacy error message not found!]" for an unknown number,
// "[Legacy general error]" when the slot holds no catalogue, and
// "Memory Error." when the text could not be built.
int MsgGetTextByNumber(int slot, uint32_t number, char* buffer, size_t size);
// The same for an identifier.
int MsgCopyText(int slot, const char* key, char* buffer, size_t size);
// MsgGetTextByNumber on slot 0.
int MsgGetText(uint32_t number, char* buffer, size_t size);
// The catalogue's text of `number`; when the catalogue has none (not loaded,
// or the number unknown to it), the text of that number's row in `rows`
// (ended by number 0), else an empty text. Cut like MsgGetText.
void MsgGetTextOr(const MsgDefault* rows, uint32_t number, char* buffer, size_t size);

// A new block holding the text of `number` (at most 511 characters), or
// null; freed with MsgFreeText.
char* MsgAllocText(int unused, uint32_t number);
void MsgFreeText(char* block);

// Shows `text` to the user as a stop message.
void MsgErrorBox(const char* text);
