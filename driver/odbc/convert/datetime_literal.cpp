#include "driver/odbc/convert/datetime_literal.h"

#include "driver/odbc/convert/datetime_calendar.h"

namespace {

constexpr int32_t kBad = kConvInvalidDateTime;

// Where the next number of the literal goes.
enum FieldPosition : int32_t {
  kPosStart = 0,
  kPosInEscape = 1,
  kPosYear = 2,
  kPosMonth = 3,
  kPosDay = 4,
  kPosAfterDay = 5,
  kPosHour = 6,
  kPosMinute = 7,
  kPosSecond = 8,
  kPosFraction = 9,
  kPosClosed = 10,
};

enum EscapeForm { kFormNone, kFormShort, kFormLong };

// The vendor clause of the long escape, after its "--(*". White space may
// stand around each part; the words match in any case.
constexpr const char* kLongOpenParts[] = {"vendor",  "(", "Microsoft", ")", ",",
                                          "product", "(", "ODBC",      ")"};

constexpr int kFractionDigits = 9;

bool IsClauseSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void SkipClauseSpace(const char** p) {
  while (IsClauseSpace(**p)) ++*p;
}

bool MatchClausePart(const char** p, const char* part) {
  SkipClauseSpace(p);
  const char* q = *p;
  for (; *part != '\0'; ++part, ++q) {
    if (AsciiLower(*q) != AsciiLower(*part)) return false;
  }
  *p = q;
  SkipClauseSpace(p);
  return true;
}

// At "--": the long escape's opening clause or nothing.
bool ReadLongOpen(const char** p) {
  const char* q = *p;
  if (q[0] != '-' || q[1] != '-' || q[2] != '(' || q[3] != '*') return false;
  q += 4;
  for (const char* part : kLongOpenParts) {
    if (!MatchClausePart(&q, part)) return false;
  }
  *p = q;
  return true;
}

// Pass 1: the kind, from the first keyword, or from a colon (a timestamp
// when a dash came before it, else a time), or from a dash alone (a date).
int32_t FindKind(const char* text, int16_t* kind) {
  *kind = 0;
  bool dash_seen = false;
  const char* p = text;
  for (;;) {
    DateTimeToken token;
    uint32_t value;
    int32_t digits;
    if (DateTimeLexer(&p, &token, &value, &digits) != 0) return kBad;
    switch (token) {
      case kTokTimestamp:
        *kind = kConvTimestamp;
        return 0;
      case kTokDate:
        *kind = kConvDate;
        return 0;
      case kTokTime:
        *kind = kConvTime;
        return 0;
      case kTokDash:
        *kind = kConvDate;
        dash_seen = true;
        break;
      case kTokColon:
        *kind = dash_seen ? kConvTimestamp : kConvTime;
        return 0;
      case kTokEnd:
        return *kind != 0 ? 0 : kBad;
      default:
        break;
    }
  }
}

bool TwoDigits(int32_t digits, uint32_t value, uint32_t low, uint32_t high) {
  return digits == 2 && value >= low && value <= high;
}

// Stores a number read at `position`; positions without a field store
// nothing.
int32_t StoreNumber(int32_t position, uint32_t value, int32_t digits, int16_t kind,
                    CompactTimestamp* timestamp) {
  switch (position) {
    case kPosStart:
    case kPosInEscape:
    case kPosYear:
      if (digits != 4 || value > 9999) return kBad;
      timestamp->year = static_cast<uint16_t>(value);
      return 0;
    case kPosMonth:
      if (!TwoDigits(digits, value, 1, 12)) return kBad;
      timestamp->month = static_cast<uint8_t>(value);
      return 0;
    case kPosDay:
      if (!TwoDigits(digits, value, 1, 31)) return kBad;
      timestamp->day = static_cast<uint8_t>(value);
      return 0;
    case kPosHour:
      if (kind == kConvDate || !TwoDigits(digits, value, 0, 23)) return kBad;
      timestamp->hour = static_cast<uint8_t>(value);
      return 0;
    case kPosMinute:
      if (!TwoDigits(digits, value, 0, 59)) return kBad;
      timestamp->minute = static_cast<uint8_t>(value);
      return 0;
    case kPosSecond:
      if (!TwoDigits(digits, value, 0, 59)) return kBad;
      timestamp->second = static_cast<uint8_t>(value);
      return 0;
    case kPosFraction:
      // Billionths are all the fraction holds: a longer one cannot be kept
      // without losing digits the application gave.
      if (digits > kFractionDigits) return kBad;
      for (int32_t d = digits; d < kFractionDigits; ++d) value *= 10;
      timestamp->fraction = value;
      return 0;
    default:
      return 0;
  }
}

bool IsValidKind(int16_t kind, const CompactTimestamp& timestamp) {
  switch (kind) {
    case kConvTimestamp:
      return IsValidTimestamp(timestamp);
    case kConvDate:
      return IsValidDate(timestamp);
    default:
      return IsValidTime(timestamp);
  }
}

}  // namespace

int32_t DateTimeLexer(const char** position, DateTimeToken* token, uint32_t* value,
                      int32_t* digits) {
  const char* p = *position;
  *value = 0;
  *digits = 0;
  switch (*p) {
    case '\0':
      *token = kTokEnd;
      return 0;
    case '{':
      *token = kTokEscapeOpen;
      ++p;
      break;
    case '}':
      *token = kTokEscapeClose;
      ++p;
      break;
    case '-':
      if (p[1] == '-') {
        if (!ReadLongOpen(&p)) return kBad;
        *token = kTokLongEscapeOpen;
      } else {
        *token = kTokDash;
        ++p;
      }
      break;
    case '*':
      if (p[1] != ')' || p[2] != '-' || p[3] != '-') return kBad;
      *token = kTokLongEscapeClose;
      p += 4;
      break;
    case 't':
      if (p[1] == 's') {
        *token = kTokTimestamp;
        p += 2;
      } else {
        *token = kTokTime;
        ++p;
      }
      break;
    case 'd':
      *token = kTokDate;
      ++p;
      break;
    case '\'':
      *token = kTokQuote;
      ++p;
      break;
    case ' ':
      *token = kTokBlank;
      ++p;
      break;
    case ':':
      *token = kTokColon;
      ++p;
      break;
    case '.':
      *token = kTokPoint;
      ++p;
      break;
    default: {
      if (!IsDigit(*p)) return kBad;
      uint64_t number = 0;
      for (; IsDigit(*p); ++p) {
        if (number <= UINT32_MAX) number = number * 10 + static_cast<uint64_t>(*p - '0');
        ++*digits;
      }
      *value = number > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(number);
      *token = kTokNumber;
      break;
    }
  }
  *position = p;
  return 0;
}

int32_t ParseDateTimeLiteral(const char* text, CompactTimestamp* timestamp, int16_t* kind) {
  *timestamp = CompactTimestamp{};
  *kind = 0;
  if (text == nullptr) return kBad;
  if (FindKind(text, kind) != 0) return kBad;

  int32_t position = kPosStart;
  EscapeForm form = kFormNone;
  bool quote_open = false;
  const char* p = text;
  for (;;) {
    DateTimeToken token;
    uint32_t value;
    int32_t digits;
    if (DateTimeLexer(&p, &token, &value, &digits) != 0) return kBad;
    switch (token) {
      case kTokEscapeOpen:
      case kTokLongEscapeOpen:
        if (position != kPosStart) return kBad;
        form = token == kTokEscapeOpen ? kFormShort : kFormLong;
        position = kPosInEscape;
        break;
      case kTokEscapeClose:
      case kTokLongEscapeClose: {
        EscapeForm closes = token == kTokEscapeClose ? kFormShort : kFormLong;
        if (form != closes) return kBad;
        int32_t needed = *kind == kConvDate ? kPosAfterDay : kPosFraction;
        if (position < needed) return kBad;
        position = kPosClosed;
        break;
      }
      case kTokTimestamp:
      case kTokDate:
        position = kPosYear;
        break;
      case kTokTime:
        position = kPosHour;
        break;
      case kTokQuote:
        if (quote_open && position >= kPosMonth) {
          if (form == kFormNone) return kBad;
          if (*kind != kConvDate && position < kPosMinute) return kBad;
          quote_open = false;
          position = kPosClosed;
        } else {
          quote_open = true;
        }
        break;
      case kTokDash:
        if (position != kPosMonth && position != kPosDay) return kBad;
        break;
      case kTokColon:
        if (position != kPosMinute && position != kPosSecond) return kBad;
        break;
      case kTokPoint:
        if (position != kPosFraction) return kBad;
        break;
      case kTokBlank:
        if (position == kPosAfterDay) position = kPosHour;
        break;
      case kTokNumber:
        if (*kind == kConvTime && position < kPosHour) position = kPosHour;
        if (StoreNumber(position, value, digits, *kind, timestamp) != 0) return kBad;
        // The year may start at the very beginning or just inside an escape.
        position = position < kPosYear ? kPosMonth : position + 1;
        break;
      case kTokEnd:
        return IsValidKind(*kind, *timestamp) ? 0 : kBad;
    }
  }
}
