// The NFC layer's cost per APDU: one 5498-byte extended READ BINARY and a 16-command chain, through
// the session layer on the in-process virtual reader and on PC/SC (pcscd with vpcd on loopback),
// beside a replay of the same chain with raw SCardTransmit calls and the modelled air time
// (about 23.6 us a byte at 424 kbit/s). The PC/SC ones skip where pcscd cannot run.
#include <benchmark/benchmark.h>

#include <PCSC/pcsclite.h>
#include <PCSC/winscard.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "BenchSupport.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/Platform.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"

using namespace ekyc;
using namespace ekyc::bench;

namespace {

NFCISO7816APDU select(std::uint16_t id) {
  return NFCISO7816APDU(0x00, 0xA4, 0x02, 0x0C, Bytes{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)},
                        std::nullopt);
}
NFCISO7816APDU read(std::size_t le) { return NFCISO7816APDU(0x00, 0xB0, 0x00, 0x00, {}, le); }

std::vector<NFCISO7816APDU> unlockCommands() {
  return {NFCISO7816APDU(0x00, 0xA4, 0x04, 0x0C, VirtualSampleCard::AID, std::nullopt),
          select(VirtualSampleCard::PIN_FILE), NFCISO7816APDU(0x00, 0x20, 0x00, 0x80, toBytes("1234"), std::nullopt)};
}

// Sixteen commands shaped like a reader's chain: application, PIN, then selects and reads.
std::vector<NFCISO7816APDU> chain16() {
  auto chain = unlockCommands();
  for (std::size_t le : {17, 568, 1664, 336, 1024, 17}) {
    chain.push_back(select(le == 17 ? VirtualSampleCard::FREE_FILE : VirtualSampleCard::PROTECTED_FILE));
    chain.push_back(read(le));
  }
  chain.push_back(select(VirtualSampleCard::FREE_FILE));
  return chain;  // 3 + 12 + 1
}

// Wall-clock microseconds per APDU over the measured loop.
double perApdu(std::chrono::steady_clock::duration elapsed, benchmark::IterationCount iterations, double apdus) {
  if (iterations == 0) return 0;
  return std::chrono::duration<double, std::micro>(elapsed).count() / (static_cast<double>(iterations) * apdus);
}

double airMicroseconds(const std::vector<NFCISO7816APDU>& commands, const std::vector<std::size_t>& answerSizes) {
  std::size_t bytes = 0;
  for (const auto& c : commands) bytes += c.encoded().size();
  for (std::size_t s : answerSizes) bytes += s;
  return static_cast<double>(bytes) * kAirMicrosecondsPerByte;
}

// A begun session connected to the card, driven from the benchmark thread.
class SessionHarness : public NFCTagReaderSessionDelegate, public std::enable_shared_from_this<SessionHarness> {
 public:
  bool open(const Platform& platform) {
    reader_ = platform.cardReader;
    session_ = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, shared_from_this());
    if (!session_) return false;
    auto connected = connected_.get_future();
    session_->begin();
    if (connected.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return false;
    return tag_ != nullptr;
  }
  void close() {
    if (session_) session_->invalidate();
    auto ended = ended_.get_future();
    ended.wait_for(std::chrono::seconds(20));
    session_.reset();
    tag_.reset();
    // The session lets the card go (reset) just after its end; the next user waits for that.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (reader_ && reader_->activeSessionCount() > 0 && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  // Runs the commands one after the other, `times` over, each from the completion of the one
  // before (as a reader's chain runs: the benchmark thread hands over once and is woken once);
  // returns the answer sizes (data + status) of the last time, or nothing when one failed.
  std::optional<std::vector<std::size_t>> run(const std::vector<NFCISO7816APDU>& commands, int times = 1) {
    std::promise<std::optional<std::vector<std::size_t>>> done;
    auto future = done.get_future();
    auto sizes = std::make_shared<std::vector<std::size_t>>();
    auto step = std::make_shared<std::function<void(std::size_t)>>();
    const std::size_t total = commands.size() * static_cast<std::size_t>(times);
    *step = [this, &commands, &done, sizes, step, total](std::size_t i) {
      if (i == total) {
        done.set_value(*sizes);
        return;
      }
      const std::size_t at = i % commands.size();
      if (at == 0) sizes->clear();
      tag_->sendCommand(commands[at], [&done, sizes, step, i](Bytes data, std::uint8_t sw1, std::uint8_t,
                                                              std::optional<NFCError> error) {
        if (error || sw1 != 0x90) {
          done.set_value(std::nullopt);
          return;
        }
        sizes->push_back(data.size() + 2);
        (*step)(i + 1);
      });
    };
    (*step)(0);
    auto result = future.get();
    *step = nullptr;  // breaks the self-reference
    return result;
  }

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override {}
  void tagReaderSession(NFCTagReaderSession& session, const std::vector<std::shared_ptr<NFCTag>>& tags) override {
    auto tag = tags.at(0);
    session.connect(tag, [this, tag](std::optional<NFCError> error) {
      if (!error) tag_ = tag->iso7816();
      connected_.set_value();
    });
  }
  void tagReaderSession(NFCTagReaderSession&, const NFCError&) override { ended_.set_value(); }

 private:
  std::shared_ptr<CardReader> reader_;
  std::shared_ptr<NFCTagReaderSession> session_;
  std::shared_ptr<NFCISO7816Tag> tag_;
  std::promise<void> connected_;
  std::promise<void> ended_;
};

// Replays encoded commands with raw SCardTransmit calls on a connected card, `times` over; the
// first failure (a result code, an answer without a status word or with one other than 90 00) as
// text, so that a chain that fails is never taken for a fast one.
std::optional<std::string> replayRaw(SCARDHANDLE card, const std::vector<Bytes>& encoded, int times, Bytes& receive) {
  for (int round = 0; round < times; ++round) {
    for (const auto& command : encoded) {
      DWORD length = static_cast<DWORD>(receive.size());
      const LONG rv = SCardTransmit(card, SCARD_PCI_T1, command.data(), static_cast<DWORD>(command.size()), nullptr,
                                    receive.data(), &length);
      if (rv != SCARD_S_SUCCESS) return std::string("SCardTransmit: ") + pcsc_stringify_error(rv);
      if (length < 2 || receive[length - 2] != 0x90 || receive[length - 1] != 0x00) {
        return "the card refused a command of the raw replay";
      }
    }
  }
  return std::nullopt;
}

// A raw PC/SC connection to the card, in a transaction (as a session holds the card); disconnected
// with a reset.
class RawCard {
 public:
  RawCard(SCARDCONTEXT context, const std::string& reader) {
    LONG rv = SCardConnect(context, reader.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card_, &protocol_);
    if (rv == SCARD_S_SUCCESS) {
      connected_ = true;
      rv = SCardBeginTransaction(card_);
    }
    if (rv != SCARD_S_SUCCESS) failure_ = std::string("SCardConnect or SCardBeginTransaction: ") + pcsc_stringify_error(rv);
  }
  ~RawCard() {
    if (!connected_) return;
    SCardEndTransaction(card_, SCARD_LEAVE_CARD);
    SCardDisconnect(card_, SCARD_RESET_CARD);
  }
  RawCard(const RawCard&) = delete;
  RawCard& operator=(const RawCard&) = delete;

  SCARDHANDLE handle() const { return card_; }
  // Why the card could not be had; empty when it is connected.
  const std::string& failure() const { return failure_; }

 private:
  SCARDHANDLE card_ = 0;
  DWORD protocol_ = 0;
  bool connected_ = false;
  std::string failure_;
};

void runChain(benchmark::State& state, const Platform& platform, const std::vector<NFCISO7816APDU>& prelude,
              const std::vector<NFCISO7816APDU>& measured) {
  auto harness = std::make_shared<SessionHarness>();
  if (!harness->open(platform)) {
    state.SkipWithError("no card could be connected");
    return;
  }
  if (!prelude.empty() && !harness->run(prelude)) {
    state.SkipWithError("the card refused the preparing commands");
    harness->close();
    return;
  }
  std::vector<std::size_t> sizes;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    auto answered = harness->run(measured);
    if (!answered) {
      state.SkipWithError("a command failed");
      break;
    }
    sizes = *answered;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  harness->close();
  const double apdus = static_cast<double>(measured.size());
  state.counters["us_per_apdu"] = perApdu(elapsed, state.iterations(), apdus);
  state.counters["air_us_per_apdu"] = airMicroseconds(measured, sizes) / apdus;
}

// ---- In-process virtual reader ----

Platform virtualPlatform() {
  auto reader = std::make_shared<VirtualCardReader>();
  reader->present(VirtualSampleCard::make());
  Platform platform;
  platform.cardReader = reader;
  return platform;
}

void BM_Virtual_ExtendedRead5498(benchmark::State& state) {
  auto prelude = unlockCommands();
  prelude.push_back(select(VirtualSampleCard::PROTECTED_FILE));
  runChain(state, virtualPlatform(), prelude, {read(VirtualSampleCard::PROTECTED_SIZE)});
}
BENCHMARK(BM_Virtual_ExtendedRead5498)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Virtual_Chain16(benchmark::State& state) { runChain(state, virtualPlatform(), {}, chain16()); }
BENCHMARK(BM_Virtual_Chain16)->UseRealTime()->Unit(benchmark::kMicrosecond);

// ---- PC/SC through pcscd and vpcd ----

struct PcscSetup {
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
  std::string whyNot;
  Platform platform;
};

PcscSetup& pcsc() {
  static PcscSetup setup = [] {
    PcscSetup s;
    s.daemon = PcscDaemon::start(s.whyNot);
    if (!s.daemon) return s;
    s.bridge = std::make_unique<VpcdBridge>(VirtualSampleCard::make(), s.daemon->vpcdPort());
    if (!s.bridge->start()) {
      s.whyNot = "vpcd did not take the virtual card";
      s.bridge.reset();
      s.daemon.reset();
      return s;
    }
    // The card may still be coming up in the reader: the raw replays connect to it at once.
    SCARDCONTEXT context = 0;
    bool ready = false;
    if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context) == SCARD_S_SUCCESS) {
      for (int i = 0; i < 100 && !ready; ++i) {
        ready = RawCard(context, s.daemon->readerName()).failure().empty();
        if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      SCardReleaseContext(context);
    }
    if (!ready) {
      s.whyNot = "the card did not come up in the vpcd reader";
      s.bridge.reset();
      s.daemon.reset();
      return s;
    }
    s.platform.cardReader = std::make_shared<PcscCardReader>(s.daemon->readerName());
    return s;
  }();
  return setup;
}

void BM_Pcsc_ExtendedRead5498(benchmark::State& state) {
  if (!pcsc().daemon) {
    state.SkipWithError(("pcscd cannot run here: " + pcsc().whyNot).c_str());
    return;
  }
  auto prelude = unlockCommands();
  prelude.push_back(select(VirtualSampleCard::PROTECTED_FILE));
  runChain(state, pcsc().platform, prelude, {read(VirtualSampleCard::PROTECTED_SIZE)});
}
BENCHMARK(BM_Pcsc_ExtendedRead5498)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_Pcsc_Chain16(benchmark::State& state) {
  if (!pcsc().daemon) {
    state.SkipWithError(("pcscd cannot run here: " + pcsc().whyNot).c_str());
    return;
  }
  runChain(state, pcsc().platform, {}, chain16());
}
BENCHMARK(BM_Pcsc_Chain16)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same chain replayed with raw SCardTransmit calls: what PC/SC itself costs.
void BM_Pcsc_RawSCardTransmitChain16(benchmark::State& state) {
  if (!pcsc().daemon) {
    state.SkipWithError(("pcscd cannot run here: " + pcsc().whyNot).c_str());
    return;
  }
  SCARDCONTEXT context = 0;
  if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context) != SCARD_S_SUCCESS) {
    state.SkipWithError("no PC/SC context");
    return;
  }
  std::vector<Bytes> encoded;
  for (const auto& c : chain16()) encoded.push_back(c.encoded());
  Bytes receive(65538);
  std::chrono::steady_clock::duration elapsed{};
  {
    RawCard card(context, pcsc().daemon->readerName());
    if (!card.failure().empty()) {
      state.SkipWithError(card.failure().c_str());
    } else {
      const auto start = std::chrono::steady_clock::now();
      for (auto _ : state) {
        if (auto failure = replayRaw(card.handle(), encoded, 1, receive)) {
          state.SkipWithError(failure->c_str());
          break;
        }
      }
      elapsed = std::chrono::steady_clock::now() - start;
    }
  }
  SCardReleaseContext(context);
  state.counters["us_per_apdu"] = perApdu(elapsed, state.iterations(), static_cast<double>(encoded.size()));
}
BENCHMARK(BM_Pcsc_RawSCardTransmitChain16)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A PC/SC connection that notes when each transmit begins and ends, so that what the session adds
// between two commands (the hand-over to the callback queue, the completion, the next command's
// way back to the I/O thread) can be told apart from what PC/SC itself takes.
class TimedConnection : public CardConnection {
 public:
  explicit TimedConnection(std::shared_ptr<CardConnection> inner) : inner_(std::move(inner)) {}
  bool isISO7816() const override { return inner_->isISO7816(); }
  std::optional<NFCError> connect() override { return inner_->connect(); }
  std::expected<Bytes, NFCError> transmit(const NFCISO7816APDU& apdu, std::stop_token stop) override {
    const auto start = std::chrono::steady_clock::now();
    auto answer = inner_->transmit(apdu, stop);
    const auto end = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    if (lastEnd_) gaps_ += start - *lastEnd_;
    inside_ += end - start;
    lastEnd_ = end;
    return answer;
  }
  void disconnect() override { inner_->disconnect(); }

  // Restarts the count; the first command after it has no gap.
  void restart() {
    std::lock_guard lock(mutex_);
    lastEnd_.reset();
    gaps_ = {};
    inside_ = {};
  }
  // Ends a chain: its last command has no successor.
  void endChain() {
    std::lock_guard lock(mutex_);
    lastEnd_.reset();
  }
  std::pair<std::chrono::steady_clock::duration, std::chrono::steady_clock::duration> totals() {
    std::lock_guard lock(mutex_);
    return {inside_, gaps_};
  }

 private:
  const std::shared_ptr<CardConnection> inner_;
  std::mutex mutex_;
  std::optional<std::chrono::steady_clock::time_point> lastEnd_;
  std::chrono::steady_clock::duration gaps_{};
  std::chrono::steady_clock::duration inside_{};
};

class TimedReader : public CardReader {
 public:
  explicit TimedReader(std::shared_ptr<CardReader> inner) : inner_(std::move(inner)) {}
  bool isAvailable() override { return inner_->isAvailable(); }
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override {
    auto cards = inner_->waitForCards(stop);
    if (!cards) return cards;
    std::lock_guard lock(mutex_);
    connections_.clear();
    for (auto& card : *cards) {
      auto timed = std::make_shared<TimedConnection>(card);
      connections_.push_back(timed);
      card = timed;
    }
    return cards;
  }
  std::shared_ptr<TimedConnection> first() {
    std::lock_guard lock(mutex_);
    return connections_.empty() ? nullptr : connections_.front();
  }

 private:
  const std::shared_ptr<CardReader> inner_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<TimedConnection>> connections_;
};

// The 16-command chain through the session over PC/SC, split into the time spent inside
// SCardTransmit and the time between the end of one command and the start of the next, which is
// all the session adds to a raw replay (gap_pct: that time against PC/SC's own; the target is at
// most 20). Steadier on a busy machine than comparing two separate runs.
void BM_Pcsc_Chain16SessionGaps(benchmark::State& state) {
  if (!pcsc().daemon) {
    state.SkipWithError(("pcscd cannot run here: " + pcsc().whyNot).c_str());
    return;
  }
  auto reader = std::make_shared<TimedReader>(pcsc().platform.cardReader);
  Platform platform;
  platform.cardReader = reader;
  auto harness = std::make_shared<SessionHarness>();
  if (!harness->open(platform) || !reader->first()) {
    state.SkipWithError("no card could be connected");
    return;
  }
  auto timed = reader->first();
  const auto chain = chain16();
  timed->restart();
  for (auto _ : state) {
    if (!harness->run(chain)) {
      state.SkipWithError("a command failed");
      break;
    }
    timed->endChain();
  }
  harness->close();
  const auto [inside, gaps] = timed->totals();
  const double apdus = static_cast<double>(chain.size());
  const double insideUs = perApdu(inside, state.iterations(), apdus);
  const double gapUs = perApdu(gaps, state.iterations(), apdus - 1);
  state.counters["pcsc_us_per_apdu"] = insideUs;
  state.counters["session_gap_us"] = gapUs;
  state.counters["gap_pct"] = insideUs > 0 ? 100.0 * gapUs * (apdus - 1) / (insideUs * apdus) : 0;
}
BENCHMARK(BM_Pcsc_Chain16SessionGaps)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The session and the raw replay taken in turns, so that both see the same load on the machine:
// each round runs a few chains through a session and the same chains with raw SCardTransmit calls
// on a connection and a thread of their own, each side first every other round (each holds the
// card in a transaction meanwhile, as a session does; opening and closing is outside the timing).
// Both sides run on a context kept from before (the reader's, the benchmark's); the session's
// chains run back to back from the completions, as a request's chain does, and the raw replay
// checks every result code and status word, so a failing side stops the benchmark with an error.
// median_overhead_pct is the session's share over PC/SC itself (median of the rounds; the target
// is at most 10). Run with taskset -c 0 for the figure on one CPU, taskset -c 0-3 on four.
void BM_Pcsc_SessionAgainstRawInTurns(benchmark::State& state) {
  if (!pcsc().daemon) {
    state.SkipWithError(("pcscd cannot run here: " + pcsc().whyNot).c_str());
    return;
  }
  constexpr int kChainsPerRound = 8;
  const auto chain = chain16();
  std::vector<Bytes> encoded;
  for (const auto& c : chain) encoded.push_back(c.encoded());
  Bytes receive(65538);
  SCARDCONTEXT context = 0;
  if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context) != SCARD_S_SUCCESS) {
    state.SkipWithError("no PC/SC context");
    return;
  }
  std::chrono::steady_clock::duration session{};
  std::chrono::steady_clock::duration raw{};
  // Per-round ratios: their median is steadier than the sums on a busy machine.
  std::vector<double> ratios;
  // Each turn says why it failed, or nothing.
  auto sessionTurnOf = [&](std::chrono::steady_clock::duration& took) -> std::optional<std::string> {
    auto harness = std::make_shared<SessionHarness>();
    if (!harness->open(pcsc().platform)) return "no card could be connected";
    // The chains back to back from the completions, as a request's chain runs.
    const auto began = std::chrono::steady_clock::now();
    const bool ok = harness->run(chain, kChainsPerRound).has_value();
    took = std::chrono::steady_clock::now() - began;
    harness->close();
    if (!ok) return "a command of the session failed";
    return std::nullopt;
  };
  auto rawTurnOf = [&](std::chrono::steady_clock::duration& took) -> std::optional<std::string> {
    RawCard card(context, pcsc().daemon->readerName());
    if (!card.failure().empty()) return card.failure();
    std::optional<std::string> failure;
    // On a thread of its own, as a session's chain runs on its own threads.
    std::thread([&] {
      const auto began = std::chrono::steady_clock::now();
      failure = replayRaw(card.handle(), encoded, kChainsPerRound, receive);
      took = std::chrono::steady_clock::now() - began;
    }).join();
    return failure;
  };
  bool sessionFirst = true;
  for (auto _ : state) {
    std::chrono::steady_clock::duration sessionTurn{};
    std::chrono::steady_clock::duration rawTurn{};
    // Each side goes first every other round.
    std::optional<std::string> failure = sessionFirst ? sessionTurnOf(sessionTurn) : rawTurnOf(rawTurn);
    if (!failure) failure = sessionFirst ? rawTurnOf(rawTurn) : sessionTurnOf(sessionTurn);
    sessionFirst = !sessionFirst;
    if (failure) {
      state.SkipWithError(failure->c_str());
      break;
    }
    session += sessionTurn;
    raw += rawTurn;
    ratios.push_back(std::chrono::duration<double>(sessionTurn).count() / std::chrono::duration<double>(rawTurn).count());
  }
  SCardReleaseContext(context);
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["median_overhead_pct"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
  }
  const double apdus = static_cast<double>(chain.size()) * kChainsPerRound;
  const double sessionUs = perApdu(session, state.iterations(), apdus);
  const double rawUs = perApdu(raw, state.iterations(), apdus);
  state.counters["session_us_per_apdu"] = sessionUs;
  state.counters["raw_us_per_apdu"] = rawUs;
  state.counters["overhead_pct"] = rawUs > 0 ? 100.0 * (sessionUs - rawUs) / rawUs : 0;
}
BENCHMARK(BM_Pcsc_SessionAgainstRawInTurns)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
