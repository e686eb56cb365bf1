#include "child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace talmo::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (failed != 0) {
    close(pipeEnds[0]);
    throw std::runtime_error("cannot start " + args[0]);
  }
  output_ = fdopen(pipeEnds[0], "r");
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    Kill();
    Wait();
  }
  if (output_ != nullptr) fclose(output_);
}

std::optional<std::string> ChildProcess::ReadLine() {
  char* line = nullptr;
  size_t capacity = 0;
  const ssize_t length = getline(&line, &capacity, output_);
  std::optional<std::string> result;
  if (length >= 0) result.emplace(line, length > 0 && line[length - 1] == '\n' ? length - 1 : length);
  free(line);
  return result;
}

std::vector<std::string> ChildProcess::ReadAll() {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = ReadLine()) lines.push_back(*std::move(line));
  return lines;
}

void ChildProcess::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

int ChildProcess::Wait() {
  int status = 0;
  if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) pid_ = -1;
  return status;
}

}  // namespace talmo::testing
