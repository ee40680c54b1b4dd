// The verification stand-in as a program, for the demo: serves HTTPS on loopback until it gets
// SIGINT or SIGTERM.
//
//   ekyc-verification-server [--port N] [--cert-out PATH] [--ski-key PEM]...
//
// Prints the endpoint URL on the first line of standard output. With --cert-out the server
// certificate (PEM) is written to PATH, for the client to trust. Each --ski-key names a PEM file of
// public keys or certificates whose keys the SKI-named requests (the driving licence) may name.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/StandardVerifiers.hpp"
#include "verification-server/VerificationServer.hpp"

namespace {

// A wrong command line: what was wrong, then the usage; exit status 2.
int usage(const std::string& problem) {
  std::fprintf(stderr, "ekyc-verification-server: %s\n", problem.c_str());
  std::fprintf(stderr, "usage: ekyc-verification-server [--port N] [--cert-out PATH] [--ski-key PEM]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ekyc::VerificationServerOptions options;
  std::string certOut;
  auto skiRegistry = std::make_shared<ekyc::SkiKeyRegistry>();
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument != "--ski-key" && argument != "--port" && argument != "--cert-out") {
      return usage(argument.starts_with("-") ? "unknown option " + argument : "unexpected argument " + argument);
    }
    if (i + 1 >= argc) return usage(argument + " needs a value");
    const std::string value = argv[++i];
    if (argument == "--ski-key") {
      if (!skiRegistry->addPemFile(value)) return usage("--ski-key: no RSA key in " + value);
    } else if (argument == "--port") {
      char* end = nullptr;
      const long port = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || port < 0 || port > 65535) {
        return usage("--port takes a number from 0 to 65535, not " + value);
      }
      options.port = static_cast<int>(port);
    } else {
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
