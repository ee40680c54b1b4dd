#pragma once
// A request the example host can run. The requests live in files under requests/ (one file per
// card application) and register themselves:
//
//   EKYC_DEMO_REQUEST(myNumber, "my-number", "the individual number",
//                     {"MYNUMBERCARD_MYNUMBER_PIN"}, [](DemoContext& context) -> DemoOutcome { ... });
//
// The braces name the PIN slots the request uses (--list names them after the summary, and a --pin
// for another slot is named as ignored); a request that names none reads no card, and the host
// sets up no reader for it. A request with
// no verified form (it never takes --app-id) adds ekyc::demo::NEVER_VERIFIES.
//
// A request presents its virtual card as a maker (context.presentCard([] { return ...; })), which
// runs only when the reader is a virtual one (virtual, vpcd), runs through the facade
// (context.identify()) or the NFC layer, and returns the record as JSON or a coded error.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "UI/RunLoop.hpp"

namespace ekyc::demo {

class DemoContext;

struct DemoOutcome {
  bool ok = false;
  nlohmann::json record;        // on success
  std::int64_t errorCode = 0;   // on failure
  std::string localizedDescription;

  static DemoOutcome success(nlohmann::json record) { return DemoOutcome{true, std::move(record), 0, {}}; }
  static DemoOutcome failure(std::int64_t code, std::string message) {
    return DemoOutcome{false, nullptr, code, std::move(message)};
  }
};

// Where a request's result delegate keeps its one outcome (the first), on the session's queue;
// keeping it wakes the host loop that waits for it in DemoContext::runUntil.
class DemoOutcomeSlot {
 public:
  std::shared_ptr<RunLoop> runLoop;

  void store(DemoOutcome outcome) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!outcome_) outcome_ = std::move(outcome);
    }
    if (runLoop) runLoop->wake();
  }
  std::optional<DemoOutcome> taken() {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
  }

 private:
  std::mutex mutex_;
  std::optional<DemoOutcome> outcome_;
};

struct DemoRequest {
  std::string name;
  std::string summary;
  std::vector<std::string> pinSlots;  // every card read here takes a PIN
  std::function<DemoOutcome(DemoContext&)> run;
  bool verifies = true;  // given --app-id, has the verification server check what it read

  bool readsCard() const { return !pinSlots.empty(); }
};

inline constexpr bool NEVER_VERIFIES = false;

class DemoRequests {
 public:
  static bool add(DemoRequest request);
  static const std::vector<DemoRequest>& all();
  static const DemoRequest* find(const std::string& name);
};

}  // namespace ekyc::demo

#define EKYC_DEMO_REQUEST(id, name, summary, ...)                                                 \
  namespace {                                                                                     \
  [[maybe_unused]] const bool demoRequest_##id = ::ekyc::demo::DemoRequests::add({name, summary, __VA_ARGS__}); \
  }
