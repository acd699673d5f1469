// File-system facts the shared runtime needs.
#pragma once

#include <cstddef>
#include <cstdio>

// Longest path and longest file name, each counting its NUL.
constexpr size_t kPlatPathMax = 4096;
constexpr size_t kPlatNameMax = 256;

// True for a regular file that this process can open for reading; false
// for directories, devices, pipes and files it may not read.
bool PlatFileReadable(const char* path);

// Gives the file `from` the name `to`, never replacing a file that already
// has it: false with the system error (EEXIST for an existing `to`) left
// behind.
bool PlatRenameNoReplace(const char* from, const char* to);

// The calling thread's last system error (the number that system calls
// leave behind).
long PlatLastError();

// The directory for temporary files: $TMPDIR when it is set and not empty,
// else "/tmp".
const char* PlatTempDirectory();

// A stream writing to `path`, appending or from an emptied file; a file it
// creates is readable and writable by its owner only (what goes into it,
// such as traces of statements and their values, is nobody else's).
// Null on failure.
std::FILE* PlatOpenPrivateStream(const char* path, bool append);
