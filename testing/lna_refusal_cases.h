// Every remote operation of the call layer with the location of its
// refusal on a broken connection, for the tests that break a connection
// against the scripted peer and against the server.
#pragma once

#include <functional>

#include "driver/lna/lna_call.h"

namespace lna_call_test {

using Op = std::function<int16_t(LnaConnection*, LnaStatement*)>;

struct RefusalCase {
  const char* name;
  int32_t location;
  bool on_statement;  // the diagnostic is the statement's
  Op op;
};

inline const RefusalCase kRefusals[] = {
    {"create statement", 1601, false,
     [](LnaConnection* c, LnaStatement*) {
       LnaStatement* s = nullptr;
       return LnaAllocStmtSP(c, &s);
     }},
    {"set connection option", 1108, false,
     [](LnaConnection* c, LnaStatement*) { return LnaSetConnectOptionMP(c, 101, 1, 4); }},
    {"get connection option", 1109, false,
     [](LnaConnection* c, LnaStatement*) {
       uintptr_t v = 0;
       uint16_t t = 0;
       return LnaGetConnectOptionMP(c, 101, &v, &t);
     }},
    {"get information", 1110, false,
     [](LnaConnection* c, LnaStatement*) {
       char buf[32];
       int32_t n = 0;
       uint16_t t = 0;
       return LnaGetInfoSP(c, 16, buf, sizeof buf, &n, &t);
     }},
    {"transact", 1114, false, [](LnaConnection* c, LnaStatement*) { return LnaTransactSP(c, 0); }},
    {"cancel", 1605, true, [](LnaConnection*, LnaStatement* s) { return LnaCancelSP(s); }},
    {"set statement option", 1607, true,
     [](LnaConnection*, LnaStatement* s) { return LnaSetStmtOptionSP(s, 0, 5, 4); }},
    {"get statement option", 1608, true,
     [](LnaConnection*, LnaStatement* s) {
       uintptr_t v = 0;
       uint16_t t = 0;
       return LnaGetStmtOptionSP(s, 1000, &v, &t);
     }},
    {"set cursor name", 1609, true,
     [](LnaConnection*, LnaStatement* s) { return LnaSetCursorNameSP(s, "c1"); }},
    {"prepare", 1301, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaColumnDesc* cols = nullptr;
       LnaParamDesc* params = nullptr;
       uint16_t nc = 0, np = 0;
       return LnaPrepareMP(s, "SELECT 1", &cols, &nc, &params, &np, 0);
     }},
    {"execute", 1304, true,
     [](LnaConnection*, LnaStatement* s) {
       int32_t rows = 0;
       return LnaExecuteMP(s, 0, nullptr, 0, nullptr, &rows, 0);
     }},
    {"exec direct", 1305, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaColumnDesc* cols = nullptr;
       LnaParamDesc* params = nullptr;
       uint16_t nc = 0, np = 0;
       int32_t rows = 0;
       return LnaExecDirectMP(s, "SELECT 1", &cols, &nc, &params, &np, 0, nullptr, 0, nullptr,
                              &rows, 0);
     }},
    {"param data", 1703, true,
     [](LnaConnection*, LnaStatement* s) {
       int32_t v = 0;
       return LnaParamDataSP(s, &v);
     }},
    {"put long data", 1702, true,
     [](LnaConnection*, LnaStatement* s) { return LnaPutLongDataSP(s, 1, "abc", 3, 0); }},
    {"get long data", 1701, true,
     [](LnaConnection*, LnaStatement* s) {
       char buf[8];
       int32_t n = 0;
       return LnaGetLongDataSP(s, 1, 1, buf, sizeof buf, &n, 0);
     }},
#define CATALOG(label, location, call)                           \
  {                                                              \
    label, location, true, [](LnaConnection*, LnaStatement* s) { \
      LnaColumnDesc* cols = nullptr;                             \
      uint16_t n = 0;                                            \
      return call;                                               \
    }                                                            \
  }
    CATALOG("columns", 1801, LnaColumnsSP(s, "q", "o", "t", "c", &cols, &n, 0)),
    CATALOG("tables", 1802, LnaTablesSP(s, "q", "o", "t", 1, &cols, &n, 0)),
    CATALOG("special columns", 1803, LnaSpecialColumnsSP(s, 1, "q", "o", "t", 0, 1, &cols, &n, 0)),
    CATALOG("statistics", 1804, LnaStatisticsSP(s, "q", "o", "t", 0, 0, &cols, &n, 0)),
    CATALOG("primary keys", 1805, LnaPrimaryKeysSP(s, "q", "o", "t", &cols, &n, 0)),
    CATALOG("foreign keys", 1806,
            LnaForeignKeysSP(s, "q", "o", "t", "fq", "fo", "ft", &cols, &n, 0)),
    CATALOG("column privileges", 1807, LnaColumnPrivilegesSP(s, "q", "o", "t", "c", &cols, &n, 0)),
    CATALOG("table privileges", 1808, LnaTablePrivilegesSP(s, "q", "o", "t", &cols, &n, 0)),
    CATALOG("procedure columns", 1809, LnaProcedureColumnsSP(s, "q", "o", "p", "c", &cols, &n, 0)),
    CATALOG("procedures", 1810, LnaProceduresSP(s, "q", "o", "p", &cols, &n, 0)),
#undef CATALOG
    {"statement diagnostics", 1201, true,
     [](LnaConnection*, LnaStatement* s) {
       LnaDiagRecord r[kLnaMaxDiagnostics];
       uint16_t n = 0;
       return LnaGetDiagnostics(nullptr, s, r, &n);
     }},
    {"connection diagnostics", 1202, false,
     [](LnaConnection* c, LnaStatement*) {
       LnaDiagRecord r[kLnaMaxDiagnostics];
       uint16_t n = 0;
       return LnaGetDiagnostics(c, nullptr, r, &n);
     }},
};

}  // namespace lna_call_test
