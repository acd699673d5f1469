#include "platform/dialog_window.h"

DlgHwnd GetDesktopWindow() {
  return DlgDesktopHandle();
}

bool GetWindowRect(DlgHwnd window, DlgRect* rect) {
  if (rect == nullptr) return false;
  if (window == DlgDesktopHandle() || DlgIsForeign(window)) {
    *rect = DlgCurrentHost()->Desktop();
    return true;
  }
  if (!DlgIsLive(window)) return false;
  if (window->dialog == nullptr) {
    *rect = window->window_rect;
    return true;
  }
  const DlgRect& origin = window->dialog->window_rect;
  *rect = DlgRect{origin.left + window->rect.left, origin.top + window->rect.top,
                  origin.left + window->rect.right, origin.top + window->rect.bottom};
  return true;
}

bool MoveWindow(DlgHwnd window, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!DlgIsLive(window) || width < 0 || height < 0) return false;
  if (window->dialog == nullptr) {
    window->window_rect = DlgRect{x, y, x + width, y + height};
  } else {
    // A control's position is relative to its dialog.
    const DlgRect& origin = window->dialog->window_rect;
    window->rect =
        DlgRect{x - origin.left, y - origin.top, x - origin.left + width, y - origin.top + height};
  }
  return true;
}

DlgRect DlgCenteredRect(const DlgRect& window, const DlgRect& over, const DlgRect& desktop) {
  const int32_t width = window.right - window.left;
  const int32_t height = window.bottom - window.top;
  int32_t left = over.left + ((over.right - over.left) - width) / 2;
  int32_t top = over.top + ((over.bottom - over.top) - height) / 2;
  if (left + width > desktop.right) left = desktop.right - width;
  if (top + height > desktop.bottom) top = desktop.bottom - height;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  return DlgRect{left, top, left + width, top + height};
}

void DlgCenterOverParent(DlgHwnd dialog) {
  DlgWindow* owner = DlgDialogOf(dialog);
  if (owner == nullptr || owner != dialog) return;
  DlgRect desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  DlgRect over = desktop;
  if (owner->parent != nullptr) GetWindowRect(owner->parent, &over);
  owner->window_rect = DlgCenteredRect(owner->window_rect, over, desktop);
}
