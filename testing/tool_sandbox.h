// The setting a tool program runs in for a test: a temporary folder with
// the ODBC installer's files (odbcinst.ini naming the built driver, the
// system and the user odbc.ini, the File DSN folder), the registry's store,
// the runtime folder its instance lock goes into, and its working
// directory. Programs run there as children, their dialogs on the scripted
// host, and the test reads back what they wrote.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class TempDir;

namespace testing_tools {

struct ProgramRun {
  int exit_code = -1;
  std::string output;               // standard output and error
  std::vector<std::string> record;  // the scripted host's lines
  bool Recorded(const std::string& line) const;
  // Record lines that begin with `prefix`.
  std::vector<std::string> Lines(const std::string& prefix) const;
};

class ToolSandbox {
 public:
  // `driver`: the driver library that odbcinst.ini names.
  explicit ToolSandbox(const std::string& driver);
  ~ToolSandbox();
  ToolSandbox(const ToolSandbox&) = delete;
  ToolSandbox& operator=(const ToolSandbox&) = delete;

  const std::string& root() const;
  std::string Path(const std::string& name) const;

  // A value of the driver's odbcinst.ini section (the service settings);
  // broadcasting starts switched off, so that no test broadcasts by
  // accident.
  void SetServiceValue(const std::string& key, const std::string& value);
  // ServerList and the other values of the client's per-user key.
  void SetClientValue(const std::string& key, const std::string& value);

  std::string OdbcInstIni() const;
  std::string SystemIni() const;
  std::string UserIni() const;
  // A value of an ini file's section ("" when missing), and its sections.
  static std::string IniValue(const std::string& file, const std::string& section,
                              const std::string& key);
  static std::vector<std::string> IniSections(const std::string& file);
  // Appends a data source section to an odbc.ini.
  static void AddDsn(const std::string& file, const std::string& name,
                     const std::map<std::string, std::string>& values);

  std::string FileDsnPath(const std::string& dsn) const;

  // The environment of the programs: the files above, and the scripted
  // host recording into `record` when `script` is given.
  std::map<std::string, std::string> Environment(const std::string* script,
                                                 const std::string& record) const;
  // Runs the program with `args`; its dialogs follow `script` (lines of the
  // scripted host's file); nullptr leaves the host to the environment.
  ProgramRun Run(const std::vector<std::string>& args, const std::string* script,
                 const std::map<std::string, std::string>& extra = {});
  // The same inside a network namespace of its own whose only interface is
  // loopback, carrying broadcasts too: what the program broadcasts stays
  // on this machine. Only when NetworkIsolationWorks().
  ProgramRun RunIsolated(const std::vector<std::string>& args, const std::string* script,
                         const std::map<std::string, std::string>& extra = {});
  static bool NetworkIsolationWorks();

 private:
  void WriteOdbcInst();
  void WriteClientKey();

  std::unique_ptr<TempDir> dir_;
  std::string driver_;
  std::map<std::string, std::string> service_;
  std::map<std::string, std::string> client_;
  int runs_ = 0;
};

}  // namespace testing_tools
