#include "Platform/PcscContext.hpp"

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include <PCSC/pcsclite.h>

namespace ekyc {

namespace {

// Turns on pcsc-lite's table of reader states, process-wide as the table is, first come first
// served: a wait that begins again right after its bound does not starve a listing that asked
// meanwhile.
class TableTurn {
 public:
  TableTurn() : turns_(turns()) {
    std::unique_lock lock(turns_.mutex);
    const std::uint64_t mine = turns_.next++;
    turns_.changed.wait(lock, [this, mine] { return turns_.serving == mine; });
  }
  ~TableTurn() {
    {
      std::lock_guard lock(turns_.mutex);
      ++turns_.serving;
    }
    turns_.changed.notify_all();
  }
  TableTurn(const TableTurn&) = delete;
  TableTurn& operator=(const TableTurn&) = delete;

 private:
  struct Turns {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t next = 0;
    std::uint64_t serving = 0;
  };
  static Turns& turns() {
    static Turns shared;
    return shared;
  }
  Turns& turns_;
};

}  // namespace

std::shared_ptr<PcscContext> PcscContext::establish(LONG* error) {
  SCARDCONTEXT handle = 0;
  const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &handle);
  if (error) *error = rv;
  if (rv != SCARD_S_SUCCESS) return nullptr;
  return std::shared_ptr<PcscContext>(new PcscContext(handle));
}

PcscContext::~PcscContext() { SCardReleaseContext(handle_); }

void PcscContext::cancel() const { SCardCancel(handle_); }

LONG PcscContext::waitForChange(SCARD_READERSTATE& state, DWORD timeoutMs) const {
  TableTurn turn;
  return SCardGetStatusChange(handle_, timeoutMs, &state, 1);
}

std::vector<std::string> PcscContext::readers(LONG* error) const {
  std::vector<std::string> names;
  TableTurn turn;
  DWORD size = 0;
  LONG rv = SCardListReaders(handle_, nullptr, nullptr, &size);
  if (rv == SCARD_S_SUCCESS && size > 0) {
    std::string buffer(size, '\0');
    rv = SCardListReaders(handle_, nullptr, buffer.data(), &size);
    if (rv == SCARD_S_SUCCESS) {
      // A multi-string: names separated by NUL, ended by an empty one.
      for (std::size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
        std::string name(buffer.c_str() + at);
        at += name.size() + 1;
        names.push_back(std::move(name));
      }
    }
  }
  if (error) *error = rv;
  return names;
}

std::string PcscContext::describe(LONG result) { return pcsc_stringify_error(result); }

}  // namespace ekyc
