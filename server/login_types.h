// The backend's data types as a login reads them. The client describes a
// result column only by a row of the server's table, and every column type
// the table lacks falls back to text, so a table without the base types
// would fail reads for the whole login.
#pragma once

#include <string>
#include <vector>

#include "server/backend.h"
#include "wire/type_info.h"

namespace velsrv {

// The base types (CHAR, VARCHAR, INTEGER) the table lacks, by name, ", "
// between them; empty when it holds them all.
std::string MissingBaseTypes(const std::vector<LnaTypeInfo>& rows);

// Reads the type rows, and reads them again a few times while the answer
// lacks a base type (drivers have been seen to answer a row with type 0
// now and then). False with the missing types in `missing` when no
// answer held them.
bool ReadLoginTypes(BackendConnection& backend, std::vector<LnaTypeInfo>* rows,
                    std::string* missing);

}  // namespace velsrv
