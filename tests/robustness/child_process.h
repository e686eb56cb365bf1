// A helper program run as a child process, its standard output read line by line.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace talmo::testing {

class ChildProcess {
 public:
  // Starts `args[0]` with `args`; standard error stays the test's own. Throws
  // std::runtime_error when it cannot be started.
  explicit ChildProcess(const std::vector<std::string>& args);
  // Kills and reaps a child that still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line the child wrote (without the line break); nullopt once its output ends.
  std::optional<std::string> ReadLine();
  // Every line still to come, up to the end of the output.
  std::vector<std::string> ReadAll();
  void Kill();
  // Waits for the child to end and returns its wait status.
  int Wait();

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
};

}  // namespace talmo::testing
