#include "testing/child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

extern char** environ;

namespace testing_child {

int Start(const std::vector<std::string>& args, int* stdout_fd) {
  *stdout_fd = -1;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  // Only the child's output holds the pipe: a daemon the child leaves behind
  // must not keep it open, or reading the output would never end.
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (rc != 0) {
    close(pipe_fds[0]);
    return -1;
  }
  *stdout_fd = pipe_fds[0];
  return pid;
}

int Finish(int pid, int stdout_fd, std::string* output) {
  if (output != nullptr) output->clear();
  if (stdout_fd >= 0) {
    char chunk[4096];
    ssize_t n;
    while ((n = read(stdout_fd, chunk, sizeof chunk)) > 0) {
      if (output != nullptr) output->append(chunk, static_cast<size_t>(n));
    }
    close(stdout_fd);
  }
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int Run(const std::vector<std::string>& args, std::string* output) {
  int fd;
  int pid = Start(args, &fd);
  return Finish(pid, fd, output);
}

int RunWith(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            const std::string& dir, std::string* output) {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    if (env.count(entry.substr(0, entry.find('='))) == 0) entries.push_back(entry);
  }
  for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (rc != 0) {
    close(pipe_fds[0]);
    return -1;
  }
  return Finish(pid, pipe_fds[0], output);
}

std::string BesideTest(const std::string& name) {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return name;
  std::string dir(self, static_cast<size_t>(n));
  return dir.substr(0, dir.rfind('/') + 1) + name;
}

}  // namespace testing_child
