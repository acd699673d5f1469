// Running a helper program as a fresh process, for tests that need a
// process that shares no state with the test.
#pragma once

#include <string>
#include <vector>

namespace testing_child {

// Starts `args[0]` (a path) with the arguments and the test's environment,
// and returns its pid, or -1.
int Start(const std::vector<std::string>& args, int* stdout_fd);
// Waits for it; its exit code, or -1 when it did not exit normally. Reads
// what it wrote to its output when `stdout_fd` is not -1.
int Finish(int pid, int stdout_fd, std::string* output);
// Start and Finish in one.
int Run(const std::vector<std::string>& args, std::string* output);

// A program in the directory of the running test.
std::string BesideTest(const std::string& name);

}  // namespace testing_child
