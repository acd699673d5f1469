#include "driver/odbc/options/conn_option_kind.h"

#include <sqlext.h>

OptionKind ConnOptionKind(uint16_t option) {
  switch (option) {
    case SQL_ASYNC_ENABLE:
      return OptionKind::kRefused;
    // The driver bounds its own login with it; the server has no use for it.
    case SQL_LOGIN_TIMEOUT:
    case SQL_TRANSLATE_DLL:
    case SQL_TRANSLATE_OPTION:
      return OptionKind::kLocal;
    case SQL_CURRENT_QUALIFIER:
    case SQL_OPT_TRACEFILE:
      return OptionKind::kText;
    default:
      // Statement options, the other standard connection options and the
      // driver-specific ones are numbers; a driver-specific text would come
      // as an address and fails the 32-bit check instead of being misread.
      return OptionKind::kNumber;
  }
}

bool ConnOptionIsText(uint16_t option) {
  return option == SQL_TRANSLATE_DLL || ConnOptionKind(option) == OptionKind::kText;
}
