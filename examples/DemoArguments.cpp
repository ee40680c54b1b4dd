#include "DemoArguments.hpp"

#include <algorithm>

#include "DemoRequest.hpp"
#include "Pin/SetPinKey.hpp"

namespace ekyc::demo {

namespace {

constexpr const char* DEFAULT_REQUEST = "apdu-chain";
const std::vector<std::string> OPTIONS_WITH_VALUE{"--request", "--reader", "--pin", "--app-id", "--endpoint", "--ca-file"};
const std::vector<std::string> READERS{"virtual", "pcsc", "vpcd"};

std::vector<std::string> pinSlots() {
  std::vector<std::string> slots;
  for (SetPinKey key : allSetPinKeys()) slots.push_back(toString(key));
  slots.push_back(SAMPLE_PIN_SLOT);
  return slots;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::unexpected<DemoUsageError> wrong(std::string message) { return std::unexpected(DemoUsageError{std::move(message)}); }

// The options the chosen request will not use, one line each.
std::vector<std::string> ignoredOptions(const DemoOptions& options, const DemoRequest& request) {
  const std::string why = !request.verifies ? request.name + " has no verified form"
                          : !options.appId  ? "nothing is verified without --app-id"
                                            : "";
  std::vector<std::string> lines;
  if (options.appId && !request.verifies) lines.push_back("--app-id is ignored: " + why);
  if (!options.endpoint.empty() && !why.empty()) lines.push_back("--endpoint is ignored: " + why);
  if (!options.caFile.empty() && (!why.empty() || options.endpoint.empty())) {
    lines.push_back("--ca-file is ignored: " +
                    (why.empty() ? "without --endpoint the local stand-in's certificate is trusted" : why));
  }
  return lines;
}

}  // namespace

std::expected<DemoCommand, DemoUsageError> parseDemoCommand(const std::vector<std::string>& arguments) {
  DemoCommand command;
  DemoOptions& options = command.options;
  options.request = DEFAULT_REQUEST;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--list" || argument == "--help" || argument == "-h") {
      command.action = argument == "--list" ? DemoCommand::Action::list : DemoCommand::Action::help;
      return command;
    }
    if (!contains(OPTIONS_WITH_VALUE, argument)) {
      const std::string name = argument.substr(0, argument.find('='));
      if (contains(OPTIONS_WITH_VALUE, name)) return wrong(name + " takes its value as the next argument: " + name + " VALUE");
      if (argument.starts_with("-")) return wrong("unknown option " + argument);
      return wrong("unexpected argument " + argument + " (every value follows its option)");
    }
    if (i + 1 >= arguments.size()) return wrong(argument + " needs a value");
    const std::string& value = arguments[++i];
    if (argument == "--request") {
      options.request = value;
    } else if (argument == "--reader") {
      if (!contains(READERS, value)) return wrong("unknown reader " + value + " (" + joined(READERS) + ")");
      options.reader = value;
    } else if (argument == "--pin") {
      // The value is never echoed: it may be a PIN given without its slot.
      const auto equals = value.find('=');
      if (equals == std::string::npos) return wrong("--pin takes SLOT=VALUE, and this one has no '='");
      const std::string slot = value.substr(0, equals);
      if (slot.empty()) return wrong("--pin takes SLOT=VALUE, and this one has no slot name before '='");
      if (!contains(pinSlots(), slot)) return wrong("unknown PIN slot " + slot + " (the slots: " + joined(pinSlots()) + ")");
      options.pins[slot] = value.substr(equals + 1);
    } else if (argument == "--app-id") {
      options.appId = value;
    } else if (argument == "--endpoint") {
      options.endpoint = value;
    } else {
      options.caFile = value;
    }
  }
  const DemoRequest* request = DemoRequests::find(options.request);
  if (!request) return wrong("no request named " + options.request + " (ekyc-demo --list shows them)");
  command.ignored = ignoredOptions(options, *request);
  return command;
}

std::string demoUsage() {
  return std::string("usage: ekyc-demo [--request NAME] [--reader virtual|pcsc|vpcd] [--pin SLOT=VALUE]... [--app-id ID]\n"
                     "                 [--endpoint URL] [--ca-file PEM]\n"
                     "       ekyc-demo --list\n"
                     "The default request is ") +
         DEFAULT_REQUEST + " on the virtual reader.\nPIN slots: " + joined(pinSlots()) + "\n";
}

}  // namespace ekyc::demo
