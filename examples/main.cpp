// The example host. It picks the reader, takes preset PINs, an application id and the verification
// endpoint, runs one request and prints the record as JSON on stdout, or the coded error (code and
// message, non-zero exit). The texts of the NFC sheet go to stderr as progress; PINs that are not
// preset are asked for on the terminal without echo. The reader: virtual (in-process virtual cards,
// the default), pcsc (the first PC/SC reader), or vpcd (the virtual cards served to a pcscd of the
// demo's own through vpcd and read over PC/SC). The command line: DemoArguments.hpp.
//
// Exit codes: 0 the record, 1 a coded error, 2 a wrong command line (a line says what, a second one
// where the usage is), 3 the chosen reader cannot be used here (pcscd cannot run, or another process
// kept its lock).
#include <cstdio>
#include <iostream>
#include <string>

#include "DemoArguments.hpp"
#include "DemoContext.hpp"
#include "DemoRequest.hpp"
#include "Platform/Json.hpp"

using namespace ekyc;
using namespace ekyc::demo;

namespace {

// Compact JSON with "/" written as "\/", as the library writes it.
std::string write(const nlohmann::json& value) {
  auto text = Json::write(value);
  return text ? *text : value.dump();
}

}  // namespace

int main(int argc, char** argv) {
  const auto command = parseDemoCommand(std::vector<std::string>(argv + 1, argv + argc));
  if (!command) {
    std::fprintf(stderr, "ekyc-demo: %s\nekyc-demo --help shows the usage\n", command.error().message.c_str());
    return command.error().exitCode;
  }
  for (const auto& line : command->ignored) std::fprintf(stderr, "ekyc-demo: %s\n", line.c_str());
  if (command->action == DemoCommand::Action::help) std::printf("%s", demoUsage().c_str());
  if (command->action == DemoCommand::Action::list) std::printf("%s", demoList().c_str());
  if (command->action != DemoCommand::Action::run) return 0;
  const DemoOptions& options = command->options;
  const DemoRequest* request = DemoRequests::find(options.request);
  DemoContext context(options, request->readsCard());
  if (!context.readerProblem().empty()) {
    std::fprintf(stderr, "ekyc-demo: the vpcd reader cannot be used: %s\n", context.readerProblem().c_str());
    return 3;
  }
  const DemoOutcome outcome = request->run(context);
  context.releaseCard();  // the session resets the card before the host goes
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
