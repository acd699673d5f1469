// Running a helper program as a fresh process, for tests that need a
// process that shares no state with the test.
#pragma once

#include <map>
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

// Runs `args[0]` with the test's environment changed by `env` (names to
// values), in the directory `dir` (the test's own when empty), and waits
// for it: its exit code, or -1; its standard output and error together in
// *output.
int RunWith(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
            const std::string& dir, std::string* output);

// A program in the directory of the running test.
std::string BesideTest(const std::string& name);

}  // namespace testing_child
