// List boxes and the lists of combo boxes.
#include <algorithm>
#include <cstring>

#include "platform/dialog_window.h"

namespace {

bool IsList(const DlgWindow* control) {
  return control->kind == DlgItemKind::kListBox;
}
bool IsCombo(const DlgWindow* control) {
  return control->kind == DlgItemKind::kComboList || control->kind == DlgItemKind::kComboEdit;
}
bool Multiple(const DlgWindow* control) {
  return (control->style & kDlgMultiSel) != 0;
}
bool InRange(const DlgWindow* control, DlgWParam index) {
  return index < control->lines.size();
}

intptr_t Insert(DlgWindow* control, intptr_t position, const char* text) {
  if (position < 0) position = static_cast<intptr_t>(control->lines.size());
  if (static_cast<size_t>(position) > control->lines.size()) return LB_ERR;
  size_t capacity = control->dialog->host->ListCapacity(control->dialog, control->id);
  if (control->lines.size() >= capacity) return LB_ERRSPACE;
  try {
    control->lines.insert(control->lines.begin() + position, text != nullptr ? text : "");
    control->selected.insert(control->selected.begin() + position, false);
  } catch (const std::bad_alloc&) {
    return LB_ERRSPACE;
  }
  if (control->current >= position) ++control->current;
  return position;
}

intptr_t Delete(DlgWindow* control, DlgWParam index) {
  if (!InRange(control, index)) return LB_ERR;
  control->lines.erase(control->lines.begin() + static_cast<intptr_t>(index));
  control->selected.erase(control->selected.begin() + static_cast<intptr_t>(index));
  const intptr_t at = static_cast<intptr_t>(index);
  if (control->current == at) {
    control->current = -1;
  } else if (control->current > at) {
    --control->current;
  }
  return static_cast<intptr_t>(control->lines.size());
}

void Reset(DlgWindow* control) {
  control->lines.clear();
  control->selected.clear();
  control->current = -1;
}

intptr_t CopyLine(const DlgWindow* control, DlgWParam index, DlgLParam buffer) {
  if (!InRange(control, index) || buffer == 0) return LB_ERR;
  const std::string& line = control->lines[index];
  // Like the system's, the caller sizes the buffer by the line's length.
  std::memcpy(reinterpret_cast<char*>(buffer), line.c_str(), line.size() + 1);
  return static_cast<intptr_t>(line.size());
}

DlgResult ListMessage(DlgWindow* control, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case LB_ADDSTRING:
      return Insert(control, -1, reinterpret_cast<const char*>(lparam));
    case LB_INSERTSTRING:
      return Insert(control, static_cast<intptr_t>(wparam), reinterpret_cast<const char*>(lparam));
    case LB_DELETESTRING:
      return Delete(control, wparam);
    case LB_RESETCONTENT:
      Reset(control);
      return 0;
    case LB_GETCOUNT:
      return static_cast<DlgResult>(control->lines.size());
    case LB_GETTEXT:
      return CopyLine(control, wparam, lparam);
    case LB_GETTEXTLEN:
      return InRange(control, wparam) ? static_cast<DlgResult>(control->lines[wparam].size())
                                      : LB_ERR;
    case LB_SETCURSEL: {
      const intptr_t line = static_cast<intptr_t>(wparam);
      if (Multiple(control)) return LB_ERR;
      if (line < 0 || !InRange(control, wparam)) {
        control->current = -1;
        return LB_ERR;
      }
      control->current = static_cast<int>(line);
      return line;
    }
    case LB_GETCURSEL:
      return control->current >= 0 ? control->current : LB_ERR;
    case LB_SETSEL: {
      if (!Multiple(control)) return LB_ERR;
      const intptr_t line = lparam;
      if (line == -1) {
        for (size_t i = 0; i < control->selected.size(); ++i) control->selected[i] = wparam != 0;
        return LB_OKAY;
      }
      if (line < 0 || static_cast<size_t>(line) >= control->lines.size()) return LB_ERR;
      control->selected[static_cast<size_t>(line)] = wparam != 0;
      control->current = static_cast<int>(line);
      return LB_OKAY;
    }
    case LB_GETSEL:
      if (!InRange(control, wparam)) return LB_ERR;
      if (Multiple(control)) return control->selected[wparam] ? 1 : 0;
      return control->current == static_cast<intptr_t>(wparam) ? 1 : 0;
    case LB_GETSELCOUNT: {
      if (!Multiple(control)) return LB_ERR;
      DlgResult count = 0;
      for (bool on : control->selected) count += on ? 1 : 0;
      return count;
    }
    case LB_GETSELITEMS: {
      if (!Multiple(control) || lparam == 0) return LB_ERR;
      auto* out = reinterpret_cast<int32_t*>(lparam);
      DlgResult count = 0;
      for (size_t i = 0; i < control->selected.size() && static_cast<DlgWParam>(count) < wparam;
           ++i) {
        if (control->selected[i]) out[count++] = static_cast<int32_t>(i);
      }
      return count;
    }
    case LB_SETTABSTOPS: {
      control->tab_stops.clear();
      const auto* stops = reinterpret_cast<const int32_t*>(lparam);
      for (DlgWParam i = 0; stops != nullptr && i < wparam; ++i)
        control->tab_stops.push_back(stops[i]);
      return 1;
    }
    default:
      return 0;
  }
}

DlgResult ComboMessage(DlgWindow* control, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case CB_ADDSTRING:
      return Insert(control, -1, reinterpret_cast<const char*>(lparam));
    case CB_INSERTSTRING:
      return Insert(control, static_cast<intptr_t>(wparam), reinterpret_cast<const char*>(lparam));
    case CB_DELETESTRING:
      return Delete(control, wparam);
    case CB_RESETCONTENT:
      Reset(control);
      control->text.clear();
      return 0;
    case CB_GETCOUNT:
      return static_cast<DlgResult>(control->lines.size());
    case CB_GETLBTEXT:
      return CopyLine(control, wparam, lparam);
    case CB_GETLBTEXTLEN:
      return InRange(control, wparam) ? static_cast<DlgResult>(control->lines[wparam].size())
                                      : CB_ERR;
    case CB_SETCURSEL:
      if (!InRange(control, wparam)) {
        control->current = -1;
        control->text.clear();
        return CB_ERR;
      }
      control->current = static_cast<int>(wparam);
      control->text = control->lines[wparam];
      return static_cast<DlgResult>(wparam);
    case CB_GETCURSEL:
      return control->current >= 0 ? control->current : CB_ERR;
    default:
      return 0;
  }
}

}  // namespace

DlgResult DlgListMessage(DlgWindow* control, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  if (IsList(control)) return ListMessage(control, message, wparam, lparam);
  if (IsCombo(control)) return ComboMessage(control, message, wparam, lparam);
  return 0;
}

int DlgGetListText(DlgHwnd dialog, int id, int line, char* buffer, int size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  DlgWindow* control = DlgControl(dialog, id);
  if (control == nullptr || (!IsList(control) && !IsCombo(control)) || line < 0 ||
      static_cast<size_t>(line) >= control->lines.size())
    return static_cast<int>(LB_ERR);
  const std::string& text = control->lines[static_cast<size_t>(line)];
  if (buffer != nullptr && size > 0) {
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(text.size());
}
