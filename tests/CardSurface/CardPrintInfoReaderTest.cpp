// The card-surface reader end to end.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"

namespace ekyc::test {
namespace {

class CardPrintInfoReaderTest : public ::testing::Test {
 protected:
  // What the NFC sheet had shown when the delegate was called.
  std::vector<std::string> sheetAtDelivery;

  std::shared_ptr<CardPrintResults> fetch(CardSurfaceRig& rig, std::optional<std::string> pin,
                                          std::optional<std::optional<std::string>> appId = std::nullopt) {
    auto results = std::make_shared<CardPrintResults>(rig.log);
    results->onResult = [this, alerts = rig.alerts] { sheetAtDelivery = alerts->texts(); };
    rig.run<CardPrintInfoReader>(results, [&](CardPrintInfoReader& reader) {
      if (appId) {
        reader.fetchCardPrintInfo(pin, *appId);
      } else {
        reader.fetchCardPrintInfo(pin);
      }
    });
    return results;
  }

  static std::vector<std::string> chain(const std::string& pin) {
    return {selectAid(false), selectEf("0012"), verify(pin), selectEf("0002"), read(5498), selectEf("0004"),
            read(568),        selectAid(true),  selectEf("0015"), verify(pin), selectEf("0002"), read(1024),
            selectEf("0003"), read(336),        selectEf("0004"), read(568)};
  }
};

TEST_F(CardPrintInfoReaderTest, ReadsTheSurfaceAndTheBasicItemsDeliveringBeforeTheSessionEnds) {
  CardSurfaceRig rig;
  rig.presentCard();
  auto results = fetch(rig, rig.holder.cardPrintInfoPin);
  EXPECT_EQ(rig.commands(), chain(rig.holder.cardPrintInfoPin));
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  const CardPrintInfo info = *results->last().value();
  EXPECT_EQ(info.getAllName(), "日本　花子");
  EXPECT_EQ(info.getCommonName(), "日本　花子");
  EXPECT_FALSE(info.getPreviousName());
  EXPECT_FALSE(info.isIncludePreviousName());
  EXPECT_EQ(info.getAddress(), rig.holder.address);
  EXPECT_EQ(info.getDateOfBirth(), "19850401");
  EXPECT_EQ(info.getGender(), "女");
  EXPECT_EQ(info.getExpireDate(), rig.holder.expireDate);
  const auto photo = info.getPhoto();
  ASSERT_TRUE(photo && photo->size() > 2);
  EXPECT_EQ(std::string(photo->begin(), photo->begin() + 2), "P5");
  // The record keeps the six elements; their digests are what the server would get.
  EXPECT_EQ((*info.cardPrintInfoVerifySrc)[0], 0xDF);
  EXPECT_EQ((*info.cardPrintInfoVerifySrc)[1], 0x22);
  EXPECT_EQ(Base64::decode(*info.getCardPrintInfoImageHashData())->size(), 96u);
  EXPECT_EQ(info.hashMyNumberInfo, Digest::sha256(rig.files.supEf0001));
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading"}));
  EXPECT_EQ(rig.alerts->texts(), (std::vector<std::string>{"initial", "reading", "success"}));
}

TEST_F(CardPrintInfoReaderTest, PreviousNameIsSplitOut) {
  CardSurfaceRig rig;
  rig.holder = CardSurfaceHolder::sampleWithPreviousName();
  rig.files = CardSurfaceFiles::build(rig.holder, CardSurfaceKeys::shared());
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin);
  const CardPrintInfo info = *results->last().value();
  EXPECT_TRUE(info.isIncludePreviousName());
  EXPECT_EQ(info.getAllName(), "日本［山田］　花子");
  EXPECT_EQ(info.getPreviousName(), "山田");
  EXPECT_EQ(info.getCommonName(), "日本　花子");
}

TEST_F(CardPrintInfoReaderTest, NameWithALeftBracketAloneIsKeptWhole) {
  CardSurfaceRig rig;
  rig.holder.name = "日本［山田　花子";
  rig.files = CardSurfaceFiles::build(rig.holder, CardSurfaceKeys::shared());
  rig.presentCard();
  const CardPrintInfo info = *fetch(rig, rig.holder.cardPrintInfoPin)->last().value();
  EXPECT_FALSE(info.isIncludePreviousName());
  EXPECT_EQ(info.getCommonName(), "日本［山田　花子");
  EXPECT_FALSE(info.getPreviousName());
}

TEST_F(CardPrintInfoReaderTest, WithAnApplicationIdRequestThirteenIsSentAndTheRecordFollowsTheSessionEnd) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, std::optional<std::string>("tenant"));
  ASSERT_TRUE(results->last() && *results->last());
  EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"13"});
  const auto request = *server.receivedRequests().at(0).request;
  const auto hashes = VerifierKit::decodeBase64TextArray(request.expectedHash);
  ASSERT_TRUE(hashes && hashes->size() == 2u);
  EXPECT_EQ((*hashes)[0].size(), 128u);  // the 96 bytes of three digests, not hashed again
  EXPECT_EQ((*hashes)[1].size(), 44u);
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
}

TEST_F(CardPrintInfoReaderTest, OneChangedPhotoByteIsRefusedByTheStandIn) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  // Change one byte inside the photo (its value starts after the name and address images).
  const Bytes photoTag{0xDF, 0x27, 0x82};
  const auto at = std::search(rig.files.csEf0002.begin(), rig.files.csEf0002.end(), photoTag.begin(), photoTag.end());
  ASSERT_NE(at, rig.files.csEf0002.end());
  *(at + 200) ^= 0x40;
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, std::optional<std::string>("tenant"));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().errorCode, 18001);
  EXPECT_EQ(server.receivedRequests().size(), 1u);
  EXPECT_EQ(rig.alerts->texts().back(), "error");
  // Without verification the same card is read as it is.
  CardSurfaceRig plain;
  plain.files = rig.files;
  plain.presentCard();
  EXPECT_TRUE(fetch(plain, plain.holder.cardPrintInfoPin)->last().value());
}

TEST_F(CardPrintInfoReaderTest, OneVerifyCommandIsSentInBothApplications) {
  CardSurfaceRig rig;
  rig.presentCard().addFault(VirtualCardFault::statusWordAt(10, 0x63C2));
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin);
  EXPECT_EQ(rig.log->events(),
            (std::vector<std::string>{"didGetPin()", "didGetFailedPin(CARDPRINTINFO,2)", "result(13300)"}));
  EXPECT_EQ(results->results()[0].error().retryCount, 2);
  const auto commands = rig.commands();
  ASSERT_EQ(commands.size(), 10u);
  EXPECT_EQ(commands[2], commands[9]);
  EXPECT_EQ(commands[2], verify(rig.holder.cardPrintInfoPin));
}

TEST_F(CardPrintInfoReaderTest, MissingPinFileInTheInputSupportApplication) {
  CardSurfaceRig rig;
  rig.presentCard().addFault(VirtualCardFault::statusWordAt(9, 0x6A82));
  fetch(rig, rig.holder.cardPrintInfoPin);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(13999)"}));
}

TEST_F(CardPrintInfoReaderTest, PresetPinsAndDialog) {
  for (const auto& [pin, code] : std::vector<std::pair<std::string, int>>{
           {"", 12002}, {"123456789012", 12007}, {"1234567890123", 12007}, {"1234567890123A", 12008}}) {
    CardSurfaceRig rig;
    fetch(rig, pin);
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetFailedPin(CARDPRINTINFO,nil)",
                                                           "result(" + std::to_string(code) + ")", "didGetPin()"}));
  }
  CardSurfaceRig cancel;
  cancel.viewController->enqueue(ScriptedViewController::Answer::Cancel());
  fetch(cancel, std::nullopt);
  EXPECT_EQ(cancel.log->events(),
            (std::vector<std::string>{"didGetFailedPin(CARDPRINTINFO,nil)", "result(12101)", "didGetPin()"}));
  CardSurfaceRig typed;
  typed.presentCard();
  typed.viewController->enqueue(ScriptedViewController::Answer::OK("8504012035"));  // too short
  fetch(typed, std::nullopt);
  EXPECT_EQ(typed.log->events(),
            (std::vector<std::string>{"didGetFailedPin(CARDPRINTINFO,nil)", "result(12007)", "didGetPin()"}));
  EXPECT_TRUE(typed.commands().empty());
}

TEST_F(CardPrintInfoReaderTest, SurfaceFileWithoutThePhotoGivesACardReadFailure) {
  CardSurfaceRig rig;
  // Rebuild cs EF 0002 without DF27: keep the elements before it and after it.
  Bytes inner;
  const Bytes& file = rig.files.csEf0002;  // FF 20 82 hi lo, then the elements
  ASSERT_EQ(file[2], 0x82);
  std::size_t p = 5;
  const std::size_t end = 5 + ((std::size_t(file[3]) << 8) | file[4]);
  while (p < end) {
    std::size_t q = p + 2;
    std::size_t n = file[q++];
    if (n == 0x81) n = file[q++];
    else if (n == 0x82) { n = (std::size_t(file[q]) << 8) | file[q + 1]; q += 2; }
    if (!(file[p] == 0xDF && file[p + 1] == 0x27)) inner.insert(inner.end(), file.begin() + long(p), file.begin() + long(q + n));
    p = q + n;
  }
  rig.files.csEf0002 = CardSurfaceFiles::tlv({0xFF, 0x20}, inner);
  rig.files.csEf0002.resize(5498, 0xFF);
  rig.presentCard();
  fetch(rig, rig.holder.cardPrintInfoPin);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(13999)"}));
  EXPECT_EQ(rig.commands().size(), 5u);
}

TEST_F(CardPrintInfoReaderTest, ShortAnswersWithSuccessGiveACardReadFailure) {
  // The card answers 90 00 with less than the file: the surface file cut inside the photo, then
  // the input-support certificate cut inside its record.
  for (const auto& [command, keep] : std::vector<std::pair<std::size_t, std::size_t>>{{5, 3000}, {16, 300}}) {
    CardSurfaceRig rig;
    rig.presentCard().addFault(VirtualCardFault::truncatedAt(command, keep));
    fetch(rig, rig.holder.cardPrintInfoPin);
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(13999)"})) << command;
    EXPECT_EQ(rig.commands().size(), command);
  }
}

TEST_F(CardPrintInfoReaderTest, RecordKeptWithoutADelegateAndApplicationIdDroppedAfterARefusal) {
  CardSurfaceRig rig;
  rig.presentCard();
  auto quiet = std::make_shared<CardPrintInfoReader>(nullptr, rig.context());
  quiet->fetchCardPrintInfo(rig.holder.cardPrintInfoPin);
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return quiet->cardPrintInfo.has_value(); }, std::chrono::seconds(10)));
  EXPECT_EQ(quiet->cardPrintInfo->getAllName(), "日本　花子");
  EXPECT_EQ(rig.log->events(), std::vector<std::string>{"didGetPin()"});

  CardSurfaceRig refused;
  refused.startServer().setForcedVerdict(false);
  refused.presentCard();
  auto results = std::make_shared<CardPrintResults>(refused.log);
  auto reader = std::make_shared<CardPrintInfoReader>(results, refused.context());
  reader->fetchCardPrintInfo(refused.holder.cardPrintInfoPin, std::optional<std::string>("tenant"));
  ASSERT_TRUE(::ekyc::test::pumpUntil(*refused.runLoop, 
      [&] { return !results->results().empty() && refused.cardReader->activeSessionCount() == 0; },
      std::chrono::seconds(10)));
  EXPECT_EQ(results->results().at(0).error().errorCode, 18001);
  EXPECT_FALSE(reader->appId);
  EXPECT_FALSE(reader->cardPrintInfo);
}

TEST_F(CardPrintInfoReaderTest, VerificationFailuresAndRequestTypes) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  server.setForcedHttpStatus(503);
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, std::optional<std::string>("tenant"));
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->results()[0].error().httpStatus, 503);
  EXPECT_EQ(results->results()[0].error().localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 503");

  server.resetSwitches();
  CardSurfaceRig again;
  again.platform = rig.platform;
  again.platform.cardReader = again.cardReader;
  again.platform.alertPresenter = again.alerts;
  again.presentCard();
  auto kept = std::make_shared<CardPrintInfoReader>(std::make_shared<CardPrintResults>(again.log), again.context());
  kept->fetchCardPrintInfo(again.holder.cardPrintInfoPin);
  ASSERT_TRUE(::ekyc::test::pumpUntil(*again.runLoop, 
      [&] { return again.log->count("result") == 1 && again.cardReader->activeSessionCount() == 0; },
      std::chrono::seconds(10)));
  server.clearReceivedRequests();
  kept->appId = "tenant";
  EXPECT_TRUE(kept->request("11"));
  EXPECT_TRUE(kept->request("12"));
  EXPECT_FALSE(kept->request("23"));
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"11", "12"}));
  EXPECT_EQ(server.receivedRequests()[0].request->expectedHash.size(), 128u);
  EXPECT_EQ(server.receivedRequests()[1].request->expectedHash.size(), 44u);
}

}  // namespace
}  // namespace ekyc::test
