#include "platform/dialog_window.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

namespace {

std::mutex g_live_lock;
std::set<const DlgWindow*>& Live() {
  static std::set<const DlgWindow*> live;
  return live;
}

// Two fixed windows nobody creates: the desktop, and what an application's
// window handle stands for.
DlgWindow g_desktop;
DlgWindow g_foreign;

// The innermost dialog this thread runs; each dialog knows the one it runs
// inside. Nothing here may need a destructor: a thread-local object with
// one keeps a driver that the application unloads from going cleanly.
thread_local DlgWindow* t_innermost = nullptr;

constexpr int32_t kPixelsPerUnit = 2;

void CopyText(const std::string& text, char* buffer, int size, int* copied) {
  *copied = 0;
  if (buffer == nullptr || size <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  *copied = static_cast<int>(n);
}

std::unique_ptr<DlgWindow> MakeControl(DlgWindow* dialog, const DlgItemTemplate& item) {
  auto control = std::make_unique<DlgWindow>();
  control->dialog = dialog;
  control->id = item.id;
  control->kind = item.kind;
  control->style = item.style;
  control->enabled = (item.style & kDlgDisabled) == 0;
  control->visible = (item.style & kDlgHidden) == 0;
  control->check = (item.style & kDlgChecked) != 0 ? BST_CHECKED : BST_UNCHECKED;
  control->limit = item.limit;
  const bool has_list = item.kind == DlgItemKind::kListBox ||
                        item.kind == DlgItemKind::kComboList ||
                        item.kind == DlgItemKind::kComboEdit;
  if (!has_list && item.text != nullptr) control->text = item.text;
  control->rect = DlgRect{item.x * kPixelsPerUnit, item.y * kPixelsPerUnit,
                          (item.x + item.cx) * kPixelsPerUnit, (item.y + item.cy) * kPixelsPerUnit};
  return control;
}

DlgWindow* FirstTabStop(DlgWindow* dialog) {
  for (auto& control : dialog->controls) {
    if ((control->style & kDlgTabStop) != 0 && control->enabled && DlgReachable(control.get()))
      return control.get();
  }
  return nullptr;
}

// A control below or right of the dialog's edge cannot be seen or reached
// (the part of a dialog that grows when asked).
bool Clipped(const DlgWindow* control) {
  const DlgRect& frame = control->dialog->window_rect;
  return control->rect.top >= frame.bottom - frame.top ||
         control->rect.left >= frame.right - frame.left;
}

DlgResult Call(DlgWindow* dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  return dialog->proc != nullptr ? dialog->proc(dialog, message, wparam, lparam) : 0;
}

// Posted messages run once the message that posted them is done, in the
// order posted, until the dialog ends.
void Pump(DlgWindow* dialog) {
  while (!dialog->ended && !dialog->posted.empty()) {
    DlgPosted next = dialog->posted.front();
    dialog->posted.pop_front();
    Call(dialog, next.message, next.wparam, next.lparam);
  }
}

std::string TemplateLabel(const DlgTemplate* dialog_template) {
  if (dialog_template->name != nullptr) return dialog_template->name;
  return std::to_string(dialog_template->id);
}

DlgResult RunModal(DlgWindow* dialog, DlgLParam param) {
  DlgHost* host = dialog->host;
  DlgNotify(dialog, DlgEvent{DlgEvent::kOpen, 0, 1, 0, TemplateLabel(dialog->dialog_template)});
  DlgWindow* first = FirstTabStop(dialog);
  if (Call(dialog, WM_INITDIALOG, reinterpret_cast<DlgWParam>(first), param) != 0 &&
      first != nullptr && dialog->focus == nullptr) {
    dialog->focus = first;
  }
  // A dialog posts itself its work so that it is seen before the work runs.
  if (!dialog->ended) DlgNotify(dialog, DlgEvent{DlgEvent::kShown, 0, 0, 0, {}});
  Pump(dialog);
  bool cancelled = false;
  while (!dialog->ended) {
    DlgInstanceDrain(dialog);
    DlgAction action;
    if (!host->NextAction(dialog, &action)) {
      if (cancelled) {
        // Nobody will act on a dialog that cancel does not close.
        EndDialog(dialog, -1);
        break;
      }
      cancelled = true;
      DlgSendCommand(dialog, IDCANCEL, BN_CLICKED);
    } else {
      std::string why;
      if (!DlgApplyAction(dialog, action, &why)) {
        DlgNotify(dialog, DlgEvent{DlgEvent::kRefused, action.control, 0, 0, why});
      }
    }
    Pump(dialog);
  }
  DlgNotify(dialog, DlgEvent{DlgEvent::kEnd, 0, dialog->end_code, 0, {}});
  return dialog->end_code;
}

}  // namespace

bool DlgIsLive(DlgHwnd window) {
  if (window == nullptr) return false;
  std::lock_guard<std::mutex> hold(g_live_lock);
  return Live().count(window) != 0;
}

void DlgAddLive(DlgHwnd window) {
  std::lock_guard<std::mutex> hold(g_live_lock);
  Live().insert(window);
}

void DlgRemoveLive(DlgHwnd window) {
  std::lock_guard<std::mutex> hold(g_live_lock);
  Live().erase(window);
}

DlgHwnd DlgDesktopHandle() {
  return &g_desktop;
}

bool DlgIsForeign(DlgHwnd window) {
  return window == &g_foreign;
}

DlgHwnd DlgForeignWindow(const void* application_window) {
  return application_window != nullptr ? &g_foreign : nullptr;
}

DlgWindow* DlgDialogOf(DlgHwnd window) {
  if (!DlgIsLive(window)) return nullptr;
  return window->dialog != nullptr ? window->dialog : window;
}

DlgWindow* DlgControl(DlgHwnd dialog, int id) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return nullptr;
  for (auto& control : owner->controls) {
    if (control->id == id) return control.get();
  }
  return nullptr;
}

void DlgNotify(DlgWindow* dialog, const DlgEvent& event) {
  if (dialog != nullptr && dialog->host != nullptr) dialog->host->Notify(dialog, event);
}

void DlgSendCommand(DlgWindow* dialog, int control, uint16_t code) {
  DlgWindow* window = DlgControl(dialog, control);
  Call(dialog, WM_COMMAND, MAKEWPARAM(static_cast<uint16_t>(control), code),
       reinterpret_cast<DlgLParam>(window));
}

DlgResult DialogBoxParam(PlatModule module, DlgRes which, DlgHwnd parent, DlgProc proc,
                         DlgLParam param) {
  return DialogBoxIndirectParam(DlgFindTemplate(module, which), parent, proc, param);
}

DlgResult DialogBoxIndirectParam(const DlgTemplate* dialog_template, DlgHwnd parent, DlgProc proc,
                                 DlgLParam param) {
  if (dialog_template == nullptr || proc == nullptr) return -1;
  if (parent != nullptr && !DlgIsForeign(parent) && DlgDialogOf(parent) == nullptr) return -1;
  DlgHost* host = DlgCurrentHost();
  if (!host->CanShowDialogs()) return -1;
  try {
    auto dialog = std::make_unique<DlgWindow>();
    dialog->dialog_template = dialog_template;
    dialog->proc = proc;
    dialog->parent = parent != nullptr && !DlgIsForeign(parent) ? DlgDialogOf(parent) : parent;
    dialog->host = host;
    if (dialog_template->caption != nullptr) dialog->caption = dialog_template->caption;
    DlgRect base = host->Desktop();
    if (dialog->parent != nullptr && !DlgIsForeign(dialog->parent))
      base = dialog->parent->window_rect;
    dialog->window_rect =
        DlgRect{base.left + dialog_template->x * kPixelsPerUnit,
                base.top + dialog_template->y * kPixelsPerUnit,
                base.left + (dialog_template->x + dialog_template->cx) * kPixelsPerUnit,
                base.top + (dialog_template->y + dialog_template->cy) * kPixelsPerUnit};
    for (uint32_t i = 0; i < dialog_template->item_count; ++i)
      dialog->controls.push_back(MakeControl(dialog.get(), dialog_template->items[i]));
    DlgAddLive(dialog.get());
    for (auto& control : dialog->controls) DlgAddLive(control.get());
    if (dialog->parent == nullptr || DlgIsForeign(dialog->parent))
      DlgInstanceRegister(dialog.get());
    dialog->outer = t_innermost;
    t_innermost = dialog.get();
    DlgResult result = RunModal(dialog.get(), param);
    t_innermost = dialog->outer;
    DlgInstanceUnregister(dialog.get());
    for (auto& control : dialog->controls) DlgRemoveLive(control.get());
    DlgRemoveLive(dialog.get());
    return result;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

bool EndDialog(DlgHwnd dialog, DlgResult result) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return false;
  owner->ended = true;
  owner->end_code = result;
  owner->posted.clear();
  return true;
}

DlgResult SendMessage(DlgHwnd window, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  if (!DlgIsLive(window)) return 0;
  if (window->dialog == nullptr) return Call(window, message, wparam, lparam);
  switch (message) {
    case EM_LIMITTEXT:
    case CB_LIMITTEXT:
      window->limit = static_cast<size_t>(wparam);
      return 1;
    case EM_SETSEL:
    case CB_SETEDITSEL:
      return 1;  // a selection only shows where typing replaces text
    case BM_GETCHECK:
      return static_cast<DlgResult>(window->check);
    case BM_SETCHECK:
      window->check = static_cast<unsigned>(wparam);
      return 0;
    default:
      return DlgListMessage(window, message, wparam, lparam);
  }
}

DlgResult SendDlgItemMessage(DlgHwnd dialog, int id, uint32_t message, DlgWParam wparam,
                             DlgLParam lparam) {
  DlgWindow* control = DlgControl(dialog, id);
  return control != nullptr ? SendMessage(control, message, wparam, lparam) : 0;
}

bool PostMessage(DlgHwnd window, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  DlgWindow* dialog = DlgDialogOf(window);
  if (dialog == nullptr || dialog->ended) return false;
  dialog->posted.push_back(DlgPosted{message, wparam, lparam});
  return true;
}

DlgHwnd GetDlgItem(DlgHwnd dialog, int id) {
  return DlgControl(dialog, id);
}

int GetDlgCtrlID(DlgHwnd control) {
  return DlgIsLive(control) && control->dialog != nullptr ? control->id : 0;
}

DlgHwnd GetParent(DlgHwnd window) {
  if (!DlgIsLive(window)) return nullptr;
  return window->dialog != nullptr ? window->dialog : window->parent;
}

DlgHwnd GetWindow(DlgHwnd control, int relation) {
  if (!DlgIsLive(control) || control->dialog == nullptr) return nullptr;
  auto& controls = control->dialog->controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].get() != control) continue;
    if (relation == GW_HWNDNEXT) return i + 1 < controls.size() ? controls[i + 1].get() : nullptr;
    if (relation == GW_HWNDPREV) return i > 0 ? controls[i - 1].get() : nullptr;
    return nullptr;
  }
  return nullptr;
}

bool DlgReachable(const DlgWindow* control) {
  return control->visible && !Clipped(control);
}

DlgHwnd GetNextDlgTabItem(DlgHwnd dialog, DlgHwnd control, bool previous) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog || owner->controls.empty()) return nullptr;
  auto& controls = owner->controls;
  const size_t count = controls.size();
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    if (controls[i].get() == control) start = i;
  }
  for (size_t step = 1; step <= count; ++step) {
    size_t i = previous ? (start + count - step) % count : (start + step) % count;
    DlgWindow* candidate = controls[i].get();
    if ((candidate->style & kDlgTabStop) != 0 && candidate->enabled && DlgReachable(candidate))
      return candidate;
  }
  return nullptr;
}

int GetDlgItemText(DlgHwnd dialog, int id, char* buffer, int size) {
  DlgWindow* control = DlgControl(dialog, id);
  int copied = 0;
  if (control != nullptr) {
    CopyText(control->text, buffer, size, &copied);
  } else if (buffer != nullptr && size > 0) {
    buffer[0] = '\0';
  }
  return copied;
}

bool SetDlgItemText(DlgHwnd dialog, int id, const char* text) {
  DlgWindow* control = DlgControl(dialog, id);
  return control != nullptr && SetWindowText(control, text);
}

int GetWindowText(DlgHwnd window, char* buffer, int size) {
  int copied = 0;
  if (!DlgIsLive(window)) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  CopyText(window->dialog != nullptr ? window->text : window->caption, buffer, size, &copied);
  return copied;
}

int GetWindowTextLength(DlgHwnd window) {
  if (!DlgIsLive(window)) return 0;
  return static_cast<int>(window->dialog != nullptr ? window->text.size() : window->caption.size());
}

bool SetWindowText(DlgHwnd window, const char* text) {
  if (!DlgIsLive(window)) return false;
  std::string value = text != nullptr ? text : "";
  if (window->dialog != nullptr) {
    window->text = value;
    return true;
  }
  window->caption = value;
  DlgNotify(window, DlgEvent{DlgEvent::kCaption, 0, 0, 0, value});
  if (window->instance_socket >= 0) {
    DlgInstanceUnregister(window);
    DlgInstanceRegister(window);
  }
  return true;
}

bool CheckDlgButton(DlgHwnd dialog, int id, unsigned state) {
  DlgWindow* control = DlgControl(dialog, id);
  if (control == nullptr) return false;
  control->check = state;
  return true;
}

unsigned IsDlgButtonChecked(DlgHwnd dialog, int id) {
  DlgWindow* control = DlgControl(dialog, id);
  return control != nullptr ? control->check : 0;
}

bool CheckRadioButton(DlgHwnd dialog, int first, int last, int id) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return false;
  for (auto& control : owner->controls) {
    if (control->id >= first && control->id <= last)
      control->check = control->id == id ? BST_CHECKED : BST_UNCHECKED;
  }
  return true;
}

bool EnableWindow(DlgHwnd window, bool enable) {
  if (!DlgIsLive(window) || window->dialog == nullptr) return false;
  bool was_disabled = !window->enabled;
  if (window->enabled != enable) {
    window->enabled = enable;
    DlgNotify(window->dialog, DlgEvent{DlgEvent::kEnable, window->id, enable ? 1 : 0, 0, {}});
    // A disabled control cannot keep the focus.
    if (!enable && window->dialog->focus == window)
      window->dialog->focus = GetNextDlgTabItem(window->dialog, window, false);
  }
  return was_disabled;
}

bool IsWindowEnabled(DlgHwnd window) {
  return DlgIsLive(window) && window->enabled;
}

bool ShowWindow(DlgHwnd window, int command) {
  if (!DlgIsLive(window) || window->dialog == nullptr) return false;
  bool was_visible = window->visible;
  bool show = command != SW_HIDE;
  if (window->visible != show) {
    window->visible = show;
    DlgNotify(window->dialog, DlgEvent{DlgEvent::kShow, window->id, show ? 1 : 0, 0, {}});
  }
  return was_visible;
}

bool IsWindowVisible(DlgHwnd window) {
  return DlgIsLive(window) && window->visible;
}

DlgHwnd SetFocus(DlgHwnd control) {
  if (!DlgIsLive(control) || control->dialog == nullptr) return nullptr;
  DlgWindow* dialog = control->dialog;
  DlgWindow* previous = dialog->focus;
  dialog->focus = control;
  DlgNotify(dialog, DlgEvent{DlgEvent::kFocus, control->id, 0, 0, {}});
  return previous;
}

DlgHwnd GetFocus() {
  return t_innermost != nullptr ? t_innermost->focus : nullptr;
}

intptr_t SetWindowLongPtr(DlgHwnd dialog, int index, intptr_t value) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return 0;
  intptr_t* word = index == DWL_USER        ? &owner->user_word
                   : index == DWL_MSGRESULT ? &owner->message_result
                                            : nullptr;
  if (word == nullptr) return 0;
  intptr_t previous = *word;
  *word = value;
  return previous;
}

intptr_t GetWindowLongPtr(DlgHwnd dialog, int index) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return 0;
  if (index == DWL_USER) return owner->user_word;
  if (index == DWL_MSGRESULT) return owner->message_result;
  return 0;
}

DlgView DlgSnapshot(DlgHwnd dialog) {
  DlgView view;
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr) return view;
  view.caption = owner->caption;
  view.focus = owner->focus != nullptr ? owner->focus->id : 0;
  for (auto& control : owner->controls) {
    DlgControlView item = static_cast<const DlgControlState&>(*control);
    item.visible = control->visible && !Clipped(control.get());
    if (control->kind == DlgItemKind::kButton && (control->style & kDlgDefault) != 0)
      view.default_button = control->id;
    view.controls.push_back(std::move(item));
  }
  return view;
}

std::string DlgControlLabel(DlgHwnd dialog, int id) {
  DlgHwnd before = GetWindow(DlgControl(dialog, id), GW_HWNDPREV);
  if (before == nullptr) return {};
  std::string label = before->text;
  size_t amp = label.find('&');
  if (amp != std::string::npos) label.erase(amp, 1);
  return label;
}
