// The data-type table a login announces, and the reconciliation of every SQL
// type the backend reports with it: the client fails a whole result set when
// a column's type is missing from the table, so each reported type is mapped
// to one the table holds, of the same family first.
#pragma once

#include <cstdint>
#include <vector>

#include "wire/type_info.h"

namespace velsrv {

class TypeTable {
 public:
  // From the backend's rows: ODBC 3 date and time codes and the wide
  // character codes become their ODBC 2 kin, rows of any other code that
  // ODBC 2 does not know are dropped, and rows are grouped by code (the
  // client reads the rows of one type as a consecutive run).
  void Build(const std::vector<LnaTypeInfo>& backend_rows);
  const std::vector<LnaTypeInfo>& rows() const { return rows_; }

  // True when the client's table holds the type: a row of the server, or
  // one of the base types the client adds itself when the server lacks them.
  bool Has(int16_t sql_type) const;
  // The type a column or parameter reported as `sql_type` is announced as.
  // A timestamp's precision is brought within the widest timestamp row, as
  // the client looks for a row at least as precise as the column.
  int16_t Map(int16_t sql_type, int32_t* precision) const;

  // Set at login when the rows state the database's own limits
  // (ApplyBackendLimits): its driver then describes a character or binary
  // parameter by a nominal size (a configured maximum), which the client
  // would hold every value to, so such a parameter takes its type's row.
  void set_rows_state_limits(bool known) { rows_state_limits_ = known; }
  // The size announced for a parameter of the announced type `sql_type`
  // that the backend described with `described` characters or bytes.
  int32_t ParamSize(int16_t sql_type, int32_t described) const;

 private:
  bool HasRow(int16_t sql_type) const;
  std::vector<LnaTypeInfo> rows_;
  bool rows_state_limits_ = false;
};

// The ODBC 2 code for a code of ODBC 3 or of the wide character types;
// other codes as they are.
int16_t Odbc2TypeCode(int16_t sql_type);
// True for the SQL types of ODBC 2.
bool IsOdbc2Type(int16_t sql_type);

}  // namespace velsrv
