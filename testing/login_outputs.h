// Everything the client's login hands back to its caller, freed with the
// object: what the tests of the call layer and of the login stub both keep.
#pragma once

#include <cstdint>

#include "common/memory.h"
#include "wire/connect_call.h"

struct LoginOutputs {
  char completed[512] = {};
  uint32_t extra = 0;
  LnaServerInfo server_info{};
  LnaLoginInfo154 info154{};
  LnaLoginInfo96 info96{};
  LnaTypeInfo* types = nullptr;
  uint16_t type_count = 0;
  LnaTableType* table_types = nullptr;
  uint16_t table_type_count = 0;
  uint16_t functions[kConnectFunctionFlags] = {};
  LnaConnectResult connect_result{};
  LnaLoginInfo52 info52{};

  LoginOutputs() = default;
  ~LoginOutputs() {
    MemFree(types);
    MemFree(table_types);
  }
  LoginOutputs(const LoginOutputs&) = delete;
  LoginOutputs& operator=(const LoginOutputs&) = delete;
};
