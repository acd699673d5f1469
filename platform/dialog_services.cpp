#include <atomic>

#include "platform/dialog_window.h"

namespace {

thread_local uint32_t t_save_error = 0;
std::atomic<DlgCursor> g_cursor{DlgCursor::kArrow};

DlgWindow* Owner(DlgHwnd window) {
  return DlgDialogOf(window);
}

}  // namespace

int MessageBox(DlgHwnd owner, const char* text, const char* title, uint32_t type) {
  return DlgCurrentHost()->ShowMessageBox(Owner(owner), text != nullptr ? text : "",
                                          title != nullptr ? title : "", type);
}

void MessageBeep(uint32_t type) {
  DlgCurrentHost()->Notify(nullptr,
                           DlgEvent{DlgEvent::kBeep, 0, static_cast<intptr_t>(type), 0, {}});
}

DlgCursor SetCursor(DlgCursor cursor) {
  DlgCursor previous = g_cursor.exchange(cursor);
  if (previous != cursor) {
    DlgCurrentHost()->Notify(
        nullptr, DlgEvent{DlgEvent::kCursor, 0, cursor == DlgCursor::kWait ? 1 : 0, 0, {}});
  }
  return previous;
}

bool WinHelp(DlgHwnd window, const char* help_file, uint32_t command, uintptr_t data) {
  DlgCurrentHost()->Notify(Owner(window),
                           DlgEvent{DlgEvent::kHelp, 0, static_cast<intptr_t>(command), data,
                                    help_file != nullptr ? help_file : ""});
  return true;
}

bool GetSaveFileName(DlgSaveFile* request) {
  t_save_error = 0;
  if (request == nullptr || request->file == nullptr || request->file_size == 0) {
    t_save_error = 0xFFFF;  // a request the prompt cannot take
    return false;
  }
  DlgHost* host = DlgCurrentHost();
  if (!host->CanShowDialogs()) {
    t_save_error = 0xFFFF;
    return false;
  }
  return host->AskSaveFile(request);
}

uint32_t CommDlgExtendedError() {
  return t_save_error;
}
