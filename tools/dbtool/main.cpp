#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "dbtool.h"

namespace {

// The first line of standard input. On a terminal the prompt goes to standard error and
// what is typed is not echoed.
std::optional<std::string> ReadPassword(const std::string& prompt) {
  const bool terminal = isatty(STDIN_FILENO) == 1;
  termios saved{};
  if (terminal && tcgetattr(STDIN_FILENO, &saved) == 0) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::cerr << prompt << std::flush;
  }
  std::string line;
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << "\n";
  }
  if (!read) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  return dbtool::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                     ReadPassword);
}
