// What the request benchmarks share: the modelled air time, process CPU time, the virtual
// Individual Number Card's JPKI contents and the card's own RSA cost, the latch a host delegate
// signals with each result, and the rig and loops that run a request on a virtual card reader and
// report its counters.
#pragma once

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

#include "Identify/Identify.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VirtualJpkiContents.hpp"

namespace ekyc::bench {

// About 23.6 us a byte on air at 424 kbit/s (command and answer bytes).
inline constexpr double kAirMicrosecondsPerByte = 23.6;

// JIS X 0208 text of n characters (two bytes each) cycling through kana, kanji, a Roman numeral
// and an external character.
Bytes jisText(std::size_t characters);

// Reports "ns_per_byte": CPU time per byte of `bytes`, the input one iteration handles, in seconds
// (printed with its prefix, as "3.2ns").
void reportNsPerByte(benchmark::State& state, std::size_t bytes);

// CPU time of the whole process (every thread), in microseconds.
double processCpuMicroseconds();

// The JPKI contents of the virtual card, keys made once before anything is measured.
const VirtualJpkiContents& sharedJpkiContents();

// CPU time of one card-side signature, the work the card does at COMPUTE DIGITAL SIGNATURE
// (measured alone, once).
double cardRsaMicroseconds();

// Signalled by a host delegate with each result; wakes the benchmark thread.
class ResultLatch {
 public:
  void signal(bool ok);
  // Waits for the next result; false when it was a failure or none came within 20 seconds.
  bool wait();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool arrived_ = false;
  bool ok_ = false;
};

// The facade on a virtual reader holding one card, with a scripted view controller.
struct RequestRig {
  RequestRig(std::shared_ptr<VirtualCard> card, double timeoutSeconds);

  // After the result the session still ends; the next request waits for that.
  void settle() const;
  // Command and answer bytes in the card's log.
  std::size_t airBytes() const;

  std::shared_ptr<VirtualCard> card;
  std::shared_ptr<VirtualCardReader> reader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<Identify> identify;
};

// Runs one request (`start` sets the PINs and calls the facade; `latch` gets the result) once
// unmeasured, then once per iteration, and reports the last one's "apdus", "air_bytes" and
// "air_ms" (modelled air time in milliseconds).
void measureAirTime(benchmark::State& state, RequestRig& rig, ResultLatch& latch, const std::function<void()>& start);

// Runs one signing request per iteration and reports, per request, "cpu_us" (process CPU time),
// "card_rsa_us" (the card's own RSA signature, part of cpu_us), "library_us" (cpu_us -
// card_rsa_us), "air_us" (modelled air time) and "library_pct" (library_us against air_us).
void measureCpuAgainstAir(benchmark::State& state, RequestRig& rig, ResultLatch& latch,
                          const std::function<void()>& start);

}  // namespace ekyc::bench
