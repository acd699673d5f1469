#include "common/res_dll.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/module_path.h"
#include "testing/child_process.h"

namespace {

namespace fs = std::filesystem;

// Copies of the probe library built with the suite: one beside the tests
// (the program's own directory) and one beside the anchor library in a
// directory of its own.
const std::string kTests = fs::path(testing_child::BesideTest("")).parent_path().string();
const std::string kBesideDir = kTests + "/probe_beside";
const std::string kHomeProbe = kTests + "/velprobe.so";
const std::string kBesideProbe = kBesideDir + "/velprobe.so";
const std::string kAnchor = kBesideDir + "/velanchor.so";

int ProbeId(PlatModule module) {
  auto id = reinterpret_cast<int (*)()>(PlatModuleSymbol(module, "VelProbeId"));
  return id != nullptr ? id() : -1;
}

bool StillLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

PlatModule ModuleHolding(const void* address) {
  PlatModule module = reinterpret_cast<PlatModule>(1);
  EXPECT_EQ(PlatModuleOf(address, &module), 0);
  return module;
}

TEST(ModulePath, FromAnAddressInsideTheLibrary) {
  PlatModule loaded = PlatModuleLoadFile(kBesideProbe.c_str());
  ASSERT_NE(loaded, nullptr) << dlerror();
  void* symbol = PlatModuleSymbol(loaded, "VelProbeId");
  ASSERT_NE(symbol, nullptr);
  EXPECT_EQ(ModuleHolding(symbol), loaded);

  ModulePathParts parts;
  ASSERT_EQ(ModulePathSplit(loaded, &parts), 0);
  EXPECT_EQ(parts.directory, fs::canonical(kBesideDir).string());
  EXPECT_STREQ(parts.name, "velprobe.so");
  PlatModuleFree(loaded);

  EXPECT_EQ(ModulePathSplit(loaded, nullptr), 1);
}

TEST(ModulePath, TheMainProgramIsTheNullModule) {
  EXPECT_EQ(ModuleHolding(reinterpret_cast<const void*>(&ProbeId)), nullptr);
  ModulePathParts parts;
  ASSERT_EQ(ModulePathSplit(nullptr, &parts), 0);
  EXPECT_EQ(parts.directory, fs::canonical(kTests).string());
  EXPECT_STREQ(parts.name, "common_tests");
}

TEST(ModulePath, LinksAreResolvedAndLongNamesKeptWhole) {
  char pattern[] = "/tmp/velto-modules-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string long_name = std::string(60, 'n') + ".so";
  fs::copy_file(kBesideProbe, dir + "/" + long_name);
  fs::create_symlink(dir + "/" + long_name, dir + "/link.so");

  PlatModule loaded = PlatModuleLoadFile((dir + "/link.so").c_str());
  ASSERT_NE(loaded, nullptr) << dlerror();
  ModulePathParts parts;
  ASSERT_EQ(ModulePathSplit(ModuleHolding(PlatModuleSymbol(loaded, "VelProbeId")), &parts), 0);
  EXPECT_EQ(parts.directory, fs::canonical(dir).string());
  EXPECT_EQ(std::string(parts.name), long_name);
  PlatModuleFree(loaded);
  fs::remove_all(dir);
}

TEST(ResDll, BesideTheModuleFirstThenByName) {
  PlatModule anchor = PlatModuleLoadFile(kAnchor.c_str());
  ASSERT_NE(anchor, nullptr) << dlerror();
  // A module in a directory without the library: a system one.
  PlatModule system_module = ModuleHolding(reinterpret_cast<const void*>(&cos));
  ASSERT_NE(system_module, nullptr);
  struct Case {
    const char* name;
    PlatModule module;
    int result;
    int id;  // which copy got loaded
  } cases[] = {
      {"velprobe.dll", anchor, 1, 1},         // beside the anchor
      {"VELPROBE.DLL", anchor, 0, -1},        // file names keep their case
      {"velprobe.dll", system_module, 1, 2},  // by name: the program's directory
      {"velprobe.so", system_module, 1, 2},
      {"velmissing.dll", anchor, 0, -1},
      {nullptr, anchor, 0, -1},
      {"velprobe.dll", nullptr, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
    EXPECT_EQ(ResDllLoadBeside(c.name, c.module), c.result);
    if (c.result == 1) {
      EXPECT_EQ(ProbeId(ResDllHandle()), c.id);
    }
    ResDllFree();
    EXPECT_EQ(ResDllHandle(), nullptr);
  }
  PlatModuleFree(anchor);
}

TEST(ResDll, ByNameFromTheSystemSearch) {
  ASSERT_EQ(ResDllLoad("libm.so.6"), 1);
  EXPECT_NE(PlatModuleSymbol(ResDllHandle(), "cos"), nullptr);
  ResDllFree();
  EXPECT_EQ(ResDllLoad("velprobe.dll"), 1);  // the program's directory comes first
  EXPECT_EQ(ProbeId(ResDllHandle()), 2);
  ResDllFree();
  EXPECT_EQ(ResDllLoad("velmissing.dll"), 0);
  EXPECT_EQ(ResDllLoad(nullptr), 0);
  EXPECT_EQ(ResDllHandle(), nullptr);
}

TEST(ResDll, LoadingAgainFreesTheOldLibrary) {
  PlatModule anchor = PlatModuleLoadFile(kAnchor.c_str());
  ASSERT_NE(anchor, nullptr);
  ASSERT_EQ(ResDllLoadBeside("velprobe.dll", anchor), 1);
  ASSERT_TRUE(StillLoaded(kBesideProbe));
  ASSERT_EQ(ResDllLoad("velprobe.dll"), 1);
  EXPECT_FALSE(StillLoaded(kBesideProbe));
  EXPECT_TRUE(StillLoaded(kHomeProbe));
  ResDllFree();
  EXPECT_FALSE(StillLoaded(kHomeProbe));
  PlatModuleFree(anchor);
}

TEST(ResDll, ANameTooLongForAPathIsNotCut) {
  PlatModule anchor = PlatModuleLoadFile(kAnchor.c_str());
  ASSERT_NE(anchor, nullptr);
  // Beside the anchor this makes no path the system can hold; it is
  // neither cut to fit nor found by name.
  std::string name = "velprobe.so" + std::string(PATH_MAX, 'x');
  EXPECT_EQ(ResDllLoadBeside(name.c_str(), anchor), 0);
  EXPECT_EQ(ResDllHandle(), nullptr);
  PlatModuleFree(anchor);
}

}  // namespace
