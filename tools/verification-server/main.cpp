// The verification stand-in as a program, for the demo: serves HTTPS on loopback until it gets
// SIGINT or SIGTERM.
//
//   ekyc-verification-server [--port N] [--cert-out PATH] [--ski-key PEM]...
//   ekyc-verification-server --help
//
// Prints the endpoint URL on the first line of standard output. With --cert-out the server
// certificate (PEM) is written to PATH, for the client to trust. Each --ski-key names a PEM file of
// public keys or certificates whose keys the SKI-named requests (the driving licence) may name.
// A wrong command line is named on stderr, with exit status 2, before the server starts.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/StandardVerifiers.hpp"
#include "verification-server/VerificationServer.hpp"

namespace {

constexpr const char* USAGE =
    "usage: ekyc-verification-server [--port N] [--cert-out PATH] [--ski-key PEM]...\n"
    "Serves HTTPS on loopback until SIGINT or SIGTERM; its URL is the first line on stdout.\n"
    "  --port N         the port to listen on (default: a free one)\n"
    "  --cert-out PATH  writes the server's certificate (PEM) there, for the client to trust\n"
    "  --ski-key PEM    public keys or certificates that licence data may name by key identifier (repeatable)\n";

// A wrong command line: what was wrong and where the usage is; exit status 2.
int wrong(const std::string& problem) {
  std::fprintf(stderr, "ekyc-verification-server: %s\nekyc-verification-server --help shows the usage\n",
               problem.c_str());
  return 2;
}

// Why the file cannot be opened in `mode` (the system's reason), or empty when it can. Mode "a"
// leaves a file that is there as it is.
std::string cannotOpen(const std::string& path, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return std::strerror(errno);
  std::fclose(file);
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (std::find_if(arguments.begin(), arguments.end(), [](const auto& a) { return a == "--help" || a == "-h"; }) !=
      arguments.end()) {
    std::printf("%s", USAGE);
    return 0;
  }
  ekyc::VerificationServerOptions options;
  std::string certOut;
  auto skiRegistry = std::make_shared<ekyc::SkiKeyRegistry>();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument != "--ski-key" && argument != "--port" && argument != "--cert-out") {
      return wrong(argument.starts_with("-") ? "unknown option " + argument : "unexpected argument " + argument);
    }
    // The end of the line or the next option: the value was left out.
    if (i + 1 >= arguments.size() || arguments[i + 1].starts_with("--")) return wrong(argument + " needs a value");
    const std::string& value = arguments[++i];
    if (value.empty()) return wrong(argument + " is empty");
    if (argument == "--ski-key") {
      if (const std::string why = cannotOpen(value, "r"); !why.empty()) {
        return wrong("--ski-key: cannot read " + value + " (" + why + ")");
      }
      if (!skiRegistry->addPemFile(value)) return wrong("--ski-key: no RSA key in " + value);
    } else if (argument == "--port") {
      char* end = nullptr;
      const long port = std::strtol(value.c_str(), &end, 10);
      if (*end != '\0' || port < 0 || port > 65535) return wrong("--port takes a number from 0 to 65535, not " + value);
      options.port = static_cast<int>(port);
    } else {
      if (const std::string why = cannotOpen(value, "a"); !why.empty()) {
        return wrong("--cert-out: cannot write " + value + " (" + why + ")");
      }
      certOut = value;
    }
  }

  // Block the stop signals before any thread starts, so every thread inherits the mask and the
  // main thread alone takes them with sigwait.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  ekyc::VerificationServer server(options);
  ekyc::StandardVerifiers::install(server, skiRegistry);
  if (!server.start()) {
    std::fprintf(stderr, "ekyc-verification-server: cannot start on %s:%d\n", options.host.c_str(), options.port);
    return 1;
  }
  if (!certOut.empty() && !server.writeCertificate(certOut)) {
    std::fprintf(stderr, "ekyc-verification-server: cannot write %s\n", certOut.c_str());
    return 1;
  }
  std::printf("%s\n", server.url().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&signals, &received);
  server.stop();
  return 0;
}
