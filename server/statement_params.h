// The parameters of an execution: read from the two descriptor lists of the
// request (values to the server, values back to the client), bound to the
// backend, and the values that go back.
#pragma once

#include <string>
#include <vector>

#include "server/memory_budget.h"
#include "server/server_statement.h"
#include "wire/descriptor.h"

namespace velsrv {

// Data-at-execution values gathered for one statement stay within this.
constexpr uint64_t kMaxGatheredBytes = 64u << 20;

// Builds the statement's parameters from the lists. False, with a SQLSTATE
// and a text, for a list the server cannot take.
bool BuildParams(const LnaDescList& inputs, const LnaDescList& outputs,
                 std::vector<ServerParam>* params, const char** sqlstate, std::string* error);

// Binds every parameter (after dropping the backend's earlier bindings).
BackendRc BindParams(BackendStatement& backend, std::vector<ServerParam>& params, DiagList* diags);

// What the parameters hold, and will hold once bound (the room of the
// values that go back), as the memory bounds count it.
uint64_t HeldParamBytes(const std::vector<ServerParam>& params);

// Appends a piece of a data-at-execution value, its growth charged to
// `held` (the charge of all the statement's parameters); false when the
// value would grow beyond the cap, or when a memory bound refuses it
// (`refusal` says which). A null piece makes the value null.
bool AppendPiece(ServerParam* param, const LnaTypedValue& piece, uint64_t* gathered,
                 MemoryCharge* held, MemoryRefusal* refusal);

// The values the client asked back, by parameter number, as descriptors
// pointing into the parameters.
std::vector<LnaDescriptor> ReturnedValues(const std::vector<ServerParam>& params);

}  // namespace velsrv
