#include "Platform/PcscCardReader.hpp"

#include <chrono>
#include <condition_variable>

#include <PCSC/pcsclite.h>

#include "Platform/PcscCardConnection.hpp"
#include "Platform/PcscContext.hpp"

namespace ekyc {

namespace {

// Each wait is bounded, so that a cancel arriving just before it began is seen soon, and so that
// a listing on another context, which takes turns with it (PcscContext), waits little.
constexpr DWORD WAIT_SLICE_MS = 100;

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

std::shared_ptr<PcscContext> PcscCardReader::keptContext(LONG& error, bool& fresh) {
  std::lock_guard lock(contextMutex_);
  fresh = !context_;
  if (!context_) context_ = PcscContext::establish(&error);
  return context_;
}

void PcscCardReader::forget(const std::shared_ptr<PcscContext>& dead) {
  std::shared_ptr<PcscContext> dropped;  // released after the lock
  std::lock_guard lock(contextMutex_);
  if (context_ == dead) dropped.swap(context_);
}

std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> PcscCardReader::waitForCards(
    std::stop_token stop) {
  // A kept context that fails may be one the service has dropped since: once more on a new one.
  for (;;) {
    LONG rv = SCARD_S_SUCCESS;
    bool fresh = false;
    auto context = keptContext(rv, fresh);
    if (!context) return std::unexpected(serviceFailure("SCardEstablishContext", rv));
    auto cards = watch(context, stop);
    if (cards) return std::move(*cards);
    if (cards.error().result == SCARD_E_CANCELLED) break;
    forget(context);
    if (fresh) return std::unexpected(serviceFailure(cards.error().call, cards.error().result));
  }
  return std::unexpected(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled,
                                          "Session invalidated by user"));
}

std::expected<PcscCardReader::Cards, PcscCardReader::Failure> PcscCardReader::watch(
    const std::shared_ptr<PcscContext>& context, std::stop_token stop) const {
  std::stop_callback cancelWait(stop, [&context] { context->cancel(); });
  std::string reader;
  DWORD known = SCARD_STATE_UNAWARE;
  while (!stop.stop_requested()) {
    if (reader.empty()) {
      LONG listed = SCARD_S_SUCCESS;
      reader = pick(context->readers(&listed));
      if (listed == SCARD_E_NO_SERVICE || listed == SCARD_E_SERVICE_STOPPED || listed == SCARD_E_INVALID_HANDLE) {
        return std::unexpected(Failure{"SCardListReaders", listed});
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
    const LONG rv = context->waitForChange(state, WAIT_SLICE_MS);
    if (rv == SCARD_E_TIMEOUT) continue;
    if (rv == SCARD_E_CANCELLED) break;
    if (rv == SCARD_E_UNKNOWN_READER || rv == SCARD_E_READER_UNAVAILABLE) {
      reader.clear();
      continue;
    }
    if (rv != SCARD_S_SUCCESS) return std::unexpected(Failure{"SCardGetStatusChange", rv});
    known = state.dwEventState & ~static_cast<DWORD>(SCARD_STATE_CHANGED);
    if (state.dwEventState & (SCARD_STATE_UNKNOWN | SCARD_STATE_IGNORE)) {
      reader.clear();
      continue;
    }
    if ((state.dwEventState & SCARD_STATE_PRESENT) && !(state.dwEventState & SCARD_STATE_MUTE)) {
      Cards cards;
      cards.push_back(std::make_shared<PcscCardConnection>(context, reader));
      return cards;
    }
  }
  return std::unexpected(Failure{"SCardGetStatusChange", SCARD_E_CANCELLED});
}

}  // namespace ekyc
