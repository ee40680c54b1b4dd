// What one card-surface reader does that the others do not (the shared behaviour is in
// CardSurfaceReadersTest): the single-side request types each reader serves, the combined reader's
// VERIFY commands and optional elements, a record kept without a host delegate, and a session
// time-out that falls while the verification waits.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc::test {
namespace {

// Runs the reader's request without verification and keeps the reader, to call its request
// operations afterwards as a host could.
template <class Reader, class Results>
std::shared_ptr<Reader> keptAfterPlainRead(CardSurfaceRig& rig, const std::function<void(Reader&)>& entry) {
  auto results = std::make_shared<Results>(rig.log);
  auto reader = std::make_shared<Reader>(results, rig.context());
  entry(*reader);
  EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, 
      [&] { return !results->results().empty() && rig.cardReader->activeSessionCount() == 0; }, std::chrono::seconds(10)));
  reader->appId = "tenant";
  return reader;
}

TEST(CardSurfaceReaderOwnTest, SingleSideTypesOfEachReader) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  rig.presentCard();
  const auto sides = expected::sides(rig.files);
  const auto expectSent = [&](const std::vector<std::string>& types) {
    const auto received = server.receivedRequests();
    ASSERT_EQ(received.size(), types.size());
    for (std::size_t i = 0; i < types.size(); ++i) {
      ASSERT_TRUE(received[i].request) << received[i].body;
      EXPECT_EQ(received[i].request->reqType, types[i]);
      EXPECT_EQ(received[i].request->expectedHash, sides.at(types[i]).expectedHash) << types[i];
      EXPECT_EQ(received[i].request->verifyingParams, sides.at(types[i]).verifyingParams) << types[i];
    }
    server.clearReceivedRequests();
  };
  const auto& h = rig.holder;
  using Served = std::vector<std::pair<std::string, bool>>;  // a request type, whether the reader sends it
  auto number = keptAfterPlainRead<MyNumberInfoReader, MyNumberResults>(
      rig, [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(h.myNumberPin); });
  for (const auto& [type, served] : Served{{"21", true}, {"22", true}, {"13", false}, {"", false}})
    EXPECT_EQ(number->request(type), served) << type;
  expectSent({"21", "22"});
  auto surface = keptAfterPlainRead<CardPrintInfoReader, CardPrintResults>(
      rig, [&](CardPrintInfoReader& r) { r.fetchCardPrintInfo(h.cardPrintInfoPin); });
  for (const auto& [type, served] : Served{{"11", true}, {"12", true}, {"21", false}})
    EXPECT_EQ(surface->request(type), served) << type;
  expectSent({"11", "12"});
  auto both = keptAfterPlainRead<CardPrintInfoAndMyNumberInfoReader, BothResults>(
      rig, [&](CardPrintInfoAndMyNumberInfoReader& r) { r.fetchCardPrintInfoAndMyNumberInfo(h.cardPrintInfoPin, h.myNumberPin); });
  for (const auto& [type, served] : Served{{"11", true}, {"12", true}, {"23", false}})
    EXPECT_EQ(both->requestCardPrintInfo(type), served) << type;
  for (const auto& [type, served] : Served{{"21", true}, {"22", true}, {"13", false}})
    EXPECT_EQ(both->requestMyNumberInfo(type), served) << type;
  expectSent({"11", "12", "21", "22"});
  // The input-support reader sends the type it is given: the whole scope's texts under the number
  // side's type are refused by the stand-in.
  auto pii = keptAfterPlainRead<PromptedPiiReader, PromptedPiiResults>(
      rig, [&](PromptedPiiReader& r) { r.fetchPromptedPii(h.promptedPiiPin); });
  const PromptedPii record(rig.files.supEf0001, rig.files.supEf0002, rig.files.supEf0003, rig.files.supEf0004);
  EXPECT_TRUE(pii->request("32", record));
  EXPECT_FALSE(pii->request("22", record));
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"32", "22"}));
  // The four plain reads delivered their records, the extra requests one refusal only.
  EXPECT_EQ(rig.log->count("result(ok)"), 4u);
  EXPECT_EQ(rig.log->count("result(18001)"), 1u);
}

// The card-surface VERIFY is built once when the tag is found; the individual-number VERIFY each
// time it is sent. The reader's PINs change after command 2.
TEST(CardSurfaceReaderOwnTest, OnlyTheNumberVerifyOfTheCombinedReaderIsBuiltWhenSent) {
  CardSurfaceRig rig;
  auto& card = rig.presentCard();
  std::weak_ptr<CardPrintInfoAndMyNumberInfoReader> reader;
  card.onInstruction(0x20, [&](const VirtualCommand& command, VirtualCardContext& context) {
    VirtualCommand real = command;
    if (real.data == toBytes("888888888888")) real.data = toBytes(rig.holder.myNumberPin);
    return std::optional<VirtualResponse>(context.standard(real));
  });
  int selects = 0;
  card.onInstruction(0xA4, [&](const VirtualCommand& command, VirtualCardContext& context) {
    if (++selects == 2) {
      if (auto r = reader.lock()) {
        r->pinCardPrintInfo = "99999999999999";
        r->pinMyNumber = "888888888888";
      }
    }
    return std::optional<VirtualResponse>(context.standard(command));
  });
  auto results = std::make_shared<BothResults>(rig.log);
  rig.run<CardPrintInfoAndMyNumberInfoReader>(results, [&](CardPrintInfoAndMyNumberInfoReader& r) {
    reader = std::static_pointer_cast<CardPrintInfoAndMyNumberInfoReader>(r.shared_from_this());
    r.fetchCardPrintInfoAndMyNumberInfo(rig.holder.cardPrintInfoPin, rig.holder.myNumberPin);
  });
  ASSERT_TRUE(results->last() && results->last()->has_value());
  const auto commands = rig.commands();
  ASSERT_EQ(commands.size(), 24u);
  EXPECT_EQ(commands[2], verify(rig.holder.cardPrintInfoPin));
  EXPECT_EQ(commands[15], verify(rig.holder.cardPrintInfoPin));
  EXPECT_EQ(commands[4], verify("888888888888"));
  EXPECT_EQ(commands[13], verify("888888888888"));
}

TEST(CardSurfaceReaderOwnTest, RecordKeptWithoutADelegateAndApplicationIdDroppedAfterARefusal) {
  CardSurfaceRig rig;
  rig.presentCard();
  auto quiet = std::make_shared<CardPrintInfoReader>(nullptr, rig.context());
  quiet->fetchCardPrintInfo(rig.holder.cardPrintInfoPin);
  // The session began in the call; the record is read once it has ended (not while the session's
  // queue builds it).
  ASSERT_TRUE(::ekyc::test::pumpUntil(
      *rig.runLoop, [&] { return rig.cardReader->activeSessionCount() == 0; }, std::chrono::seconds(10)));
  ASSERT_TRUE(quiet->cardPrintInfo);
  EXPECT_EQ(quiet->cardPrintInfo->getAllName(), "日本　花子");
  EXPECT_EQ(rig.log->events(), std::vector<std::string>{"didGetPin()"});
  EXPECT_EQ(rig.commands().size(), 16u);
  EXPECT_EQ(lastOf(rig.alerts->texts()), "success");

  CardSurfaceRig refused;
  refused.startServer().setForcedVerdict(false);
  refused.presentCard();
  auto results = std::make_shared<CardPrintResults>(refused.log);
  auto reader = std::make_shared<CardPrintInfoReader>(results, refused.context());
  reader->fetchCardPrintInfo(refused.holder.cardPrintInfoPin, std::optional<std::string>("tenant"));
  ASSERT_TRUE(::ekyc::test::pumpUntil(*refused.runLoop, 
      [&] { return !results->results().empty() && refused.cardReader->activeSessionCount() == 0; },
      std::chrono::seconds(10)));
  EXPECT_EQ(results->lastOrThrow().error().errorCode, 18001);
  EXPECT_FALSE(reader->appId);
  EXPECT_FALSE(reader->cardPrintInfo);
}

// The platform's session time-out can fall while the verification waits; the chain has started,
// so the end of the session reports nothing and the request still ends with its one result.
TEST(CardSurfaceReaderOwnTest, SessionTimeOutDuringTheVerificationLeavesOneResult) {
  CardSurfaceRig rig;
  rig.platform.sessionTimeout = std::chrono::milliseconds(300);
  rig.startServer().setResponseDelay(std::chrono::milliseconds(900));
  rig.presentCard();
  auto results = std::make_shared<MyNumberResults>(rig.log);
  rig.run<MyNumberInfoReader>(results, [&](MyNumberInfoReader& r) {
    r.fetchMyNumberCardInfo(rig.holder.myNumberPin, std::optional<std::string>("tenant"));
  });
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
}

}  // namespace
}  // namespace ekyc::test
