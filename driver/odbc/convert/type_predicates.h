// Small questions about SQL and C type codes that the statement functions
// ask.
#pragma once

#include <cstdint>

// NUMERIC, DECIMAL, INTEGER, SMALLINT, FLOAT, REAL, DOUBLE, BIGINT, TINYINT, BIT.
bool IsNumericType(int16_t type);
// CHAR, VARCHAR, LONGVARCHAR.
bool IsCharType(int16_t type);
// BINARY, VARBINARY, LONGVARBINARY.
bool IsBinaryType(int16_t type);
// Every code but the character, NUMERIC, DECIMAL and binary ones.
bool IsFixedSizeType(int16_t type);
// Every code but SQL_C_CHAR and SQL_C_BINARY.
bool IsNonStringCType(int16_t type);
// Both character codes, or SQL_C_CHAR with SQL_C_DEFAULT.
bool TypesCompatible(int16_t a, int16_t b);

// The byte length of a C value of that type (for SQL_C_CHAR the text's
// length, for SQL_C_BINARY 0): true with *size set for the types it knows,
// false with *size untouched for the others.
bool TypeDisplaySize(const void* value, int16_t c_type, uint32_t* size);
// The same size, 0 for any other type.
uint32_t DisplaySizeOf(const void* value, int16_t c_type);
