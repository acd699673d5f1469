#include "setup/write_data_source.h"

#include <cstring>

#include "setup/dsn_ini.h"
#include "setup/file_dsn.h"
#include "setup/setup_codes.h"

namespace {

bool Writes(const SetupContext* context, const AttributeRecord& record) {
  return !context->silent || record.given;
}

}  // namespace

uint32_t WriteDataSource(SetupContext* context) {
  const char* dsn = context->attributes[kAttrDsn].value;
  for (uint32_t i = kAttrDescription; i <= kAttrServerDsn; ++i) {
    const AttributeRecord& record = context->attributes[i];
    if (Writes(context, record) && std::strpbrk(record.value, "\r\n") != nullptr) {
      return kCfgOdbcWrite;
    }
  }
  DsnSection found = FindDsnSection(dsn, context->driver);
  if (found == DsnSection::kOtherDriver) return kCfgOtherDriver;
  if (!PrepareDsnSection(dsn, context->driver, found)) return kCfgOdbcWrite;
  for (uint32_t i = kAttrDescription; i <= kAttrServerDsn; ++i) {
    const AttributeRecord& record = context->attributes[i];
    if (!Writes(context, record)) continue;
    if (!WriteDsnValue(dsn, record.keyword, record.value)) return kCfgOdbcWrite;
  }
  WriteFileDsn(dsn);
  return kCfgDone;
}
