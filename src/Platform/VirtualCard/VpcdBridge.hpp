#pragma once
// Serves a virtual card to pcscd through the vpcd driver of vsmartcard: this is the card side of
// vpcd's socket protocol. It connects to vpcd's port (35963 by default, on this machine) and
// answers each message: a 2-byte big-endian length, then the message; a one-byte message is a
// control (0 power off, 1 power on, 2 reset, 4 get ATR, answered with the ATR); anything longer is
// a command APDU, answered with the card's answer. While the connection stands, the card is in the
// vpcd reader; closing it takes the card out, as does a card that leaves the field by a fault.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace ekyc {

class VirtualCard;

class VpcdBridge {
 public:
  static constexpr std::uint16_t DEFAULT_PORT = 35963;

  explicit VpcdBridge(std::shared_ptr<VirtualCard> card, std::uint16_t port = DEFAULT_PORT,
                      std::string host = "127.0.0.1");
  ~VpcdBridge();
  VpcdBridge(const VpcdBridge&) = delete;
  VpcdBridge& operator=(const VpcdBridge&) = delete;

  // Connects (trying again until the limit, as vpcd may still be starting) and serves the card on
  // a thread of its own. False when vpcd could not be reached.
  bool start(std::chrono::milliseconds limit = std::chrono::seconds(5));
  // Takes the card out of the reader and ends the thread.
  void stop();
  bool isServing() const { return serving_; }
  // Command APDUs answered so far.
  std::size_t commandsServed() const { return served_; }

 private:
  void serve(int socket);

  const std::shared_ptr<VirtualCard> card_;
  const std::uint16_t port_;
  const std::string host_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  int socket_ = -1;
  std::thread thread_;
  std::atomic<bool> serving_{false};
  std::atomic<std::size_t> served_{0};
};

}  // namespace ekyc
