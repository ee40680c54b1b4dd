#include "Platform/VirtualCard/PcscDaemon.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <PCSC/pcsclite.h>
#include <PCSC/winscard.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "Platform/PcscContext.hpp"

namespace ekyc {

namespace {

constexpr const char* LOCK_FILE = "/tmp/ekyc-pcscd.lock";
constexpr const char* SOCKET_FILE = "/run/pcscd/pcscd.comm";
constexpr const char* VPCD_READER = "Virtual PCD";

std::string findProgram(const std::vector<std::string>& candidates) {
  for (const auto& path : candidates) {
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::string findVpcdDriver() {
  for (const char* path : {"/usr/lib/pcsc/drivers/serial/libifdvpcd.so", "/usr/local/lib/pcsc/drivers/serial/libifdvpcd.so",
                           "/usr/lib64/pcsc/drivers/serial/libifdvpcd.so"}) {
    if (::access(path, R_OK) == 0) return path;
  }
  return {};
}

// A free loopback port below the ephemeral range (32768 and up on Linux), so that no outgoing
// connection or port-0 listener of another process (the stand-in, a parallel test) can take it
// between this check and vpcd's own bind.
std::uint16_t freeLocalPort() {
  std::minstd_rand random(static_cast<std::uint32_t>(::getpid()) ^
                          static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 200; ++attempt) {
    const auto candidate = static_cast<std::uint16_t>(20000 + random() % 12000);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(candidate);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    if (free) return candidate;
  }
  return 0;
}

// The vpcd reader of the running pcscd, or empty.
std::string vpcdReader() {
  auto context = PcscContext::establish();
  if (!context) return {};
  for (const auto& name : context->readers()) {
    if (name.find(VPCD_READER) != std::string::npos) return name;
  }
  return {};
}

bool serviceAnswers() { return PcscContext::establish() != nullptr; }

}  // namespace

std::unique_ptr<PcscDaemon> PcscDaemon::start(std::string& whyNot, std::chrono::milliseconds limit,
                                              const std::function<void()>& waiting) {
  const std::string program = findProgram({"/usr/sbin/pcscd", "/usr/local/sbin/pcscd", "/sbin/pcscd"});
  if (program.empty()) {
    whyNot = "pcscd is not installed (Debian package pcscd)";
    return nullptr;
  }
  const std::string driver = findVpcdDriver();
  if (driver.empty()) {
    whyNot = "the vpcd driver is not installed (Debian package vsmartcard-vpcd)";
    return nullptr;
  }

  std::unique_ptr<PcscDaemon> daemon(new PcscDaemon());
  daemon->lockFd_ = ::open(LOCK_FILE, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (daemon->lockFd_ < 0) {
    whyNot = std::string("cannot open ") + LOCK_FILE;
    return nullptr;
  }
  const auto until = std::chrono::steady_clock::now() + LOCK_LIMIT;
  for (bool told = false; ::flock(daemon->lockFd_, LOCK_EX | LOCK_NB) != 0; told = true) {
    if (!told && waiting) waiting();
    if (std::chrono::steady_clock::now() > until) {
      whyNot = "another process held the pcscd lock (" + std::string(LOCK_FILE) + ") for " +
               std::to_string(LOCK_LIMIT.count()) + " minutes";
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  // Only one pcscd can run. A running one that is not ours (a system service) is not used: vpcd
  // there hands a new card side over without reporting the old card's removal, so one user's card
  // can linger into the next user's session.
  if (::access(SOCKET_FILE, F_OK) == 0 && serviceAnswers()) {
    whyNot = "a pcscd that this process did not start is running (stop it to use a private one)";
    return nullptr;
  }

  char directory[] = "/tmp/ekyc-pcscd-XXXXXX";
  if (!::mkdtemp(directory)) {
    whyNot = "cannot make a temporary directory";
    return nullptr;
  }
  daemon->directory_ = directory;
  daemon->port_ = freeLocalPort();
  if (daemon->port_ == 0) {
    whyNot = "no free local port for vpcd";
    return nullptr;
  }
  const std::string configDirectory = daemon->directory_ + "/reader.conf.d";
  ::mkdir(configDirectory.c_str(), 0755);
  {
    char port[16];
    std::snprintf(port, sizeof(port), "0x%X", daemon->port_);
    std::ofstream config(configDirectory + "/vpcd");
    config << "FRIENDLYNAME \"" << VPCD_READER << "\"\n"
           << "DEVICENAME   /dev/null:" << port << "\n"
           << "LIBPATH      " << driver << "\n"
           << "CHANNELID    " << port << "\n";
  }
  const std::string logPath = daemon->directory_ + "/pcscd.log";

  // Everything the child needs is prepared before fork: it only calls async-signal-safe functions.
  std::vector<std::string> arguments{program, "--foreground", "--config", configDirectory};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    whyNot = "fork failed";
    if (logFd >= 0) ::close(logFd);
    if (nullFd >= 0) ::close(nullFd);
    return nullptr;
  }
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    if (nullFd >= 0) ::dup2(nullFd, 0);
    if (logFd >= 0) {
      ::dup2(logFd, 1);
      ::dup2(logFd, 2);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (logFd >= 0) ::close(logFd);
  if (nullFd >= 0) ::close(nullFd);
  daemon->pid_ = pid;

  const auto ready = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < ready) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      daemon->pid_ = -1;
      whyNot = "pcscd ended at start (status " + std::to_string(status) + "): " + daemon->log();
      return nullptr;
    }
    if (::access(SOCKET_FILE, F_OK) == 0) {
      daemon->readerName_ = vpcdReader();
      if (!daemon->readerName_.empty()) return daemon;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  whyNot = "pcscd did not list the vpcd reader in time: " + daemon->log();
  return nullptr;
}

PcscDaemon::~PcscDaemon() { shutdown(); }

void PcscDaemon::shutdown() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
  }
  if (!directory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    directory_.clear();
  }
  if (lockFd_ >= 0) {
    ::close(lockFd_);  // releases the lock
    lockFd_ = -1;
  }
}

std::string PcscDaemon::log() const {
  if (directory_.empty()) return {};
  std::ifstream in(directory_ + "/pcscd.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace ekyc
