// talmo-regsvr end to end: the tool registers and unregisters a component library in the
// registry file that CreateObject then reads.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "automation/dispatch.h"
#include "registry_fixture.h"
#include "test_support.h"

namespace automation_test {
namespace {

struct ToolRun {
  int exitCode;
  std::string output;  // standard output and standard error
};

ToolRun RunTool(const std::string& arguments) {
  const std::string command = std::string("'") + TALMO_REGSVR + "' " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, "popen failed"};
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

using RegsvrTest = RegistryTest;

TEST_F(RegsvrTest, RegistersAndUnregistersALibrary) {
  const ToolRun registered = RunTool(Quoted(TALMO_TEST_COMPONENT));
  EXPECT_EQ(registered.exitCode, 0) << registered.output;
  EXPECT_NE(registered.output.find("DllRegisterServer succeeded"), std::string::npos);
  auto object = automation::CreateObject(u"Talmo.TestCounter");
  EXPECT_EQ(automation::CallMethod(object.get(), 1).ToLong(), 1);

  const ToolRun unregistered = RunTool("/u " + Quoted(TALMO_TEST_COMPONENT));
  EXPECT_EQ(unregistered.exitCode, 0) << unregistered.output;
  EXPECT_EQ(ErrorOf([] { automation::CreateObject(u"Talmo.TestCounter"); }), 429);
}

TEST_F(RegsvrTest, SilentRunPrintsNothing) {
  const ToolRun run = RunTool("/s " + Quoted(TALMO_TEST_COMPONENT));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(Read("ProgID Talmo.TestCounter", "CLSID"), kCounterClsid);
}

TEST_F(RegsvrTest, FailuresExitNonZeroWithAMessage) {
  const ToolRun missing = RunTool(Quoted((folder_ / "missing.so").string()));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("missing.so"), std::string::npos) << missing.output;

  const ToolRun notComponent = RunTool(Quoted(TALMO_AUTOMATION_LIBRARY));
  EXPECT_EQ(notComponent.exitCode, 1);
  EXPECT_NE(notComponent.output.find("does not export DllRegisterServer"), std::string::npos)
      << notComponent.output;

  // The first failure stops the run: the library after it is not registered.
  const ToolRun stopped =
      RunTool(Quoted((folder_ / "missing.so").string()) + " " + Quoted(TALMO_TEST_COMPONENT));
  EXPECT_EQ(stopped.exitCode, 1);
  EXPECT_EQ(Read("ProgID Talmo.TestCounter", "CLSID"), "<absent>");
}

TEST_F(RegsvrTest, UnregisteringALibraryThatIsNotRegisteredSaysSo) {
  const std::string library = std::filesystem::canonical(TALMO_TEST_COMPONENT).string();
  const std::string notRegistered = "talmo-regsvr: " + library + " is not registered in " +
                                    registry_.string() +
                                    ": there is nothing to unregister (error 5)\n";
  EXPECT_EQ(RunTool("/u " + Quoted(library)).output, notRegistered);

  // Registered under another library file, the classes still do not name this one.
  Write(std::string("CLSID ") + kCounterClsid, "Library", (folder_ / "other.so").string());
  const ToolRun run = RunTool("/u " + Quoted(library));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, notRegistered);
  EXPECT_EQ(Read(std::string("CLSID ") + kCounterClsid, "Library"),
            (folder_ / "other.so").string());
}

TEST_F(RegsvrTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunTool("").exitCode, 2);
  EXPECT_EQ(RunTool("/u").exitCode, 2);
  EXPECT_EQ(RunTool("--bogus x.so").exitCode, 2);
}

}  // namespace
}  // namespace automation_test
