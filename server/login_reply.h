// The login reply: what the client keeps about its server, gathered from the
// backend connection right after it was opened.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/info_table.h"
#include "server/type_table.h"
#include "wire/connect_call.h"
#include "wire/table_type.h"

namespace velsrv {

// Fills every record of the reply from the backend connection and from
// what the login gathered already.
void HarvestLogin(BackendConnection& backend, const InfoContext& context, const TypeTable& types,
                  const std::vector<std::string>& table_types,
                  const std::array<uint16_t, 100>& backend_functions, ConnectReply* reply);

// The table-type records: type i gets bit i (the first 32 types).
std::vector<LnaTableType> TableTypeRecords(const std::vector<std::string>& names);

// The completed connection string of a reply, `length` bytes scrambled:
// sent empty (zero bytes behind the 2-byte prefix), because the backend's
// completed string shows paths of the server and the password.
std::vector<uint8_t> EmptyCompletedText(size_t length);

}  // namespace velsrv
