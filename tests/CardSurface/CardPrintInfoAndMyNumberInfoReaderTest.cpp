// The reader of the card surface with the individual number end to end: two PINs in both
// applications, labelled messages, requests "13" then "23".
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "CardSurface/ExpectedRequests.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

const std::string CP = "券面事項情報 ";
const std::string MN = "個人番号情報 ";

class CardPrintInfoAndMyNumberInfoReaderTest : public ::testing::Test {
 protected:
  std::vector<std::string> sheetAtDelivery;

  std::shared_ptr<BothResults> fetch(CardSurfaceRig& rig, std::optional<std::string> cardPrintPin,
                                     std::optional<std::string> numberPin,
                                     std::optional<std::optional<std::string>> appId = std::nullopt) {
    auto results = std::make_shared<BothResults>(rig.log);
    results->onResult = [this, alerts = rig.alerts] { sheetAtDelivery = alerts->texts(); };
    rig.run<CardPrintInfoAndMyNumberInfoReader>(results, [&](CardPrintInfoAndMyNumberInfoReader& reader) {
      if (appId) {
        reader.fetchCardPrintInfoAndMyNumberInfo(cardPrintPin, numberPin, *appId);
      } else {
        reader.fetchCardPrintInfoAndMyNumberInfo(cardPrintPin, numberPin);
      }
    });
    return results;
  }
  std::shared_ptr<BothResults> fetch(CardSurfaceRig& rig) {
    return fetch(rig, rig.holder.cardPrintInfoPin, rig.holder.myNumberPin);
  }
  static CardPrintInfoAndMyNumberInfoError onlyError(const std::shared_ptr<BothResults>& results) {
    EXPECT_EQ(results->results().size(), 1u);
    return results->results().at(0).error();
  }
};

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, ReadsBothRecordsInOneTap) {
  CardSurfaceRig rig;
  rig.presentCard();
  const auto results = fetch(rig);
  EXPECT_EQ(rig.viewController->presentedCount(), 0u);  // both PINs preset: no dialog
  const std::string cp = rig.holder.cardPrintInfoPin, mn = rig.holder.myNumberPin;
  EXPECT_EQ(rig.commands(),
            (std::vector<std::string>{selectAid(false), selectEf("0012"), verify(cp), selectEf("0013"), verify(mn),
                                      selectEf("0002"), read(5498), selectEf("0004"), read(568), selectEf("0005"),
                                      read(1664), selectAid(true), selectEf("0014"), verify(mn), selectEf("0015"),
                                      verify(cp), selectEf("0001"), read(17), selectEf("0002"), read(1024),
                                      selectEf("0003"), read(336), selectEf("0004"), read(568)}));
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  const auto both = *results->last().value();
  ASSERT_TRUE(both.getCardPrintInfo() && both.getMyNumberInfo());
  EXPECT_EQ(both.getMyNumberInfo()->getMyNumber(), "123456789018");
  EXPECT_EQ(both.getMyNumberInfo()->supportVerifySrc, rig.files.supEf0001);
  EXPECT_EQ(both.getCardPrintInfo()->getAllName(), "日本　花子");
  EXPECT_EQ(both.getCardPrintInfo()->getCommonName(), "日本　花子");
  EXPECT_FALSE(both.getCardPrintInfo()->getPreviousName());
  // The two records carry the same input-support signature and certificate.
  EXPECT_EQ(both.getCardPrintInfo()->supportSignature, both.getMyNumberInfo()->supportSignature);
  EXPECT_EQ(both.getCardPrintInfo()->certSupport, both.getMyNumberInfo()->certSupport);
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading"}));
  EXPECT_EQ(rig.alerts->texts().back(), "success");
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, WithAnApplicationIdThirteenThenTwentyThree) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  rig.holder = CardSurfaceHolder::sampleWithPreviousName();
  rig.files = CardSurfaceFiles::build(rig.holder, CardSurfaceKeys::shared());
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, rig.holder.myNumberPin, std::optional<std::string>("t"));
  ASSERT_TRUE(results->last() && *results->last());
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"13", "23"}));
  EXPECT_EQ(sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
  const auto print = *results->last().value()->getCardPrintInfo();
  EXPECT_TRUE(print.isIncludePreviousName());
  EXPECT_EQ(print.getPreviousName(), "山田");
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, AnInvalidSurfaceStopsBeforeTheNumberIsSent) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  server.setForcedVerdict(false);
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, rig.holder.myNumberPin, std::optional<std::string>("t"));
  const auto error = onlyError(results);
  EXPECT_EQ(error.errorCode, 18001);
  EXPECT_EQ(error.localizedDescription, CP + "電子署名の検証に失敗しました。");
  EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"13"});
  EXPECT_EQ(rig.alerts->texts().back(), "error");
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, ATamperedNumberImageFailsTheSecondRequest) {
  CardSurfaceRig rig;
  auto& server = rig.startServer();
  rig.files.csEf0005[40] ^= 0x01;  // inside DF41
  rig.presentCard();
  const auto results = fetch(rig, rig.holder.cardPrintInfoPin, rig.holder.myNumberPin, std::optional<std::string>("t"));
  const auto error = onlyError(results);
  EXPECT_EQ(error.localizedDescription, MN + "電子署名の検証に失敗しました。");
  EXPECT_EQ(server.receivedRequestTypes(), (std::vector<std::string>{"13", "23"}));
  // A photo byte changed fails the first request.
  CardSurfaceRig photo;
  auto& photoServer = photo.startServer();
  photo.files.csEf0002[3000] ^= 0x01;
  photo.presentCard();
  EXPECT_EQ(onlyError(fetch(photo, photo.holder.cardPrintInfoPin, photo.holder.myNumberPin,
                            std::optional<std::string>("t")))
                .localizedDescription,
            CP + "電子署名の検証に失敗しました。");
  EXPECT_EQ(photoServer.receivedRequestTypes(), std::vector<std::string>{"13"});
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, PinRulesCarryTheLabelOfTheirRecord) {
  CardSurfaceRig shortPin;
  const auto a = onlyError(fetch(shortPin, "1234", std::nullopt));
  EXPECT_EQ(a.localizedDescription, CP + "入力された PIN の桁数に誤りがあります。");
  EXPECT_EQ(shortPin.log->events(),
            (std::vector<std::string>{"didGetFailedPin(CARDPRINTINFO,nil)", "result(12007)", "didGetPin()"}));
  EXPECT_EQ(shortPin.viewController->presentedCount(), 0u);

  CardSurfaceRig letter;
  const auto b = onlyError(fetch(letter, letter.holder.cardPrintInfoPin, "12345678901A"));
  EXPECT_EQ(b.localizedDescription, MN + "入力された PIN の文字種に誤りがあります。");
  EXPECT_EQ(letter.log->events(),
            (std::vector<std::string>{"didGetFailedPin(MYNUMBER,nil)", "result(12008)", "didGetPin()"}));

  CardSurfaceRig empty;
  EXPECT_EQ(onlyError(fetch(empty, "", "bad")).localizedDescription, CP + "PIN が設定されていません。");
  EXPECT_EQ(empty.viewController->presentedCount(), 0u);

  CardSurfaceRig noId;
  const auto c = onlyError(fetch(noId, std::nullopt, std::nullopt, std::optional<std::string>()));
  EXPECT_EQ(c.localizedDescription, "appId が設定されていません。");
  EXPECT_EQ(noId.viewController->presentedCount(), 0u);
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, TwoDialogsOneAfterTheOther) {
  CardSurfaceRig rig;
  rig.presentCard();
  rig.viewController->enqueue(ScriptedViewController::Answer::OK(rig.holder.cardPrintInfoPin));
  rig.viewController->enqueue(ScriptedViewController::Answer::OK(rig.holder.myNumberPin));
  EXPECT_TRUE(fetch(rig, std::nullopt, std::nullopt)->last().value());
  const auto shown = rig.viewController->presentations();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "title1");
  EXPECT_EQ(shown[1].title, "title2");
  EXPECT_EQ(shown[1].message, "message2");

  CardSurfaceRig cancel;
  cancel.viewController->enqueue(ScriptedViewController::Answer::OK(cancel.holder.cardPrintInfoPin));
  cancel.viewController->enqueue(ScriptedViewController::Answer::Cancel());
  const auto error = onlyError(fetch(cancel, std::nullopt, std::nullopt));
  EXPECT_EQ(error.localizedDescription, MN + "PIN 入力ダイアログがキャンセルされました。");
  EXPECT_EQ(cancel.log->events(),
            (std::vector<std::string>{"didGetFailedPin(MYNUMBER,nil)", "result(12101)", "didGetPin()"}));

  // A PIN typed into the second dialog that breaks the individual-number rule.
  CardSurfaceRig typed;
  typed.viewController->enqueue(ScriptedViewController::Answer::OK(typed.holder.cardPrintInfoPin));
  typed.viewController->enqueue(ScriptedViewController::Answer::OK("12345"));
  EXPECT_EQ(onlyError(fetch(typed, std::nullopt, std::nullopt)).localizedDescription,
            MN + "入力された PIN の桁数に誤りがあります。");
  EXPECT_EQ(typed.log->events(),
            (std::vector<std::string>{"didGetFailedPin(MYNUMBER,nil)", "result(12007)", "didGetPin()"}));

  // A preset valid card-surface PIN goes straight to the second dialog.
  CardSurfaceRig second;
  second.viewController->enqueue(ScriptedViewController::Answer::Cancel());
  fetch(second, second.holder.cardPrintInfoPin, std::nullopt);
  ASSERT_EQ(second.viewController->presentations().size(), 1u);
  EXPECT_EQ(second.viewController->presentations()[0].title, "title2");
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, RefusedAnswersNameTheSlotOfTheirCheck) {
  struct Case {
    std::size_t command;
    std::uint16_t sw;
    std::string report;
    std::string message;
  };
  const std::vector<Case> cases{
      {3, 0x63C2, "didGetFailedPin(CARDPRINTINFO,2)", CP + "残り2回でロックされます。"},
      {16, 0x63C2, "didGetFailedPin(CARDPRINTINFO,2)", CP + "残り2回でロックされます。"},
      {5, 0x63C2, "didGetFailedPin(MYNUMBER,2)", MN + "残り2回でロックされます。"},
      {14, 0x63C2, "didGetFailedPin(MYNUMBER,2)", MN + "残り2回でロックされます。"},
      {3, 0x63CA, "didGetFailedPin(CARDPRINTINFO,10)", CP + "残り10回でロックされます。"},
      {14, 0x63C0, "didGetFailedPin(MYNUMBER,0)", MN + "ロックされました。"},
      {16, 0x6984, "didGetFailedPin(CARDPRINTINFO,0)", CP + "既にロックされています。"},
      // The checks of SELECT EF 0013 and EF 0014 name the individual-number slot without a label.
      {4, 0x63C1, "didGetFailedPin(MYNUMBER,1)", "残り1回でロックされます。"},
      {13, 0x6984, "didGetFailedPin(MYNUMBER,0)", "既にロックされています。"},
      {10, 0x6A82, "", "カードの読み込みに失敗しました。"},
      {7, 0x6282, "", "カードの読み込みに失敗しました。"},
  };
  for (const auto& c : cases) {
    CardSurfaceRig rig;
    rig.presentCard().addFault(VirtualCardFault::statusWordAt(c.command, c.sw));
    const auto results = fetch(rig);
    std::vector<std::string> expected{"didGetPin()"};
    if (!c.report.empty()) expected.push_back(c.report);
    expected.push_back("result(" + std::to_string(onlyError(results).errorCode) + ")");
    EXPECT_EQ(rig.log->events(), expected) << c.command;
    EXPECT_EQ(onlyError(results).localizedDescription, c.message) << c.command;
    EXPECT_EQ(rig.commands().size(), c.command);
    EXPECT_EQ(rig.alerts->texts().back(), "error");
  }
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, TheCardSurfaceVerifyIsOneCommandSentTwice) {
  CardSurfaceRig rig;
  rig.presentCard();
  fetch(rig);
  const auto commands = rig.commands();
  ASSERT_EQ(commands.size(), 24u);
  EXPECT_EQ(commands[2], commands[15]);
  EXPECT_EQ(commands[4], commands[13]);
  EXPECT_NE(commands[2], commands[4]);
}

// The card-surface VERIFY is built once when the tag is found; the individual-number VERIFY each
// time it is sent. The reader's PINs change after command 2.
TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, OnlyTheNumberVerifyIsBuiltWhenSent) {
  CardSurfaceRig rig;
  auto& card = rig.presentCard();
  std::weak_ptr<CardPrintInfoAndMyNumberInfoReader> reader;
  // The card takes the changed individual-number PIN for the real one.
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
  ASSERT_TRUE(results->last() && *results->last());
  const auto commands = rig.commands();
  ASSERT_EQ(commands.size(), 24u);
  EXPECT_EQ(commands[2], verify(rig.holder.cardPrintInfoPin));
  EXPECT_EQ(commands[15], verify(rig.holder.cardPrintInfoPin));
  EXPECT_EQ(commands[4], verify("888888888888"));
  EXPECT_EQ(commands[13], verify("888888888888"));
}

TEST_F(CardPrintInfoAndMyNumberInfoReaderTest, SessionEndsBeforeTheChain) {
  CardSurfaceRig rig;
  rig.platform.sessionTimeout = std::chrono::milliseconds(200);
  const auto results = fetch(rig);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"result(13600)", "didGetPin()"}));
  EXPECT_EQ(onlyError(results).localizedDescription, "カードとの通信がタイムアウトしました。");
}

}  // namespace
}  // namespace ekyc::test
