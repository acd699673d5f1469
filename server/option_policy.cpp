#include "server/option_policy.h"

namespace velsrv {

namespace {

constexpr uint16_t kQueryTimeout = 0, kMaxRows = 1, kNoScan = 2, kMaxLength = 3, kAsyncEnable = 4,
                   kBindType = 5, kCursorType = 6, kConcurrency = 7, kKeysetSize = 8,
                   kRowsetSize = 9, kSimulateCursor = 10, kRetrieveData = 11, kUseBookmarks = 12;
constexpr uint16_t kAccessMode = 101, kAutocommit = 102, kLoginTimeout = 103, kOptTrace = 104,
                   kOptTraceFile = 105, kTranslateDll = 106, kTranslateOption = 107,
                   kTxnIsolation = 108, kCurrentQualifier = 109, kOdbcCursors = 110,
                   kQuietMode = 111, kPacketSize = 112;

constexpr uint32_t kCursorForwardOnly = 0;
constexpr uint32_t kConcurReadOnly = 1;
constexpr uint32_t kBookmarksOff = 0;

OptionRule Rule(OptionAction action) {
  OptionRule r;
  r.action = action;
  return r;
}

OptionRule Forced(uint32_t value) {
  OptionRule r;
  r.action = OptionAction::kKeep;
  r.forced = true;
  r.value = value;
  return r;
}

}  // namespace

OptionRule SetStatementOptionRule(uint16_t option) {
  switch (option) {
    case kQueryTimeout:
    case kMaxRows:
    case kNoScan:
    case kMaxLength:
      return Rule(OptionAction::kForward);
    case kAsyncEnable:
      // Every call runs to its end before the reply.
      return Rule(OptionAction::kNotCapable);
    case kBindType:
    case kKeysetSize:
    case kRowsetSize:
    case kSimulateCursor:
    case kRetrieveData:
      return Rule(OptionAction::kKeep);
    case kCursorType:
      return Forced(kCursorForwardOnly);
    case kConcurrency:
      return Forced(kConcurReadOnly);
    case kUseBookmarks:
      return Forced(kBookmarksOff);
    default:
      return Rule(OptionAction::kRefuse);
  }
}

OptionRule SetConnectionOptionRule(uint16_t option) {
  if (IsStatementOption(option)) return SetStatementOptionRule(option);
  switch (option) {
    case kAccessMode:
    case kAutocommit:
    case kTxnIsolation:
      return Rule(OptionAction::kForward);
    case kCurrentQualifier: {
      OptionRule r = Rule(OptionAction::kForward);
      r.text = true;
      return r;
    }
    case kOptTrace:
    case kOptTraceFile:
    case kOdbcCursors:
    case kQuietMode:  // a window handle of the client's machine
    case kPacketSize:
      return Rule(OptionAction::kIgnore);
    case kLoginTimeout:  // the login is over
    case kTranslateDll:
    case kTranslateOption:
      return Rule(OptionAction::kNotCapable);
    default:
      return Rule(OptionAction::kRefuse);
  }
}

OptionRule GetStatementOptionRule(uint16_t option) {
  OptionRule r = SetStatementOptionRule(option);
  if (r.action != OptionAction::kForward && r.action != OptionAction::kKeep)
    r.action = OptionAction::kRefuse;
  return r;
}

OptionRule GetConnectionOptionRule(uint16_t option) {
  if (IsStatementOption(option)) return Rule(OptionAction::kRefuse);
  OptionRule r = SetConnectionOptionRule(option);
  if (r.action != OptionAction::kForward) r.action = OptionAction::kRefuse;
  return r;
}

void DefaultStatementOptions(uint32_t (&values)[kStmtOptionCount]) {
  for (uint32_t& v : values) v = 0;
  values[kConcurrency] = kConcurReadOnly;
  values[kKeysetSize] = 0;
  values[kRowsetSize] = 1;
  values[kRetrieveData] = 1;  // SQL_RD_ON
}

uint32_t SupportedStatementOptionMask() {
  uint32_t mask = 0;
  for (uint16_t option = 0; option <= 14; ++option) {
    if (SetStatementOptionRule(option).action == OptionAction::kForward ||
        SetStatementOptionRule(option).action == OptionAction::kKeep)
      mask |= 1u << option;
  }
  return mask;
}

}  // namespace velsrv
