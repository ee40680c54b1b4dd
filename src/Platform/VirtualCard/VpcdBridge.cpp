#include "Platform/VirtualCard/VpcdBridge.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

namespace {

bool readExactly(int socket, std::uint8_t* into, std::size_t size) {
  while (size > 0) {
    // vpcd writes a message's length and its body separately; acknowledging at once lets the body
    // follow without waiting for a delayed ACK (Linux clears this flag again, so set it each time).
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof(on));
    const ssize_t n = ::recv(socket, into, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool writeMessage(int socket, const Bytes& message) {
  Bytes framed;
  framed.reserve(message.size() + 2);
  framed.push_back(static_cast<std::uint8_t>((message.size() >> 8) & 0xFF));
  framed.push_back(static_cast<std::uint8_t>(message.size() & 0xFF));
  framed.insert(framed.end(), message.begin(), message.end());
  const std::uint8_t* at = framed.data();
  std::size_t left = framed.size();
  while (left > 0) {
    const ssize_t n = ::send(socket, at, left, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

int connectTo(const std::string& host, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  // Without it every answer waits for the peer's delayed ACK.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
  return fd;
}

}  // namespace

VpcdBridge::VpcdBridge(std::shared_ptr<VirtualCard> card, std::uint16_t port, std::string host)
    : card_(std::move(card)), port_(port), host_(std::move(host)) {}

VpcdBridge::~VpcdBridge() { stop(); }

bool VpcdBridge::start(std::chrono::milliseconds limit) {
  stop();
  const auto until = std::chrono::steady_clock::now() + limit;
  int fd = -1;
  while ((fd = connectTo(host_, port_)) < 0) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  {
    std::lock_guard lock(mutex_);
    socket_ = fd;
  }
  card_->reinsert();
  serving_ = true;
  thread_ = std::thread([this, fd] { serve(fd); });
  return true;
}

void VpcdBridge::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);  // wakes the serving thread
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  stopping_ = false;
  serving_ = false;
}

void VpcdBridge::serve(int socket) {
  Bytes message;
  for (;;) {
    std::uint8_t header[2];
    if (!readExactly(socket, header, 2)) break;
    const std::size_t length = (std::size_t{header[0]} << 8) | header[1];
    message.resize(length);
    if (length > 0 && !readExactly(socket, message.data(), length)) break;
    if (length == 1) {
      const std::uint8_t control = message[0];
      if (control == 0x00) card_->powerOff();
      if (control == 0x01 || control == 0x02) card_->powerOn();  // power on, reset
      if (control == 0x04 && !writeMessage(socket, card_->atr())) break;
      continue;
    }
    if (length == 0) continue;
    VirtualCardAnswer answer = card_->transmit(message);
    if (answer.removed) break;  // the card leaves the reader: vpcd sees the connection close
    if (answer.delay.count() > 0) {
      std::unique_lock lock(mutex_);
      if (wake_.wait_for(lock, answer.delay, [this] { return stopping_; })) break;
    }
    ++served_;
    if (!writeMessage(socket, answer.bytes)) break;
  }
  ::shutdown(socket, SHUT_RDWR);
  serving_ = false;
}

}  // namespace ekyc
