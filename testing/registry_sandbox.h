// A private settings area for one test process: the registry's own store
// and the ODBC installer's system and user files all live in a temporary
// directory that is removed when the process ends. Child processes inherit
// it through the environment.
#pragma once

#include <string>

namespace testing_registry {

struct Sandbox {
  std::string root;           // the temporary directory
  std::string registry_dir;   // VELTO_REGISTRY
  std::string odbc_sys_dir;   // ODBCSYSINI: odbcinst.ini and the system odbc.ini
  std::string odbc_user_ini;  // ODBCINI
};

// Sets the sandbox up on the first call and returns it. Call it before
// anything reads settings: the installer library reads its environment once
// per process.
const Sandbox& UseSandbox();

// The whole text of a file, empty when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace testing_registry
