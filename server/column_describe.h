// The column descriptions of a result set, as the client reads them.
#pragma once

#include <vector>

#include "server/backend.h"
#include "server/type_table.h"
#include "wire/column_desc.h"

namespace velsrv {

// The backend's description of one column, with its SQL type reconciled
// with the login's type table and its texts cut to the record's fields.
LnaColumnDesc DescribeColumn(const ColumnInfo& column, const TypeTable& types);

// The descriptions of every column and their count: arr(coldesc), u16.
int PutColumnDescs(MsgBuf* buf, const std::vector<LnaColumnDesc>& columns);

}  // namespace velsrv
