#include "DemoArguments.hpp"

#include <algorithm>
#include <cctype>
#include <memory>

#include <openssl/pem.h>
#include <openssl/x509.h>

#include "DemoRequest.hpp"
#include "Pin/SetPinKey.hpp"

namespace ekyc::demo {

namespace {

constexpr const char* DEFAULT_REQUEST = "apdu-chain";
const std::vector<std::string> OPTIONS_WITH_VALUE{"--request", "--reader", "--pin", "--app-id", "--endpoint", "--ca-file"};
const std::vector<std::string> OPTIONS_ALONE{"--list", "--help", "-h"};
const std::vector<std::string> READERS{"virtual", "pcsc", "vpcd"};

std::vector<std::string> pinSlots() {
  std::vector<std::string> slots;
  for (SetPinKey key : allSetPinKeys()) slots.push_back(toString(key));
  slots.push_back(SAMPLE_PIN_SLOT);
  return slots;
}

// "a, b and c"
std::string listed(const std::vector<std::string>& names, const char* last = " and ") {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == names.size() ? last : ", ") + names[i];
  }
  return text;
}
std::string joined(const std::vector<std::string>& names) { return listed(names, ", "); }

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void addOnce(std::vector<std::string>& names, const std::string& name) {
  if (!contains(names, name)) names.push_back(name);
}

// An argument that is an option, so never the value of the one before it.
bool isOption(const std::string& argument) { return argument.starts_with("--") || contains(OPTIONS_ALONE, argument); }

std::unexpected<DemoUsageError> wrong(std::string message) { return std::unexpected(DemoUsageError{std::move(message)}); }

// "--reader bogus is not a reader", or for an empty value "--reader is empty, not a reader".
std::string isNot(const std::string& option, const std::string& value, const std::string& what) {
  return option + (value.empty() ? " is empty, not " : " " + value + " is not ") + what;
}

// --list or --help beside other arguments: the others, named by their options (never a value).
std::string ignoredBeside(const std::vector<std::string>& arguments, std::size_t alone) {
  std::vector<std::string> names;
  std::size_t values = 0;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i == alone) continue;
    const std::string& argument = arguments[i];
    if (!argument.starts_with("-")) {
      ++values;
      continue;
    }
    addOnce(names, argument.substr(0, argument.find('=')));
    if (contains(OPTIONS_WITH_VALUE, argument) && i + 1 < arguments.size() && !isOption(arguments[i + 1])) ++i;
  }
  if (values > 0) names.push_back(values == 1 ? "an argument" : std::to_string(values) + " arguments");
  const bool one = names.size() == 1 && values <= 1;
  return arguments[alone] + " runs no request: " + listed(names) + (one ? " is" : " are") + " ignored";
}

// Whether the file holds at least one certificate in PEM form.
bool holdsPemCertificate(const std::string& path) {
  std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(path.c_str(), "r"), BIO_free);
  if (!file) return false;
  std::unique_ptr<X509, decltype(&X509_free)> certificate(PEM_read_bio_X509(file.get(), nullptr, nullptr, nullptr),
                                                          X509_free);
  return certificate != nullptr;
}

// The options the chosen request will not use, one line each, and the options given more than once.
std::vector<std::string> ignoredOptions(const DemoOptions& options, const DemoRequest& request,
                                        const std::vector<std::string>& given, const std::vector<std::string>& repeated) {
  std::vector<std::string> lines;
  for (const auto& option : repeated) lines.push_back(option + " is given more than once: the last one is used");
  if (!request.readsCard() && contains(given, "--reader")) lines.push_back("--reader is ignored: " + request.name + " reads no card");
  for (const auto& [slot, pin] : options.pins) {
    if (contains(request.pinSlots, slot)) continue;
    lines.push_back("--pin " + slot + " is ignored: " + request.name +
                    (request.readsCard() ? " uses " + listed(request.pinSlots) : std::string(" reads no card")));
  }
  const std::string why = !request.verifies ? request.name + " has no verified form"
                          : !options.appId  ? "nothing is verified without --app-id"
                                            : "";
  if (options.appId && !request.verifies) lines.push_back("--app-id is ignored: " + why);
  // Given counts, an empty value too: it is refused where it is used.
  const bool endpoint = contains(given, "--endpoint");
  if (endpoint && !why.empty()) lines.push_back("--endpoint is ignored: " + why);
  if (contains(given, "--ca-file") && (!why.empty() || !endpoint)) {
    lines.push_back("--ca-file is ignored: " +
                    (why.empty() ? "without --endpoint the local stand-in's certificate is trusted" : why));
  }
  return lines;
}

}  // namespace

std::expected<DemoCommand, DemoUsageError> parseDemoCommand(const std::vector<std::string>& arguments) {
  DemoCommand command;
  const auto alone = std::find_if(arguments.begin(), arguments.end(),
                                  [](const std::string& argument) { return contains(OPTIONS_ALONE, argument); });
  if (alone != arguments.end()) {
    command.action = *alone == "--list" ? DemoCommand::Action::list : DemoCommand::Action::help;
    if (arguments.size() > 1) command.ignored.push_back(ignoredBeside(arguments, alone - arguments.begin()));
    return command;
  }
  DemoOptions& options = command.options;
  options.request = DEFAULT_REQUEST;
  std::vector<std::string> given;     // each option, a --pin with its slot
  std::vector<std::string> repeated;  // those given more than once
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!contains(OPTIONS_WITH_VALUE, argument)) {
      const std::string name = argument.substr(0, argument.find('='));
      if (contains(OPTIONS_WITH_VALUE, name)) return wrong(name + " takes its value as the next argument: " + name + " VALUE");
      if (argument.starts_with("-")) return wrong("unknown option " + argument);
      // Not shown: it may be a PIN typed in the wrong place.
      return wrong("argument " + std::to_string(i + 1) + " is not an option (every value follows its option)");
    }
    // The end of the line or the next option: the value was left out.
    if (i + 1 >= arguments.size() || isOption(arguments[i + 1])) return wrong(argument + " needs a value");
    const std::string& value = arguments[++i];
    std::string option = argument;
    if (argument == "--request") {
      options.request = value;
    } else if (argument == "--reader") {
      if (!contains(READERS, value)) return wrong(isNot(argument, value, "a reader (" + joined(READERS) + ")"));
      options.reader = value;
    } else if (argument == "--pin") {
      // The value is never echoed: it may be a PIN given without its slot.
      if (value.empty()) return wrong("--pin is empty, not SLOT=VALUE");
      const auto equals = value.find('=');
      if (equals == std::string::npos) return wrong("--pin takes SLOT=VALUE, and this one has no '='");
      const std::string slot = value.substr(0, equals);
      if (slot.empty()) return wrong("--pin takes SLOT=VALUE, and this one has no slot name before '='");
      if (!contains(pinSlots(), slot)) return wrong("unknown PIN slot " + slot + " (the slots: " + joined(pinSlots()) + ")");
      options.pins[slot] = value.substr(equals + 1);
      option += " " + slot;
    } else if (argument == "--app-id") {
      options.appId = value;
    } else if (argument == "--endpoint") {
      options.endpoint = value;
    } else {
      options.caFile = value;
    }
    if (contains(given, option)) addOnce(repeated, option);
    given.push_back(option);
  }
  const DemoRequest* request = DemoRequests::find(options.request);
  if (!request) return wrong(isNot("--request", options.request, "a request (ekyc-demo --list shows them)"));
  command.ignored = ignoredOptions(options, *request, given, repeated);
  // What the verified run will use is checked before any card is read.
  if (request->verifies && options.appId && contains(given, "--endpoint")) {
    std::string scheme = options.endpoint.substr(0, 8);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme != "https://" || options.endpoint.size() == scheme.size()) {
      return wrong(isNot("--endpoint", options.endpoint, "an https:// URL"));
    }
    if (contains(given, "--ca-file") && !holdsPemCertificate(options.caFile)) {
      return wrong(isNot("--ca-file", options.caFile, "a readable PEM file of certificates"));
    }
  }
  return command;
}

std::string demoUsage() {
  return std::string("usage: ekyc-demo [--request NAME] [--reader virtual|pcsc|vpcd] [--pin SLOT=VALUE]... [--app-id ID]\n"
                     "                 [--endpoint URL] [--ca-file PEM]\n"
                     "       ekyc-demo --list\n"
                     "The default request is ") +
         DEFAULT_REQUEST + " on the virtual reader.\nPIN slots: " + joined(pinSlots()) + "\n";
}

std::string demoList() {
  std::size_t width = 0;
  for (const auto& request : DemoRequests::all()) width = std::max(width, request.name.size());
  std::string text;
  for (const auto& request : DemoRequests::all()) {
    const std::size_t slots = request.pinSlots.size();
    const std::string pins = slots == 0 ? "" : (slots == 1 ? " (PIN " : " (PINs ") + listed(request.pinSlots) + ")";
    text += request.name + std::string(width - request.name.size() + 1, ' ') + request.summary + pins + "\n";
  }
  return text;
}

}  // namespace ekyc::demo
