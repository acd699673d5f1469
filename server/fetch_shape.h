// How the client will ask for a result column before it has asked: the
// fetch request its fetch buffers make of the column's description. The
// first row block that execution sends along must be built in that shape.
#pragma once

#include "wire/column_desc.h"
#include "wire/fetch_request.h"

namespace velsrv {

// The fetch request the client makes for the column; long_column is 1 for
// the long types, which the client never takes from a block.
LnaFetchRequest ClientFetchShape(const LnaColumnDesc& column);

}  // namespace velsrv
