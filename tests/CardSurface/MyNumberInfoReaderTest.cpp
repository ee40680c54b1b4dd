// The individual-number reader end to end: facade-less reader -> session -> virtual card
// (-> verification stand-in), with the back channel and the result in one ordered log.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc::test {
namespace {

class MyNumberInfoReaderTest : public ::testing::Test {
 protected:
  CardSurfaceRig rig;
  std::shared_ptr<MyNumberResults> results = std::make_shared<MyNumberResults>(rig.log);
  std::vector<std::string> sheetAtDelivery;

  void SetUp() override {
    results->onResult = [this] { sheetAtDelivery = rig.alerts->texts(); };
  }

  void fetch(std::optional<std::string> pin, std::optional<std::optional<std::string>> appId = std::nullopt,
             double httpTimeout = 10.0) {
    rig.run<MyNumberInfoReader>(
        results,
        [&](MyNumberInfoReader& reader) {
          if (appId) {
            reader.fetchMyNumberCardInfo(pin, *appId);
          } else {
            reader.fetchMyNumberCardInfo(pin);
          }
        },
        httpTimeout);
  }

  std::vector<std::string> chain(const std::string& pin) const {
    return {selectAid(false), selectEf("0013"), verify(pin), selectEf("0004"), read(568), selectEf("0005"), read(1664),
            selectAid(true),  selectEf("0014"), verify(pin), selectEf("0001"), read(17),  selectEf("0003"), read(336),
            selectEf("0004"), read(568)};
  }
};

TEST_F(MyNumberInfoReaderTest, ReadsTheNumberWithItsIntegrityData) {
  rig.presentCard();
  fetch(rig.holder.myNumberPin);
  EXPECT_EQ(rig.viewController->presentedCount(), 0u);  // a preset PIN needs no dialog
  EXPECT_EQ(rig.commands(), chain(rig.holder.myNumberPin));
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  const auto result = results->last();
  ASSERT_TRUE(result && *result);
  const MyNumberInfo& info = **result;
  EXPECT_EQ(info.getMyNumber(), "123456789018");
  EXPECT_EQ(info.supportVerifySrc, rig.files.supEf0001);  // all 17 bytes as read
  ASSERT_TRUE(info.cardPrintInfoVerifySrc);
  EXPECT_EQ((*info.cardPrintInfoVerifySrc)[0], 0xDF);
  EXPECT_EQ((*info.cardPrintInfoVerifySrc)[1], 0x41);
  EXPECT_EQ(info.certCardPrintInfo->size(), 563u);
  EXPECT_EQ(info.hashPersonalInfo->size(), 32u);
  // Delivered after the session ended with the success text.
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
}

TEST_F(MyNumberInfoReaderTest, WithAnApplicationIdTheStandInVerifiesBothSides) {
  auto& server = rig.startServer();
  rig.presentCard();
  fetch(rig.holder.myNumberPin, std::optional<std::string>("tenant-1"));
  ASSERT_TRUE(results->last() && *results->last()) << rig.log->events().back();
  EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"23"});
  const auto request = server.receivedRequests().at(0).request;
  ASSERT_TRUE(request);
  EXPECT_EQ(request->tenantCode, "tenant-1");
  EXPECT_EQ(request->flags, "0");
  EXPECT_EQ(request->cardType, "mynumber");
  // Each member is a two-element array of 44-character texts (digests) or base64 texts.
  const auto hashes = VerifierKit::decodeBase64TextArray(request->expectedHash);
  ASSERT_TRUE(hashes && hashes->size() == 2u);
  EXPECT_EQ((*hashes)[0].size(), 44u);
  EXPECT_EQ((*hashes)[1].size(), 44u);
  EXPECT_EQ(rig.alerts->texts().back(), "success");
}

TEST_F(MyNumberInfoReaderTest, VerdictFailuresEndTheRequestWithOneCodedFailure) {
  auto& server = rig.startServer();
  struct Case {
    std::function<void()> arrange;
    std::int64_t code;
  };
  const std::vector<Case> cases{
      {[&] { server.setForcedVerdict(false); }, 18001},
      {[&] { server.setForcedHttpStatus(404); }, 15000},
      {[&] { server.setResponseShape(ResponseShape::ValidMissing); }, 18001},
      {[&] { server.setResponseShape(ResponseShape::NotJson); }, 18001},
  };
  for (const auto& c : cases) {
    CardSurfaceRig local;
    server.resetSwitches();
    c.arrange();
    local.platform.verificationUrl = server.url();
    local.platform.trustedCaFile = server.caFilePath();
    local.presentCard();
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults, [&](MyNumberInfoReader& r) {
      r.fetchMyNumberCardInfo(local.holder.myNumberPin, std::optional<std::string>("tenant"));
    });
    ASSERT_EQ(localResults->results().size(), 1u);
    const auto error = localResults->results()[0].error();
    EXPECT_EQ(error.errorCode, c.code);
    if (c.code == 15000) {
      EXPECT_EQ(error.httpStatus, 404);
      EXPECT_EQ(error.localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 404");
    }
    EXPECT_EQ(local.alerts->texts().back(), "error");
  }
}

TEST_F(MyNumberInfoReaderTest, OneChangedByteOfEitherSignedSideIsRefused) {
  for (const bool imageSide : {true, false}) {
    CardSurfaceRig local;
    auto& server = local.startServer();
    if (imageSide) {
      local.files.csEf0005[expected::valueOffset(local.files.csEf0005, 0xDF41) + 10] ^= 0x01;
    } else {
      local.files.supEf0001[7] = local.files.supEf0001[7] == '0' ? '1' : '0';
    }
    local.presentCard();
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults, [&](MyNumberInfoReader& r) {
      r.fetchMyNumberCardInfo(local.holder.myNumberPin, std::optional<std::string>("tenant"));
    });
    EXPECT_EQ(local.log->events(), (std::vector<std::string>{"didGetPin()", "result(18001)"})) << imageSide;
    EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"23"});
    EXPECT_EQ(local.alerts->texts().back(), "error");
  }
}

TEST_F(MyNumberInfoReaderTest, TransportFailuresOfTheVerification) {
  // Nothing listens at the rig's default endpoint: the connection is refused.
  rig.presentCard();
  fetch(rig.holder.myNumberPin, std::optional<std::string>("tenant"));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().errorCode, 16999);

  CardSurfaceRig slow;
  auto& server = slow.startServer();
  server.setResponseDelay(std::chrono::milliseconds(3000));
  slow.presentCard();
  auto slowResults = std::make_shared<MyNumberResults>(slow.log);
  slow.run<MyNumberInfoReader>(
      slowResults,
      [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(slow.holder.myNumberPin, std::optional<std::string>("t")); },
      0.5);
  ASSERT_EQ(slowResults->results().size(), 1u);
  EXPECT_EQ(slowResults->results()[0].error().errorCode, 16001);
}

// The platform's session time-out can fall while the verification waits; the chain has started,
// so the end of the session reports nothing and the request still ends with its one result.
TEST_F(MyNumberInfoReaderTest, SessionTimeOutDuringTheVerificationLeavesOneResult) {
  rig.platform.sessionTimeout = std::chrono::milliseconds(300);
  rig.startServer().setResponseDelay(std::chrono::milliseconds(900));
  rig.presentCard();
  fetch(rig.holder.myNumberPin, std::optional<std::string>("tenant"));
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
}

TEST_F(MyNumberInfoReaderTest, ApplicationIdMissingOrEmptyBeforeAnyDialog) {
  for (const auto& id : {std::optional<std::string>(), std::optional<std::string>("")}) {
    CardSurfaceRig local;
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults, [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(std::nullopt, id); });
    EXPECT_EQ(local.log->events(), (std::vector<std::string>{"result(14001)", "didGetPin()"}));
    EXPECT_EQ(local.viewController->presentedCount(), 0u);
  }
}

TEST_F(MyNumberInfoReaderTest, PresetPinsThatBreakTheRule) {
  for (const auto& [pin, code] : std::vector<std::pair<std::string, int>>{
           {"", 12002}, {"12345678901", 12007}, {"1234567890123", 12007}, {"12345678901A", 12008}}) {
    CardSurfaceRig local;
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults, [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(pin); });
    EXPECT_EQ(local.log->events(), (std::vector<std::string>{"didGetFailedPin(MYNUMBER,nil)",
                                                             "result(" + std::to_string(code) + ")", "didGetPin()"}))
        << pin;
  }
}

TEST_F(MyNumberInfoReaderTest, DialogOkAndCancel) {
  rig.presentCard();
  rig.viewController->enqueue(ScriptedViewController::Answer::OK(rig.holder.myNumberPin));
  fetch(std::nullopt);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  ASSERT_EQ(rig.viewController->presentations().size(), 1u);
  EXPECT_EQ(rig.viewController->presentations()[0].title, "title1");
  EXPECT_EQ(rig.viewController->presentations()[0].message, "message1");

  CardSurfaceRig local;
  auto localResults = std::make_shared<MyNumberResults>(local.log);
  local.viewController->enqueue(ScriptedViewController::Answer::Cancel());
  local.run<MyNumberInfoReader>(localResults, [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(std::nullopt); });
  EXPECT_EQ(local.log->events(),
            (std::vector<std::string>{"didGetFailedPin(MYNUMBER,nil)", "result(12101)", "didGetPin()"}));
  EXPECT_EQ(local.cardReader->activeSessionCount(), 0u);
}

TEST_F(MyNumberInfoReaderTest, RefusedAnswersAtEachCommand) {
  struct Case {
    std::size_t command;
    std::uint16_t sw;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases{
      {3, 0x63C3, {"didGetPin()", "didGetFailedPin(MYNUMBER,3)", "result(13300)"}},
      {10, 0x63C3, {"didGetPin()", "didGetFailedPin(MYNUMBER,3)", "result(13300)"}},
      {3, 0x63C0, {"didGetPin()", "didGetFailedPin(MYNUMBER,0)", "result(13200)"}},
      {10, 0x6984, {"didGetPin()", "didGetFailedPin(MYNUMBER,0)", "result(13400)"}},
      {2, 0x6A82, {"didGetPin()", "result(13999)"}},
      {16, 0x6282, {"didGetPin()", "result(13999)"}},
      // A PIN status on a command that is not a VERIFY is reported as a refused PIN too.
      {4, 0x63C1, {"didGetPin()", "didGetFailedPin(MYNUMBER,1)", "result(13300)"}},
  };
  for (const auto& c : cases) {
    CardSurfaceRig local;
    local.presentCard().addFault(VirtualCardFault::statusWordAt(c.command, c.sw));
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults,
                                  [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(local.holder.myNumberPin); });
    EXPECT_EQ(local.log->events(), c.events) << "command " << c.command;
    EXPECT_EQ(local.commands().size(), c.command) << "no command after the refused one";
    EXPECT_EQ(local.alerts->texts().back(), "error");
    if (c.sw == 0x63C3) {
      EXPECT_EQ(localResults->results()[0].error().retryCount, 3);
      EXPECT_EQ(localResults->results()[0].error().localizedDescription, "残り3回でロックされます。");
    }
  }
}

TEST_F(MyNumberInfoReaderTest, StatusWordsStartingWith90Pass) {
  // Every SELECT is answered 90 01 once the card has processed it.
  rig.presentCard().onInstruction(0xA4, [](const VirtualCommand& command, VirtualCardContext& context) {
    auto response = context.standard(command);
    if (response.sw == 0x9000) response.sw = 0x9001;
    return std::optional<VirtualResponse>(response);
  });
  fetch(rig.holder.myNumberPin);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
}

TEST_F(MyNumberInfoReaderTest, WrongPinCountsDownOnTheCard) {
  rig.presentCard();
  fetch("999999999999");
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "didGetFailedPin(MYNUMBER,9)", "result(13300)"}));
  EXPECT_EQ(rig.card->pinTriesLeft(CardSurfaceApplications::CARD_SURFACE, CardSurfaceApplications::CS_MY_NUMBER_PIN), 9);
}

TEST_F(MyNumberInfoReaderTest, SessionEndsBeforeACardWasConnected) {
  // The user closes the sheet.
  rig.run<MyNumberInfoReader>(results, [&](MyNumberInfoReader& r) {
    r.fetchMyNumberCardInfo(rig.holder.myNumberPin);
    std::thread([reader = rig.cardReader] {
      eventuallyTrue([&] { return reader->activeSessionCount() == 1u; });
      reader->cancelBySheet();
    }).detach();
  });
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"result(13700)", "didGetPin()"}));

  // The session times out; a tag that is not ISO 7816 gets no command meanwhile.
  CardSurfaceRig timeout;
  timeout.platform.sessionTimeout = std::chrono::milliseconds(300);
  timeout.presentCard().setISO7816(false);
  auto timeoutResults = std::make_shared<MyNumberResults>(timeout.log);
  timeout.run<MyNumberInfoReader>(timeoutResults,
                                  [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(timeout.holder.myNumberPin); });
  EXPECT_EQ(timeout.log->events(), (std::vector<std::string>{"result(13600)", "didGetPin()"}));
  EXPECT_TRUE(timeout.commands().empty());

  // Another reader error, and an error that is not a reader error.
  for (const auto& [error, code] : std::vector<std::pair<NFCError, int>>{
           {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly), 13500},
           {NFCError::other("platform failure"), 99999}}) {
    CardSurfaceRig local;
    local.cardReader->failNextWait(error);
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults,
                                  [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(local.holder.myNumberPin); });
    EXPECT_EQ(local.log->events(), (std::vector<std::string>{"result(" + std::to_string(code) + ")", "didGetPin()"}));
  }
}

TEST_F(MyNumberInfoReaderTest, CardRemovedMidChainGivesOneFailure) {
  rig.presentCard().addFault(VirtualCardFault::removedAt(7));
  fetch(rig.holder.myNumberPin);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(13999)"}));
}

TEST_F(MyNumberInfoReaderTest, CardFilesLackingWhatTheRequestNeeds) {
  struct Case {
    std::function<void(CardSurfaceFiles&)> alter;
    std::size_t failingCommand;
  };
  const std::vector<Case> cases{
      // No 7F21 in the card-surface certificate file.
      {[](CardSurfaceFiles& f) { f.csEf0004.assign(568, 0xFF); }, 5},
      // The number image file cut inside DF41.
      {[](CardSurfaceFiles& f) { f.csEf0005.resize(300); }, 7},
      // No FF10 in EF 0001.
      {[](CardSurfaceFiles& f) { f.supEf0001 = Bytes{0xFF, 0x11, 0x00}; }, 12},
      // A length running past the end of the input-support certificate file.
      {[](CardSurfaceFiles& f) { f.supEf0004 = Bytes{0x7F, 0x21, 0x82, 0x7F, 0xFF, 0x5F}; }, 16},
  };
  for (const auto& c : cases) {
    CardSurfaceRig local;
    c.alter(local.files);
    local.presentCard();
    auto localResults = std::make_shared<MyNumberResults>(local.log);
    local.run<MyNumberInfoReader>(localResults,
                                  [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(local.holder.myNumberPin); });
    EXPECT_EQ(local.log->events(), (std::vector<std::string>{"didGetPin()", "result(13999)"})) << c.failingCommand;
    EXPECT_EQ(local.commands().size(), c.failingCommand);
    EXPECT_EQ(local.alerts->texts().back(), "error");
  }
}

TEST_F(MyNumberInfoReaderTest, RequestTypesOfOneSide) {
  auto& server = rig.startServer();
  rig.presentCard();
  // The reader is kept after its request to send the other types.
  const auto kept = std::make_shared<MyNumberInfoReader>(results, rig.context());
  kept->fetchMyNumberCardInfo(rig.holder.myNumberPin);
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, 
      [&] { return !results->results().empty() && rig.cardReader->activeSessionCount() == 0; },
      std::chrono::seconds(10)));
  kept->appId = "tenant";
  EXPECT_TRUE(kept->request("21"));
  EXPECT_TRUE(kept->request("22"));
  EXPECT_FALSE(kept->request("24"));
  EXPECT_FALSE(kept->request(""));
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"21", "22"}));
  const auto request = server.receivedRequests().at(0).request;
  EXPECT_EQ(request->expectedHash.size(), 44u);
  EXPECT_EQ(results->results().size(), 1u);  // nothing delivered by the extra requests
}

}  // namespace
}  // namespace ekyc::test
