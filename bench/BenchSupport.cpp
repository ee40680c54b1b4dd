#include "BenchSupport.hpp"

#include <time.h>

#include <chrono>
#include <cstdint>
#include <iostream>
#include <thread>

#include "PKI/DigestInfo.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"

namespace ekyc::bench {

namespace {

// The library's console lines ("Response OK", "isConst", "verify Response OK", on std::clog) come
// once per request: thousands of them would bury the figures (std::cout) and the run's context
// (std::cerr), so the benchmarks send std::clog nowhere, before any request runs.
[[maybe_unused]] const bool consoleLinesDropped = (std::clog.rdbuf(nullptr), true);

}  // namespace

Bytes jisText(std::size_t characters) {
  static const std::uint16_t codes[] = {0x3B33, 0x4544, 0x2422, 0x3021, 0x256B, 0x4C5A, 0x2D35, 0xFFF1, 0x3E2E,
                                        0x4F3A};
  Bytes out;
  out.reserve(characters * 2);
  for (std::size_t i = 0; i < characters; ++i) {
    const std::uint16_t c = codes[i % (sizeof codes / sizeof codes[0])];
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
  }
  return out;
}

void reportNsPerByte(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(bytes), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

double processCpuMicroseconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

const VirtualJpkiContents& sharedJpkiContents() {
  static const VirtualJpkiContents made = VirtualJpkiContents::make(VirtualJpkiContents::Keys::generate());
  return made;
}

double cardRsaMicroseconds() {
  static const double measured = [] {
    const Bytes info = DigestInfo(toBytes("x"), "SHA-256").create();
    constexpr int rounds = 50;
    const double start = processCpuMicroseconds();
    for (int i = 0; i < rounds; ++i) {
      benchmark::DoNotOptimize(VirtualJpkiContents::sign(sharedJpkiContents().signingKey.get(), info));
    }
    return (processCpuMicroseconds() - start) / rounds;
  }();
  return measured;
}

void ResultLatch::signal(bool ok) {
  std::lock_guard lock(mutex_);
  arrived_ = true;
  ok_ = ok;
  changed_.notify_all();
}

bool ResultLatch::wait() {
  std::unique_lock lock(mutex_);
  const bool arrived = changed_.wait_for(lock, std::chrono::seconds(20), [this] { return arrived_; });
  arrived_ = false;
  return arrived && ok_;
}

RequestRig::RequestRig(std::shared_ptr<VirtualCard> theCard, double timeoutSeconds) : card(std::move(theCard)) {
  reader->present(card);
  Platform platform;
  platform.cardReader = reader;
  identify = Identify::create(std::make_shared<ScriptedViewController>(std::make_shared<RunLoop>()), timeoutSeconds,
                              platform);
}

void RequestRig::settle() const {
  while (reader->activeSessionCount() != 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
}

std::size_t RequestRig::airBytes() const {
  std::size_t bytes = 0;
  for (const auto& entry : card->log()) bytes += entry.command.size() + entry.answer.size();
  return bytes;
}

void measureAirTime(benchmark::State& state, RequestRig& rig, ResultLatch& latch, const std::function<void()>& start) {
  const auto once = [&] {
    start();
    const bool ok = latch.wait();
    rig.settle();
    return ok;
  };
  if (!once()) {
    state.SkipWithError("the request failed");
    return;
  }
  for (auto _ : state) {
    rig.card->clearLog();
    if (!once()) {
      state.SkipWithError("the request failed");
      return;
    }
  }
  const std::size_t bytes = rig.airBytes();
  state.counters["apdus"] = static_cast<double>(rig.card->log().size());
  state.counters["air_bytes"] = static_cast<double>(bytes);
  state.counters["air_ms"] = static_cast<double>(bytes) * kAirMicrosecondsPerByte / 1000.0;
}

void measureCpuAgainstAir(benchmark::State& state, RequestRig& rig, ResultLatch& latch,
                          const std::function<void()>& start) {
  cardRsaMicroseconds();
  double cpu = 0;
  double air = 0;
  for (auto _ : state) {
    rig.card->clearLog();
    const double begun = processCpuMicroseconds();
    start();
    if (!latch.wait()) {
      state.SkipWithError("the request failed");
      break;
    }
    rig.settle();
    cpu += processCpuMicroseconds() - begun;
    air = static_cast<double>(rig.airBytes()) * kAirMicrosecondsPerByte;
  }
  const double n = static_cast<double>(state.iterations());
  if (n == 0) return;
  const double perRequest = cpu / n;
  const double library = perRequest - cardRsaMicroseconds();
  state.counters["cpu_us"] = perRequest;
  state.counters["card_rsa_us"] = cardRsaMicroseconds();
  state.counters["library_us"] = library;
  state.counters["air_us"] = air;
  state.counters["library_pct"] = 100.0 * library / air;
}

}  // namespace ekyc::bench
