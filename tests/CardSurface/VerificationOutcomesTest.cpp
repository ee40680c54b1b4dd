// The IC driving licence reader against every answer of the verification exchange (the four
// card-surface readers run the same table in CardSurfaceReadersTest.VerdictAndTransportFailures).
// Every reader of the group against every answer of the verification exchange: one coded failure
// each, the session ended with the error text, never a record.
#include "CardSurface/CardSurfaceTestSupport.hpp"

namespace ekyc::test {
namespace {

enum class ReaderKind { myNumber, cardPrint, both, promptedPii, driverLicense };

struct Outcome {
  std::size_t results = 0;
  std::int64_t code = 0;
  std::optional<std::int64_t> httpStatus;
  std::string message;
  std::string lastSheetText;
};

// Runs one verifying request of the reader on a fresh rig whose endpoint is set by `arrange`.
Outcome runVerifying(ReaderKind kind, const std::function<void(CardSurfaceRig&)>& arrange, double httpTimeout = 10.0) {
  CardSurfaceRig rig;
  arrange(rig);
  kind == ReaderKind::driverLicense ? rig.presentLicence() : rig.presentCard();
  const auto& h = rig.holder;
  const std::optional<std::string> id("tenant");
  Outcome out;
  auto take = [&](const auto& results) {
    const auto all = results->results();
    out.results = all.size();
    if (!all.empty() && !all.back()) {
      out.code = all.back().error().errorCode;
      out.httpStatus = all.back().error().httpStatus;
      out.message = all.back().error().localizedDescription;
    }
  };
  switch (kind) {
    case ReaderKind::myNumber: {
      auto results = std::make_shared<MyNumberResults>(rig.log);
      rig.run<MyNumberInfoReader>(results, [&](MyNumberInfoReader& r) { r.fetchMyNumberCardInfo(h.myNumberPin, id); },
                                  httpTimeout);
      take(results);
      break;
    }
    case ReaderKind::cardPrint: {
      auto results = std::make_shared<CardPrintResults>(rig.log);
      rig.run<CardPrintInfoReader>(results, [&](CardPrintInfoReader& r) { r.fetchCardPrintInfo(h.cardPrintInfoPin, id); },
                                   httpTimeout);
      take(results);
      break;
    }
    case ReaderKind::both: {
      auto results = std::make_shared<BothResults>(rig.log);
      rig.run<CardPrintInfoAndMyNumberInfoReader>(
          results,
          [&](CardPrintInfoAndMyNumberInfoReader& r) {
            r.fetchCardPrintInfoAndMyNumberInfo(h.cardPrintInfoPin, h.myNumberPin, id);
          },
          httpTimeout);
      take(results);
      break;
    }
    case ReaderKind::promptedPii: {
      auto results = std::make_shared<PromptedPiiResults>(rig.log);
      rig.run<PromptedPiiReader>(results, [&](PromptedPiiReader& r) { r.fetchPromptedPii(id, h.promptedPiiPin); },
                                 httpTimeout);
      take(results);
      break;
    }
    case ReaderKind::driverLicense: {
      auto results = std::make_shared<DriverLicenseResults>(rig.log);
      rig.run<DriverLicenseInfoReader>(
          results,
          [&](DriverLicenseInfoReader& r) {
            r.fetchDriverLicense(id, rig.licenceOptions.pin1, rig.licenceOptions.pin2);
          },
          httpTimeout);
      take(results);
      break;
    }
  }
  const auto texts = rig.alerts->texts();
  out.lastSheetText = texts.empty() ? "" : texts.back();
  // No success text was ever shown.
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "success"), 0);
  return out;
}

class VerificationOutcomesTest : public ::testing::TestWithParam<ReaderKind> {};

TEST_P(VerificationOutcomesTest, NotValid) {
  const auto out = runVerifying(GetParam(), [](CardSurfaceRig& rig) { rig.startServer().setForcedVerdict(false); });
  EXPECT_EQ(out.results, 1u);
  EXPECT_EQ(out.code, 18001);
  EXPECT_NE(out.message.find("電子署名の検証に失敗しました。"), std::string::npos);
  EXPECT_EQ(out.lastSheetText, "error");
}

TEST_P(VerificationOutcomesTest, NotFound) {
  const auto out = runVerifying(GetParam(), [](CardSurfaceRig& rig) { rig.startServer().setForcedHttpStatus(404); });
  EXPECT_EQ(out.results, 1u);
  EXPECT_EQ(out.code, 15000);
  EXPECT_EQ(out.httpStatus, 404);
  EXPECT_EQ(out.message, "通信処理でエラーになりました。HTTP ステータスコード 404");
  EXPECT_EQ(out.lastSheetText, "error");
}

TEST_P(VerificationOutcomesTest, AnswerThatCannotBeRead) {
  for (const auto shape : {ResponseShape::ValidMissing, ResponseShape::ValidString, ResponseShape::NotJson,
                           ResponseShape::EmptyBody, ResponseShape::NotObject}) {
    const auto out = runVerifying(GetParam(), [shape](CardSurfaceRig& rig) { rig.startServer().setResponseShape(shape); });
    EXPECT_EQ(out.results, 1u);
    EXPECT_EQ(out.code, 18001);
  }
  // The whole body is one JSON object: a NUL, trailing bytes or a name given twice make it unreadable.
  using namespace std::string_literals;
  for (const auto& body : {"{\"valid\":true}\0{\"valid\":false}"s, "{\"valid\":true} {\"valid\":false}"s,
                           "{\"valid\":false,\"valid\":true}"s, "{\"valid\":true,\"e\":{\"a\":1,\"a\":2}}"s}) {
    const auto out = runVerifying(GetParam(), [&body](CardSurfaceRig& rig) {
      RawResponse raw;
      raw.body = body;
      rig.startServer().setRawResponse(raw);
    });
    EXPECT_EQ(out.results, 1u);
    EXPECT_EQ(out.code, 18001) << body;
  }
}

TEST_P(VerificationOutcomesTest, TimeOut) {
  const auto out = runVerifying(
      GetParam(), [](CardSurfaceRig& rig) { rig.startServer().setResponseDelay(std::chrono::milliseconds(2000)); }, 0.4);
  EXPECT_EQ(out.results, 1u);
  EXPECT_EQ(out.code, 16001);
  EXPECT_EQ(out.message, "HTTPS 通信中にタイムアウトが発生しました。");
}

TEST_P(VerificationOutcomesTest, ConnectionRefused) {
  // The rig's default endpoint is a loopback port where nothing listens.
  const auto out = runVerifying(GetParam(), [](CardSurfaceRig&) {});
  EXPECT_EQ(out.results, 1u);
  EXPECT_EQ(out.code, 16999);
  EXPECT_EQ(out.message, "HTTPS 通信に失敗しました。");
}

INSTANTIATE_TEST_SUITE_P(AllReaders, VerificationOutcomesTest,
                         ::testing::Values(ReaderKind::driverLicense),
                         [](const auto& info) {
                           switch (info.param) {
                             case ReaderKind::myNumber: return std::string("MyNumberInfoReader");
                             case ReaderKind::cardPrint: return std::string("CardPrintInfoReader");
                             case ReaderKind::both: return std::string("CardPrintInfoAndMyNumberInfoReader");
                             case ReaderKind::promptedPii: return std::string("PromptedPiiReader");
                             case ReaderKind::driverLicense: return std::string("DriverLicenseInfoReader");
                           }
                           return std::string("reader");
                         });

}  // namespace
}  // namespace ekyc::test
