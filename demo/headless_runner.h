// TalmoDemo's command line and its run without a window:
//   TalmoDemo [--ini FILE]                                opens the window
//   TalmoDemo [--ini FILE] --headless [--orders N] CMD... runs the button actions CMD
//                                (connect, test, pokus, disconnect) in order, log to stdout
// --ini names the connection's INI file instead of Talmo.ini beside the component.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "demo_program.h"

namespace talmo_demo {

enum class DemoCommand { kConnect, kDisconnect, kTest, kPokus };

struct CommandLine {
  bool headless = false;
  int16_t ordersPerTest = 3;
  std::vector<DemoCommand> commands;
  std::u16string connectionIni;  // empty: the default
  std::string error;             // a usage error; empty when the line is valid
};

// Reads the arguments after the program name. Commands and options are case-insensitive;
// commands may repeat; `--orders N` (1..32767) sets the orders of each Test run.
CommandLine ParseCommandLine(std::span<const std::string_view> args);

extern const char* const kUsage;

// Makes the file of --ini absolute against `currentFolder`, as a file named on a command
// line is taken, and returns an error text when there is no such file ("" otherwise): the
// component would read a missing INI file as one without keys and fail only on connecting.
std::string ResolveConnectionIni(CommandLine& line, const std::filesystem::path& currentFolder);

// The settings `line` asks for, on top of `settings`.
DemoSettings ApplyCommandLine(const CommandLine& line, DemoSettings settings);

// Runs the commands through DemoProgram as the buttons would. The log goes to `out` as it
// is written (CR LF becomes a line end) with a "# " line per command's result; each error that
// an action did not handle go to `err`. Returns 0 when every action ran to the end and every
// order was created, 1 otherwise.
int RunHeadless(const CommandLine& line, DemoSettings settings, std::ostream& out,
                std::ostream& err);

}  // namespace talmo_demo
