// Top-level dialogs known by caption to every process of the user: each
// one holds a socket in the abstract local namespace named after its
// caption, which goes away with the dialog or the process. Finding a window
// is connecting to that name; bringing it forward is a one-byte message.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>

#include "platform/dialog_window.h"

namespace {

// A window of another process, as FindWindow found it.
DlgWindow g_remote;
std::mutex g_remote_lock;

bool Address(const std::string& caption, sockaddr_un* address, socklen_t* length) {
  if (caption.empty()) return false;
  const char* scope = std::getenv("VELTO_DIALOG_SCOPE");
  std::string name =
      "velto-window/" + std::to_string(getuid()) + "/" + (scope != nullptr ? scope : "") + "/";
  // Long captions are named by their hash; the name must fit the address.
  if (name.size() + caption.size() + 2 > sizeof address->sun_path) {
    name += std::to_string(std::hash<std::string>{}(caption));
  } else {
    name += caption;
  }
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path + 1, name.data(), name.size());
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return true;
}

int Connect(const std::string& caption) {
  sockaddr_un address;
  socklen_t length;
  if (!Address(caption, &address, &length)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

void DlgInstanceRegister(DlgWindow* dialog) {
  sockaddr_un address;
  socklen_t length;
  if (!Address(dialog->caption, &address, &length)) return;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  // A name already held belongs to another instance, which stays the one
  // that is found.
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return;
  }
  dialog->instance_socket = fd;
}

void DlgInstanceUnregister(DlgWindow* dialog) {
  if (dialog->instance_socket >= 0) close(dialog->instance_socket);
  dialog->instance_socket = -1;
}

DlgHwnd FindWindow(const char* /*class_name*/, const char* title) {
  if (title == nullptr || title[0] == '\0') return nullptr;
  int fd = Connect(title);
  if (fd < 0) return nullptr;
  close(fd);
  std::lock_guard<std::mutex> hold(g_remote_lock);
  g_remote.caption = title;
  return &g_remote;
}

bool SetForegroundWindow(DlgHwnd window) {
  std::string caption;
  if (window == &g_remote) {
    std::lock_guard<std::mutex> hold(g_remote_lock);
    caption = g_remote.caption;
  } else if (DlgIsLive(window) && window->dialog == nullptr) {
    caption = window->caption;
  } else {
    return false;
  }
  int fd = Connect(caption);
  if (fd < 0) return false;
  const char front = 'F';
  bool sent = write(fd, &front, 1) == 1;
  close(fd);
  DlgCurrentHost()->Notify(nullptr, DlgEvent{DlgEvent::kForeground, 0, 0, 0, caption});
  return sent;
}

void DlgInstanceDrain(DlgWindow* dialog) {
  if (dialog->instance_socket < 0) return;
  for (;;) {
    int fd = accept4(dialog->instance_socket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    char byte = 0;
    if (read(fd, &byte, 1) == 1 && byte == 'F')
      DlgNotify(dialog, DlgEvent{DlgEvent::kForeground, 0, 0, 0, dialog->caption});
    close(fd);
  }
}
