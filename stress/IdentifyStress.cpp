// Stress for requests started at random moments from three threads on one facade (not run by CI;
// `make stress`, or build the ekyc_stress target and pass --gtest_repeat). Half the requests have
// their PIN preset and read the card, the others wait at a dialog nobody answers. Whatever the
// interleaving: every request ends exactly once (read; 12101 when left before its session began;
// 13700, or 13999 mid-chain, when the next request ended its session), and once the facade is
// gone, answering the dialogs left up sends nothing to the card.
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Identify/Identify.hpp"
#include "Support/RunLoopPump.hpp"
#include "Support/Watchdog.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

// The library's console lines ("isCanceled" for each request left at its dialog, on std::cerr)
// would bury the test's own report, which GoogleTest writes on stdout: the stress program sends
// std::cerr and std::clog nowhere, before any request runs. The watchdog writes to stderr itself.
[[maybe_unused]] const bool consoleLinesDropped = (std::cerr.rdbuf(nullptr), std::clog.rdbuf(nullptr), true);

TEST(IdentifyStress, RandomStartsFromThreeThreads) {
  constexpr int THREADS = 3, PER_THREAD = 4;
  Watchdog watchdog(120s, "random starts");
  CardSurfaceRig rig;
  rig.presentCard();
  auto facade = Identify::create(rig.viewController, 10.0, rig.platform);
  std::vector<std::shared_ptr<MyNumberResults>> requests;
  for (int i = 0; i < THREADS * PER_THREAD; ++i) requests.push_back(std::make_shared<MyNumberResults>(rig.log));
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      std::minstd_rand random(std::random_device{}());
      for (int i = 0; i < PER_THREAD; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        if (random() % 2) facade->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, rig.holder.myNumberPin);
        facade->getMyNumber(requests[t * PER_THREAD + i], pinTexts(), nfcTexts());
      }
    });
  }
  // The host thread runs its loop meanwhile (dialog completions, dismissals).
  std::atomic<bool> started{false};
  std::thread joiner([&] {
    for (auto& thread : threads) thread.join();
    started = true;
  });
  ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] { return started.load(); }, 60s));
  joiner.join();
  facade.reset();
  const bool ended = pumpUntil(*rig.runLoop, [&] {
    for (const auto& request : requests)
      if (request->results().empty()) return false;
    return rig.cardReader->activeSessionCount() == 0;
  }, 30s);
  if (!ended) {
    std::string waiting;
    for (std::size_t i = 0; i < requests.size(); ++i)
      if (requests[i]->results().empty()) waiting += " " + std::to_string(i);
    std::size_t up = 0;
    for (const auto& alert : rig.viewController->alerts()) up += alert->isDismissed() ? 0 : 1;
    FAIL() << "without a result:" << waiting << "; sessions holding the card: " << rig.cardReader->activeSessionCount()
           << "; dialogs up: " << up << "; events:\n" << [&] {
                std::string all;
                for (const auto& e : rig.log->events()) all += e + "\n";
                return all;
              }();
  }
  EXPECT_EQ(rig.commandsAfterAnsweringEveryDialog(rig.holder.myNumberPin), 0u) << "a left request took the card";
  for (const auto& request : requests) {
    const auto results = request->results();
    ASSERT_EQ(results.size(), 1u);
    const auto code = results.front() ? 0 : results.front().error().errorCode;
    EXPECT_TRUE(code == 0 || code == 12101 || code == 13700 || code == 13999) << code;
  }
}

}  // namespace
}  // namespace ekyc::test
