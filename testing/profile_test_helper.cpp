// A fresh process for the profile tests: reads and writes settings through
// the installer library or the profile calls, as another program would.
//   odbc-get <section> <key> <file>             prints the value or <missing>
//   odbc-set <section> <key> <value> <file>
//   profile-get <path> <section> <key>          prints the value or <missing>
//   profile-set-many <path> <section> <prefix> <count>
//                                               writes <prefix><i> = <i>
#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/profile.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command = argv[1];
  char buffer[1024];
  if (command == "odbc-get" && argc == 5) {
    SQLGetPrivateProfileString(argv[2], argv[3], "<missing>", buffer, sizeof buffer, argv[4]);
    std::fputs(buffer, stdout);
    return 0;
  }
  if (command == "odbc-set" && argc == 6) {
    return SQLWritePrivateProfileString(argv[2], argv[3], argv[4], argv[5]) ? 0 : 1;
  }
  if (command == "profile-get" && argc == 5) {
    ProfileReadString(argv[2], argv[3], argv[4], "<missing>", buffer, sizeof buffer);
    std::fputs(buffer, stdout);
    return 0;
  }
  if (command == "profile-set-many" && argc == 6) {
    int count = std::atoi(argv[5]);
    for (int i = 0; i < count; ++i) {
      std::string key = std::string(argv[4]) + std::to_string(i);
      if (ProfileWriteString(argv[2], argv[3], key.c_str(), std::to_string(i).c_str()) != 1)
        return 1;
    }
    return 0;
  }
  return 2;
}
