// The input-support reader end to end.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

class PromptedPiiReaderTest : public ::testing::Test {
 protected:
  std::vector<std::string> sheetAtDelivery;

  std::shared_ptr<PromptedPiiResults> fetch(CardSurfaceRig& rig, std::optional<std::string> pin,
                                            std::optional<std::optional<std::string>> appId = std::nullopt) {
    auto results = std::make_shared<PromptedPiiResults>(rig.log);
    results->onResult = [this, alerts = rig.alerts] { sheetAtDelivery = alerts->texts(); };
    rig.run<PromptedPiiReader>(results, [&](PromptedPiiReader& reader) {
      if (appId) {
        reader.fetchPromptedPii(*appId, pin);
      } else {
        reader.fetchPromptedPii(pin);
      }
    });
    return results;
  }
};

TEST_F(PromptedPiiReaderTest, ReadsTheFourFilesAsTheyAre) {
  CardSurfaceRig rig;
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.promptedPiiPin);
  EXPECT_EQ(rig.commands(),
            (std::vector<std::string>{selectAid(true), selectEf("0011"), verify("1234"), selectEf("0001"), read(17),
                                      selectEf("0002"), read(1024), selectEf("0003"), read(336), selectEf("0004"),
                                      read(568)}));
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  const PromptedPii record = *results->last().value();
  EXPECT_EQ(record.myNumberRawData(), rig.files.supEf0001);
  EXPECT_EQ(record.personalInfoRawData(), rig.files.supEf0002);  // fill included
  EXPECT_EQ(record.signatureRawData(), rig.files.supEf0003);
  EXPECT_EQ(record.publicKeyCertRawData(), rig.files.supEf0004);
  EXPECT_EQ(record.getMyNumber(), "123456789018");
  EXPECT_EQ(record.getAllName(), "日本　花子");
  // Without verification: the session ends with the success text, then the record is delivered.
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
}

TEST_F(PromptedPiiReaderTest, WithAnApplicationIdTypeThirtyTwoIsVerifiedBeforeTheSheetCloses) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.promptedPiiPin, std::optional<std::string>("tenant"));
  ASSERT_TRUE(results->last() && *results->last());
  EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"32"});
  const auto request = *server.receivedRequests().at(0).request;
  EXPECT_EQ(Base64::decode(request.expectedHash)->size(), 32u);  // a plain text, not an array
  EXPECT_EQ(request.tenantCode, "tenant");
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
}

// The sheet never shows the success text for a request that the server refused.
TEST_F(PromptedPiiReaderTest, RefusedVerificationEndsTheSheetWithTheErrorText) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  server.setForcedVerdict(false);
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.promptedPiiPin, std::optional<std::string>("tenant"));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().errorCode, 18001);
  EXPECT_EQ(rig.alerts->texts(), (std::vector<std::string>{"initial", "reading", "error"}));
}

TEST_F(PromptedPiiReaderTest, TamperedNumberFileIsRefused) {
  CardSurfaceRig rig;
  rig.startServer();
  rig.files.supEf0001[5] = '9';
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.promptedPiiPin, std::optional<std::string>("tenant"));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().errorCode, 18001);
}

TEST_F(PromptedPiiReaderTest, PinsAndRefusals) {
  for (const auto& [pin, code] : std::vector<std::pair<std::string, int>>{
           {"", 12002}, {"123", 12007}, {"12345", 12007}, {"12a4", 12008}, {"123456789012", 12007}}) {
    CardSurfaceRig rig;
    fetch(rig, pin);
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetFailedPin(PROMPTED_PII,nil)",
                                                           "result(" + std::to_string(code) + ")", "didGetPin()"}))
        << pin;
  }
  CardSurfaceRig empty;
  fetch(empty, std::nullopt, std::optional<std::string>(""));
  EXPECT_EQ(empty.log->events(), (std::vector<std::string>{"result(14001)", "didGetPin()"}));
  EXPECT_EQ(empty.viewController->presentedCount(), 0u);

  CardSurfaceRig wrong;
  wrong.presentCard().addFault(VirtualCardFault::statusWordAt(3, 0x63C2));
  const auto results = fetch(wrong, "1234");
  EXPECT_EQ(wrong.log->events(),
            (std::vector<std::string>{"didGetPin()", "didGetFailedPin(PROMPTED_PII,2)", "result(13300)"}));
  EXPECT_EQ(results->results()[0].error().retryCount, 2);
  EXPECT_EQ(wrong.commands().size(), 3u);  // EF 0001 is never selected

  CardSurfaceRig locked;
  locked.presentCard();
  locked.card->setPinTriesLeft(CardSurfaceApplications::INPUT_SUPPORT, CardSurfaceApplications::SUP_PROMPTED_PII_PIN, 0);
  fetch(locked, "1234");
  EXPECT_EQ(locked.log->events(),
            (std::vector<std::string>{"didGetPin()", "didGetFailedPin(PROMPTED_PII,0)", "result(13400)"}));
}

TEST_F(PromptedPiiReaderTest, TheRequestTypeIsSentAsGiven) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  auto results = std::make_shared<PromptedPiiResults>(rig.log);
  auto reader = std::make_shared<PromptedPiiReader>(results, rig.context());
  reader->appId = "tenant";
  const CardSurfaceFiles& f = rig.files;
  const PromptedPii record(f.supEf0001, f.supEf0002, f.supEf0003, f.supEf0004);
  EXPECT_TRUE(reader->request("32", record));
  // The whole scope's texts under the number side's type: the stand-in refuses them.
  EXPECT_FALSE(reader->request("22", record));
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"32", "22"}));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().errorCode, 18001);
}

}  // namespace
}  // namespace ekyc::test
