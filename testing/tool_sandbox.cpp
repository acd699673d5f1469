#include "testing/tool_sandbox.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace testing_tools {

namespace {

constexpr const char kDriverName[] = "VeltoClient-Debug";

// Up to a loopback that carries broadcasts, then the program.
const std::vector<std::string> kIsolation = {
    "unshare", "-rn", "sh", "-c",
    "ip link set lo up && ip route add broadcast 255.255.255.255 dev lo && exec \"$0\" \"$@\""};

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  size_t b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

}  // namespace

bool ProgramRun::Recorded(const std::string& line) const {
  for (const std::string& r : record) {
    if (r == line) return true;
  }
  return false;
}

std::vector<std::string> ProgramRun::Lines(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const std::string& r : record) {
    if (r.rfind(prefix, 0) == 0) lines.push_back(r);
  }
  return lines;
}

ToolSandbox::ToolSandbox(const std::string& driver)
    : dir_(std::make_unique<TempDir>()), driver_(driver) {
  for (const char* sub : {"sys", "sys/ODBCDataSources", "registry", "run"}) {
    ::mkdir(Path(sub).c_str(), 0700);
  }
  service_["SvcEnableBroadcasting"] = "0";
  WriteOdbcInst();
  dir_->Write("sys/odbc.ini", "");
  dir_->Write("user.ini", "");
}

ToolSandbox::~ToolSandbox() = default;

const std::string& ToolSandbox::root() const {
  return dir_->path();
}

std::string ToolSandbox::Path(const std::string& name) const {
  return dir_->Path(name);
}

void ToolSandbox::WriteOdbcInst() {
  std::string text = std::string("[") + kDriverName + "]\nDriver=" + driver_ + "\n";
  for (const auto& [key, value] : service_) text += key + "=" + value + "\n";
  dir_->Write("sys/odbcinst.ini", text);
}

void ToolSandbox::WriteClientKey() {
  std::string text = "[Software\\Velto\\Client\\6.1]\n";
  for (const auto& [key, value] : client_) text += key + "=" + value + "\n";
  dir_->Write("registry/current_user.conf", text);
}

void ToolSandbox::SetServiceValue(const std::string& key, const std::string& value) {
  service_[key] = value;
  WriteOdbcInst();
}

void ToolSandbox::SetClientValue(const std::string& key, const std::string& value) {
  client_[key] = value;
  WriteClientKey();
}

std::string ToolSandbox::OdbcInstIni() const {
  return Path("sys/odbcinst.ini");
}

std::string ToolSandbox::SystemIni() const {
  return Path("sys/odbc.ini");
}

std::string ToolSandbox::UserIni() const {
  return Path("user.ini");
}

std::string ToolSandbox::IniValue(const std::string& file, const std::string& section,
                                  const std::string& key) {
  std::string current;
  for (const std::string& raw : ReadLines(file)) {
    std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
    } else if (current == section) {
      size_t equals = line.find('=');
      if (equals != std::string::npos && Trim(line.substr(0, equals)) == key)
        return Trim(line.substr(equals + 1));
    }
  }
  return "";
}

std::vector<std::string> ToolSandbox::IniSections(const std::string& file) {
  std::vector<std::string> sections;
  for (const std::string& raw : ReadLines(file)) {
    std::string line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
      sections.push_back(line.substr(1, line.size() - 2));
  }
  return sections;
}

void ToolSandbox::AddDsn(const std::string& file, const std::string& name,
                         const std::map<std::string, std::string>& values) {
  std::ofstream out(file, std::ios::app);
  out << "[" << name << "]\n";
  for (const auto& [key, value] : values) out << key << "=" << value << "\n";
}

std::string ToolSandbox::FileDsnPath(const std::string& dsn) const {
  return Path("sys/ODBCDataSources/" + dsn + " (not sharable).DSN");
}

std::map<std::string, std::string> ToolSandbox::Environment(const std::string* script,
                                                            const std::string& record) const {
  std::map<std::string, std::string> env = {
      {"ODBCSYSINI", Path("sys")},          {"ODBCINI", UserIni()},
      {"VELTO_REGISTRY", Path("registry")}, {"XDG_RUNTIME_DIR", Path("run")},
      {"VELTO_DIALOG_SCOPE", root()},
  };
  if (script != nullptr) {
    env["VELTO_DIALOG_HOST"] = VEL_DIALOG_HOST_MODULE;
    env["VELTO_DIALOG_SCRIPT"] = dir_->Write("script", *script);
    env["VELTO_DIALOG_RECORD"] = record;
  }
  return env;
}

ProgramRun ToolSandbox::Run(const std::vector<std::string>& args, const std::string* script,
                            const std::map<std::string, std::string>& extra) {
  std::string record = Path("record" + std::to_string(++runs_));
  std::map<std::string, std::string> env = Environment(script, record);
  for (const auto& [key, value] : extra) env[key] = value;
  ProgramRun run;
  run.exit_code = testing_child::RunWith(args, env, root(), &run.output);
  run.record = ReadLines(record);
  return run;
}

ProgramRun ToolSandbox::RunIsolated(const std::vector<std::string>& args, const std::string* script,
                                    const std::map<std::string, std::string>& extra) {
  std::vector<std::string> all = kIsolation;
  all.insert(all.end(), args.begin(), args.end());
  return Run(all, script, extra);
}

bool ToolSandbox::NetworkIsolationWorks() {
  std::vector<std::string> probe = kIsolation;
  probe.push_back("true");
  std::string output;
  return testing_child::RunWith(probe, {}, "", &output) == 0;
}

}  // namespace testing_tools
