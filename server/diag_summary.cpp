#include "server/diag_summary.h"

namespace velsrv {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsBlank(text[i])) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    bool line_break = false;
    while (end < text.size() && IsBlank(text[end])) {
      line_break = line_break || text[end] == '\n' || text[end] == '\r';
      ++end;
    }
    if (!out.empty() && end < text.size())
      out += line_break ? std::string(" ") : text.substr(i, end - i);
    i = end;
  }
  return out;
}

std::string DiagSummary(const DiagList& diags) {
  if (diags.empty()) return "no diagnostic";
  std::string out;
  for (const Diag& d : diags) {
    if (!out.empty()) out += "; ";
    out += d.sqlstate + " " + OneLine(d.text);
  }
  return out;
}

}  // namespace velsrv
