// The verification requests of the four readers as the stand-in receives them, held text by text
// against the three texts worked out from the card files alone: one JSON object of seven text
// members, the pairs of "13" and "23" with the card-surface side first, and the single-side types
// that each reader's request operations serve.
#include <nlohmann/json.hpp>
#include "Support/RunLoopPump.hpp"

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc::test {
namespace {

class RequestBodiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.holder = CardSurfaceHolder::sampleWithPreviousName();
    rig.files = CardSurfaceFiles::build(rig.holder, CardSurfaceKeys::shared());
    server = &rig.startServer();
    rig.presentCard();
    sides = expected::sides(rig.files);
  }

  // Every request received, in order: its members equal the expected texts of its type, and the
  // body is a JSON object of exactly the seven text members, with "/" written "\/".
  void expectBodies(const std::vector<std::string>& types) {
    const auto received = server->receivedRequests();
    ASSERT_EQ(received.size(), types.size());
    for (std::size_t i = 0; i < types.size(); ++i) {
      const auto& type = types[i];
      ASSERT_TRUE(received[i].request) << received[i].body;
      const VerificationRequest& r = *received[i].request;
      EXPECT_EQ(r.reqType, type);
      EXPECT_EQ(r.expectedHash, sides.at(type).expectedHash) << type;
      EXPECT_EQ(r.signature, sides.at(type).signature) << type;
      EXPECT_EQ(r.verifyingParams, sides.at(type).verifyingParams) << type;
      EXPECT_EQ(r.flags, "0");
      EXPECT_EQ(r.cardType, "mynumber");
      EXPECT_EQ(r.tenantCode, "tenant-7");
      const auto body = nlohmann::json::parse(received[i].body, nullptr, false);
      ASSERT_TRUE(body.is_object());
      EXPECT_EQ(body.size(), 7u);
      for (const auto& [key, value] : body.items()) EXPECT_TRUE(value.is_string()) << key;
      for (std::size_t p = received[i].body.find('/'); p != std::string::npos; p = received[i].body.find('/', p + 1)) {
        EXPECT_EQ(received[i].body[p - 1], '\\') << "unescaped slash at " << p;
      }
    }
  }

  // Runs the reader's request without verification and keeps the reader, to call its request
  // operations afterwards as a host could.
  template <class Reader, class Results>
  std::shared_ptr<Reader> keptAfterPlainRead(const std::function<void(Reader&)>& entry) {
    auto results = std::make_shared<Results>(rig.log);
    auto reader = std::make_shared<Reader>(results, rig.context());
    entry(*reader);
    EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, 
        [&] { return !results->results().empty() && rig.cardReader->activeSessionCount() == 0; },
        std::chrono::seconds(10)));
    EXPECT_TRUE(results->last() && *results->last());
    kept = results;
    reader->appId = "tenant-7";
    return reader;
  }

  CardSurfaceRig rig;
  VerificationServer* server = nullptr;
  std::map<std::string, expected::Side> sides;
  std::shared_ptr<void> kept;
  const std::optional<std::string> id{"tenant-7"};
};

TEST_F(RequestBodiesTest, IndividualNumberSendsTwentyThree) {
  auto results = std::make_shared<MyNumberResults>(rig.log);
  rig.run<MyNumberInfoReader>(results,
                              [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(rig.holder.myNumberPin, id); });
  ASSERT_TRUE(results->last() && *results->last());
  expectBodies({"23"});
}

TEST_F(RequestBodiesTest, CardSurfaceSendsThirteen) {
  auto results = std::make_shared<CardPrintResults>(rig.log);
  rig.run<CardPrintInfoReader>(results,
                               [&](CardPrintInfoReader& r) { r.fetchCardPrintInfo(rig.holder.cardPrintInfoPin, id); });
  ASSERT_TRUE(results->last() && *results->last());
  expectBodies({"13"});
}

TEST_F(RequestBodiesTest, CardSurfaceWithNumberSendsThirteenThenTwentyThree) {
  auto results = std::make_shared<BothResults>(rig.log);
  rig.run<CardPrintInfoAndMyNumberInfoReader>(results, [&](CardPrintInfoAndMyNumberInfoReader& r) {
    r.fetchCardPrintInfoAndMyNumberInfo(rig.holder.cardPrintInfoPin, rig.holder.myNumberPin, id);
  });
  ASSERT_TRUE(results->last() && *results->last());
  expectBodies({"13", "23"});
}

TEST_F(RequestBodiesTest, InputSupportSendsThirtyTwo) {
  auto results = std::make_shared<PromptedPiiResults>(rig.log);
  rig.run<PromptedPiiReader>(results, [&](PromptedPiiReader& r) { r.fetchPromptedPii(id, rig.holder.promptedPiiPin); });
  ASSERT_TRUE(results->last() && *results->last());
  expectBodies({"32"});
}

TEST_F(RequestBodiesTest, SingleSideTypesOfEachReader) {
  auto number = keptAfterPlainRead<MyNumberInfoReader, MyNumberResults>(
      [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(rig.holder.myNumberPin); });
  EXPECT_TRUE(number->request("21"));
  EXPECT_TRUE(number->request("22"));
  EXPECT_FALSE(number->request("13"));
  expectBodies({"21", "22"});
  server->clearReceivedRequests();

  auto surface = keptAfterPlainRead<CardPrintInfoReader, CardPrintResults>(
      [&](CardPrintInfoReader& r) { r.fetchCardPrintInfo(rig.holder.cardPrintInfoPin); });
  EXPECT_TRUE(surface->request("11"));
  EXPECT_TRUE(surface->request("12"));
  EXPECT_FALSE(surface->request("21"));
  expectBodies({"11", "12"});
  server->clearReceivedRequests();

  auto both = keptAfterPlainRead<CardPrintInfoAndMyNumberInfoReader, BothResults>(
      [&](CardPrintInfoAndMyNumberInfoReader& r) {
        r.fetchCardPrintInfoAndMyNumberInfo(rig.holder.cardPrintInfoPin, rig.holder.myNumberPin);
      });
  EXPECT_TRUE(both->requestCardPrintInfo("11"));
  EXPECT_TRUE(both->requestCardPrintInfo("12"));
  EXPECT_TRUE(both->requestMyNumberInfo("21"));
  EXPECT_TRUE(both->requestMyNumberInfo("22"));
  // Each operation serves its own three types only: nothing sent, nothing delivered.
  EXPECT_FALSE(both->requestCardPrintInfo("23"));
  EXPECT_FALSE(both->requestMyNumberInfo("13"));
  EXPECT_FALSE(both->requestMyNumberInfo(""));
  expectBodies({"11", "12", "21", "22"});
  EXPECT_EQ(rig.log->count("result"), 3u);  // the three plain reads, nothing from the requests
}

}  // namespace
}  // namespace ekyc::test
