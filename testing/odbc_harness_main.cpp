// odbc_harness_run: runs one command against a fresh velsrv and a private
// ODBC configuration whose data source VelE2E reaches it through the built
// driver, for scripts that test the driver with clients of their own:
//   odbc_harness_run isql -v VelE2E
// The command's standard input, output and exit code pass through.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "testing/odbc_harness.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: odbc_harness_run COMMAND [ARGUMENT...]\n");
    return 2;
  }
  testing_odbc::HarnessPaths paths{VELSRV_PATH, VEL_DRIVER_PATH, VEL_SQLITE_ODBC_DRIVER,
                                   VEL_ASAN_RUNTIME};
  testing_odbc::OdbcHarness harness(paths, "VelE2E");
  if (!harness.ok()) {
    std::fprintf(stderr, "odbc_harness_run: %s\n", harness.error().c_str());
    return 2;
  }
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  testing_odbc::ClientResult result =
      harness.RunClient(std::vector<std::string>(argv + 1, argv + argc), input);
  std::fwrite(result.output.data(), 1, result.output.size(), stdout);
  return result.exit_code < 0 ? 1 : result.exit_code;
}
