// The example host. It picks the reader, takes preset PINs, an application id and the verification
// endpoint, runs one request and prints the record as JSON on stdout, or the coded error (code and
// message, non-zero exit). The texts of the NFC sheet go to stderr as progress; PINs that are not
// preset are asked for on the terminal without echo. The reader: virtual (in-process virtual cards,
// the default), pcsc (the first PC/SC reader), or vpcd (the virtual cards served to a pcscd of the
// demo's own through vpcd and read over PC/SC; exit code 3 where pcscd cannot run).
//
//   ekyc-demo --request NAME [--reader virtual|pcsc|vpcd] [--pin SLOT=VALUE]... [--app-id ID]
//             [--endpoint URL] [--ca-file PEM]
//   ekyc-demo --list
#include <cstdio>
#include <iostream>
#include <string>

#include "DemoContext.hpp"
#include "DemoRequest.hpp"
#include "Platform/Json.hpp"

using namespace ekyc;
using namespace ekyc::demo;

namespace {

constexpr const char* DEFAULT_REQUEST = "apdu-chain";

void usage() {
  std::fprintf(stderr,
               "usage: ekyc-demo [--request NAME] [--reader virtual|pcsc|vpcd] [--pin SLOT=VALUE]... [--app-id ID]\n"
               "                 [--endpoint URL] [--ca-file PEM]\n"
               "       ekyc-demo --list\n"
               "The default request is %s on the virtual reader.\n",
               DEFAULT_REQUEST);
}

void list() {
  for (const auto& request : DemoRequests::all()) {
    std::printf("%-28s %s\n", request.name.c_str(), request.summary.c_str());
  }
}

// Compact JSON with "/" written as "\/", as the library writes it.
std::string write(const nlohmann::json& value) {
  auto text = Json::write(value);
  return text ? *text : value.dump();
}

}  // namespace

int main(int argc, char** argv) {
  DemoOptions options;
  options.request = DEFAULT_REQUEST;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (argument == "--list") {
      list();
      return 0;
    }
    if (argument == "--help" || argument == "-h") {
      usage();
      return 0;
    }
    std::optional<std::string> v = value();
    if (!v) {
      usage();
      return 2;
    }
    if (argument == "--request") {
      options.request = *v;
    } else if (argument == "--reader") {
      if (*v != "virtual" && *v != "pcsc" && *v != "vpcd") {
        usage();
        return 2;
      }
      options.reader = *v;
    } else if (argument == "--pin") {
      const auto equals = v->find('=');
      if (equals == std::string::npos || equals == 0) {
        usage();
        return 2;
      }
      options.pins[v->substr(0, equals)] = v->substr(equals + 1);
    } else if (argument == "--app-id") {
      options.appId = *v;
    } else if (argument == "--endpoint") {
      options.endpoint = *v;
    } else if (argument == "--ca-file") {
      options.caFile = *v;
    } else {
      usage();
      return 2;
    }
  }

  const DemoRequest* request = DemoRequests::find(options.request);
  if (!request) {
    std::fprintf(stderr, "ekyc-demo: no request named %s (see --list)\n", options.request.c_str());
    return 2;
  }
  DemoContext context(options);
  if (!context.readerProblem().empty()) {
    std::fprintf(stderr, "ekyc-demo: the vpcd reader cannot be used: %s\n", context.readerProblem().c_str());
    return 3;
  }
  const DemoOutcome outcome = request->run(context);
  context.endFacade();  // the session resets the card before the host goes
  if (outcome.ok) {
    std::cout << write(outcome.record) << std::endl;
    return 0;
  }
  std::cout << write({{"errorCode", outcome.errorCode}, {"localizedDescription", outcome.localizedDescription}})
            << std::endl;
  std::fprintf(stderr, "ekyc-demo: error %lld: %s\n", static_cast<long long>(outcome.errorCode),
               outcome.localizedDescription.c_str());
  return 1;
}
