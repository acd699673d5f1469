// Writes built-in message tables as an XML message file, the form in which
// a deliverable ships its texts for people to change.
#pragma once

#include <cstddef>

#include "common/msg_table_source.h"

// Writes the rows of `tables` (each ended by its 0 row), in order, to a new
// file at `path` that MsgXmlSource reads back to the same identifier and
// text pairs. 1 on success; 0, with no file left at `path`, when a text or
// identifier cannot be carried by XML (a control character other than tab,
// line feed and carriage return, or bytes that are not UTF-8) or the file
// cannot be written.
int MsgWriteXmlFile(const char* path, const MsgDefault* const* tables, size_t count);
