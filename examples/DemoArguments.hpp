#pragma once
// The example host's command line: the run it asks for, or what is wrong with it.
//
//   ekyc-demo --request NAME [--reader virtual|pcsc|vpcd] [--pin SLOT=VALUE]... [--app-id ID]
//             [--endpoint URL] [--ca-file PEM]
//   ekyc-demo --list | --help
#include <expected>
#include <string>
#include <vector>

#include "DemoContext.hpp"

namespace ekyc::demo {

struct DemoCommand {
  enum class Action { run, list, help };
  Action action = Action::run;
  DemoOptions options;
  // One line for each option given that the run will not use (a --pin for a slot the request does
  // not use, an option a later one overrides, anything beside --list or --help); never a value.
  std::vector<std::string> ignored;
};

// Found before any card is read: the command line itself, and the --endpoint (https://) and
// --ca-file (PEM certificates) that a verified run would use.
struct DemoUsageError {
  std::string message;  // one line saying what was wrong (never a PIN, nor a stray argument)
  int exitCode = 2;
};

// `arguments` without the program name.
std::expected<DemoCommand, DemoUsageError> parseDemoCommand(const std::vector<std::string>& arguments);

// The usage text, for --help.
std::string demoUsage();

// The --list text: a line per request, its name and then its summary and the PIN slots it uses,
// the summaries in one column just past the longest name.
std::string demoList();

}  // namespace ekyc::demo
