#include "Platform/PcscCardReader.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <PCSC/pcsclite.h>

#include "Platform/PcscCardConnection.hpp"
#include "Platform/PcscContext.hpp"

namespace ekyc {

namespace {

// Each wait is bounded, so that a cancel arriving just before it began is seen soon.
constexpr DWORD WAIT_SLICE_MS = 500;

NFCError serviceFailure(const std::string& what, LONG rv) {
  return NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly,
                          what + ": " + PcscContext::describe(rv));
}

void pause(std::stop_token stop, std::chrono::milliseconds duration) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  wake.wait_for(lock, stop, duration, [] { return false; });
}

}  // namespace

PcscCardReader::PcscCardReader(std::string readerNameContains) : filter_(std::move(readerNameContains)) {}

std::string PcscCardReader::pick(const std::vector<std::string>& readers) const {
  for (const auto& name : readers) {
    if (filter_.empty() || name.find(filter_) != std::string::npos) return name;
  }
  return {};
}

bool PcscCardReader::isAvailable() {
  auto context = PcscContext::establish();
  return context && !pick(context->readers()).empty();
}

std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> PcscCardReader::waitForCards(
    std::stop_token stop) {
  LONG rv = SCARD_S_SUCCESS;
  auto context = PcscContext::establish(&rv);
  if (!context) return std::unexpected(serviceFailure("SCardEstablishContext", rv));
  std::stop_callback cancelWait(stop, [context] { context->cancel(); });

  std::string reader;
  DWORD known = SCARD_STATE_UNAWARE;
  while (!stop.stop_requested()) {
    if (reader.empty()) {
      LONG listed = SCARD_S_SUCCESS;
      reader = pick(context->readers(&listed));
      if (listed == SCARD_E_NO_SERVICE || listed == SCARD_E_SERVICE_STOPPED) {
        return std::unexpected(serviceFailure("SCardListReaders", listed));
      }
      if (reader.empty()) {  // no reader yet: look again shortly
        pause(stop, std::chrono::milliseconds(200));
        continue;
      }
      known = SCARD_STATE_UNAWARE;
    }
    SCARD_READERSTATE state{};
    state.szReader = reader.c_str();
    state.dwCurrentState = known;
    rv = SCardGetStatusChange(context->handle(), WAIT_SLICE_MS, &state, 1);
    if (rv == SCARD_E_TIMEOUT) continue;
    if (rv == SCARD_E_CANCELLED) break;
    if (rv == SCARD_E_UNKNOWN_READER || rv == SCARD_E_READER_UNAVAILABLE) {
      reader.clear();
      continue;
    }
    if (rv != SCARD_S_SUCCESS) return std::unexpected(serviceFailure("SCardGetStatusChange", rv));
    known = state.dwEventState & ~static_cast<DWORD>(SCARD_STATE_CHANGED);
    if (state.dwEventState & (SCARD_STATE_UNKNOWN | SCARD_STATE_IGNORE)) {
      reader.clear();
      continue;
    }
    if ((state.dwEventState & SCARD_STATE_PRESENT) && !(state.dwEventState & SCARD_STATE_MUTE)) {
      std::vector<std::shared_ptr<CardConnection>> cards;
      cards.push_back(std::make_shared<PcscCardConnection>(context, reader));
      return cards;
    }
  }
  return std::unexpected(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled,
                                          "Session invalidated by user"));
}

}  // namespace ekyc
