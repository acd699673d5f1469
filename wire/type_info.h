// One row of the server's data-type catalogue, sent with the login reply;
// the driver answers the type catalogue from these records.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaTypeInfo {
  char type_name[128];
  int16_t sql_type;
  int32_t precision;
  char literal_prefix[128];
  char literal_suffix[128];
  char create_params[128];
  int16_t nullable;
  int16_t case_sensitive;
  int16_t searchable;
  int16_t unsigned_attribute;
  int16_t money;
  int16_t auto_increment;
  char local_type_name[128];
  int16_t minimum_scale;
  int16_t maximum_scale;
};

int XdrTypeInfo(MsgBuf* buf, LnaTypeInfo* t);
int XdrPutTypeInfo(MsgBuf* buf, const LnaTypeInfo* t);
