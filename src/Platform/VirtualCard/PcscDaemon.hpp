#pragma once
// A pcscd of our own, for tests, benchmarks and tools that serve virtual cards through vpcd. It
// runs in the foreground as a child process with a reader configuration that holds only the vpcd
// reader (on a free local port), and is stopped when this object goes. Only one pcscd can run on
// a machine, so a lock file serialises its users across processes (parallel test runs); where a
// pcscd that is not ours already runs (a system service), start() fails and says so.
//
// Create it on a thread that outlives it (the child is told to end when that thread ends).
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace ekyc {

class PcscDaemon {
 public:
  // How long start() waits for another process to release the lock.
  static constexpr std::chrono::minutes LOCK_LIMIT{2};

  // Starts pcscd. Null, with the reason in `whyNot`, when it cannot run here (not installed, no
  // vpcd driver, no rights, another pcscd running, the lock held past LOCK_LIMIT, ...). `limit`
  // bounds the wait for the started pcscd to list the vpcd reader; `waiting` is called once when
  // another process holds the lock (before the wait for it).
  static std::unique_ptr<PcscDaemon> start(std::string& whyNot,
                                           std::chrono::milliseconds limit = std::chrono::seconds(60),
                                           const std::function<void()>& waiting = {});
  ~PcscDaemon();
  PcscDaemon(const PcscDaemon&) = delete;
  PcscDaemon& operator=(const PcscDaemon&) = delete;

  // The port on which vpcd waits for the virtual card.
  std::uint16_t vpcdPort() const { return port_; }
  // The name of the vpcd reader as pcscd lists it.
  const std::string& readerName() const { return readerName_; }
  // What pcscd wrote so far.
  std::string log() const;

 private:
  PcscDaemon() = default;
  void shutdown();

  int lockFd_ = -1;
  pid_t pid_ = -1;
  std::string directory_;
  std::uint16_t port_ = 0;
  std::string readerName_;
};

}  // namespace ekyc
