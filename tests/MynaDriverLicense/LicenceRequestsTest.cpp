// The three licence-data requests end to end, reader -> session -> virtual
// Individual Number Card (-> stand-in), one table per shared behaviour, each run for the three.
#include "CardSurface/ExpectedRequests.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "SignAndRead/WholeCardRig.hpp"

namespace ekyc::test {
namespace {

using App = MynaDriverLicenseApplication;
const std::string LICENCE_LABEL = "免許情報記録個人番号カード情報 ";

// The licence chain as the card must see it, with the given PIN.
std::vector<std::string> licenceChain(const std::string& pin) {
  return {"00A4040C10A0000002310600000000000000000000", selectEf("0006"), verify(pin), selectEf("001B"),
          read(5845), selectEf("001C"), read(584)};
}
bool sentLicenceCommands(const WholeCardRig& rig) {
  const auto c = rig.commands();
  return std::find(c.begin(), c.end(), licenceChain("")[0]) != c.end();
}

class LicenceRequestTest : public ::testing::TestWithParam<Req> {
 protected:
  WholeCardRig rig;
  Req kind() const { return GetParam(); }
  // The label of the licence PIN's messages: only the combined requests have one.
  std::string licenceLabel() const { return kind() == Req::licence ? "" : LICENCE_LABEL; }
};

// Every item against the virtual card's contents (the hash over the whole file, its 00 filler too).
void expectSampleItems(const MynaDriverLicense& d, const App::Contents& card) {
  using T = std::optional<std::string>;
  using B = std::optional<Bytes>;
  const std::vector<std::pair<T, std::string>> texts{
      {d.getHistoryRecordDate(), "20240401"}, {d.getDriverClass(), "1234"}, {d.getColorClass(), "ゴールド"},
      {d.getExpireData(), "20290101"}, {d.getLicenseRecordNumber(), "123456789012"}, {d.getHistoryRecordNumber(), "01"},
      {d.getSerial(), "SN-0001-VIRTUAL"}, {d.getIssuer(), "Virtual Public Safety Commission"},
      {d.getSubject(), "Virtual Licence Holder"}, {d.getHashData(), Base64::encode(Digest::sha256(card.entries))}};
  for (const auto& [got, want] : texts) EXPECT_EQ(got, want);
  const MynaDriverLicense::TextList conditions{"眼鏡等", {}, {}, {}, "中型車は中型車（８ｔ）に限る", {}, {}, {}, {}, {}, {}, {}};
  EXPECT_EQ(d.getConditionList(), conditions);
  EXPECT_EQ(d.getOmittedCharacterList(), (MynaDriverLicense::DataList{Bytes{0x30, 0x21}, {}, Bytes{}, {}, {}}));
  EXPECT_EQ(d.getRemarkList(), (MynaDriverLicense::TextList{"備考欄Ⅱ", {}, {}, {}, {}, {}, {}, {}}));
  EXPECT_EQ(d.getSpareList(), (MynaDriverLicense::TextList{"予備", {}, {}, {}, {}, {}, {}, {}}));
  EXPECT_EQ(d.getLicenseObtainedDateList(), (MynaDriverLicense::TextList{"20100401", {}, "20150401"}));
  auto categories = MynaDriverLicense::DataList(15);
  categories[0] = Bytes{0x01};
  categories[4] = Bytes{0x02, 0x03};
  EXPECT_EQ(d.getLicenseCategoryList(), categories);
  auto rfu = MynaDriverLicense::DataList(12);
  rfu[0] = Bytes{0xAA};
  rfu[5] = Bytes{0xBB, 0xCC};
  EXPECT_EQ(d.getEntriesRFUList(), rfu);
  const std::vector<std::pair<B, Bytes>> data{{d.getPhoto(), card.entryElements.back().second}, {d.getRFU(), Bytes{0x00, 0x01}},
      {d.getSubjectKeyIdentifier(), App::issuer().ski}, {d.getSignatureBinary(), card.signatureElements.front().second}};
  for (const auto& [got, want] : data) EXPECT_EQ(got, want);
}

TEST_P(LicenceRequestTest, ReadsEveryItemWithoutAndWithVerification) {
  for (const bool verified : {false, true}) {
    WholeCardRig r;
    r.presentWholeCard();
    if (verified) r.startServer();
    const auto o = r.run(kind(), {.appId = verified ? std::optional<std::string>("tenant") : std::nullopt});
    expectSuccess(r, kind(), o);
    ASSERT_TRUE(o.ok && o.licence) << o.message;
    expectSampleItems(*o.licence, r.licence);
    const auto commands = r.commands();
    ASSERT_GE(commands.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(commands.end() - 7, commands.end()), licenceChain(r.licence.pin));
    EXPECT_EQ(r.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
    EXPECT_EQ(lastOf(r.alerts->texts()), "success");
    std::vector<std::string> types;
    if (verified) types = kind() == Req::licenceWithCardPrint ? std::vector<std::string>{"13", "43"} : std::vector<std::string>{"43"};
    EXPECT_EQ(r.server ? r.server->receivedRequestTypes() : std::vector<std::string>{}, types);
    EXPECT_EQ(o.cardPrintInfo && o.cardPrintInfo->getAllName(), kind() == Req::licenceWithCardPrint);
    EXPECT_EQ(o.basicPersonalInfo.has_value(), kind() == Req::licenceWithSignature);
  }
}

// The requests that read another application first.
class CombinedLicenceRequestTest : public LicenceRequestTest {};

TEST_P(CombinedLicenceRequestTest, RefusedOtherPinStopsBeforeTheLicenceData) {
  rig.presentWholeCard();
  const auto o = rig.run(kind(), {.firstPin = kind() == Req::licenceWithSignature ? "WRONG1" : "00000000000000"});
  EXPECT_EQ(o.code, 13300);
  const std::string slot = kind() == Req::licenceWithSignature ? "SIGNER,4" : "CARDPRINTINFO,9";
  const std::string label = kind() == Req::licenceWithSignature ? "電子署名・基本4情報 " : "券面事項情報 ";
  EXPECT_EQ(o.message.rfind(label + "残り", 0), 0u) << o.message;
  // The signing step's failure lets the back channel go once more.
  std::vector<std::string> events{"didGetPin()", "didGetFailedPin(" + slot + ")", "result(13300)"};
  if (kind() == Req::licenceWithSignature) events.push_back("didGetPin()");
  EXPECT_EQ(rig.log->events(), events);
  EXPECT_FALSE(sentLicenceCommands(rig));
}

// Status words (the licence PIN's refusals among them) and a lost card inside the licence step (the
// commands of the step before it have passed): one failure, and what the first application read is dropped.
struct LicenceFault {
  std::size_t step;  // 1..7 within the licence step
  std::optional<std::uint16_t> sw;  // absent: the card leaves the field
  std::vector<std::string> events;
  std::string text;
};

TEST_P(LicenceRequestTest, FaultsInTheLicenceStep) {
  const std::size_t before = kind() == Req::licence ? 0 : kind() == Req::licenceWithCardPrint ? 16 : 7;
  const std::string failed = "カードの読み込みに失敗しました。";
  for (const auto& c : std::vector<LicenceFault>{
           {1, 0x6A82, {"didGetPin()", "result(13999)"}, failed},
           {3, 0x63CA, {"didGetPin()", "didGetFailedPin(MYNA_DL,10)", "result(13300)"}, licenceLabel() + "残り10回でロックされます。"},
           {3, 0x63C0, {"didGetPin()", "didGetFailedPin(MYNA_DL,0)", "result(13200)"}, licenceLabel() + "ロックされました。"},
           {3, 0x6984, {"didGetPin()", "didGetFailedPin(MYNA_DL,0)", "result(13400)"}, licenceLabel() + "既にロックされています。"},
           {7, 0x9001, {"didGetPin()", "result(ok)"}, ""},  // SW1 90 passes (an empty signature file)
           {5, {}, {"didGetPin()", "result(13999)"}, failed}}) {
    WholeCardRig r;
    r.presentWholeCard().addFault(c.sw ? VirtualCardFault::statusWordAt(before + c.step, *c.sw)
                                       : VirtualCardFault::removedAt(before + c.step));
    EXPECT_EQ(r.run(kind()).message, c.text);
    EXPECT_EQ(r.log->events(), c.events);
    EXPECT_EQ(lastOf(r.alerts->texts()), c.text.empty() ? "success" : "error");
  }
}

// The data to sign and its hash name are checked before any session; a signing certificate without
// some items gives 17000 with their labels ("、" only between two), no signature, no licence command;
// a certificate file without a certificate 99999. A failure in the session is followed by
// didGetPin("") once more.
TEST(LicenceSigningRequestTest, DataToSignAndCertificateItemsAreCheckedFirst) {
  using Change = std::function<void(VirtualJpkiContents::Options&)>;
  const std::vector<std::tuple<Request, Change, std::int64_t, std::string>> rows{
      {{.tbs = ""}, [](auto&) {}, 12003, ""},
      {{.tbs = "ZGF0YQ==", .hash = "SHA-1"}, [](auto&) {}, 12005, ""},
      {{}, [](auto& o) { o.holder.gender.reset(); o.holder.address.reset(); }, 17000, "性別、住所"},
      {{}, [](auto& o) { o.signingCertificateFile = Bytes(3900, 0xFF); }, 99999, ""}};
  for (const auto& [q, change, code, missing] : rows) {
    WholeCardRig r;
    VirtualJpkiContents::Options options;
    change(options);
    r.useJpki(options);
    r.presentWholeCard();
    const auto o = r.run(Req::licenceWithSignature, q);
    const std::string result = "result(" + std::to_string(code) + ")";
    std::vector<std::string> events{result, "didGetPin()"};
    if (code > 13000) events.insert(events.begin(), "didGetPin()");  // in the session
    EXPECT_EQ(r.log->events(), events);
    if (code != 17000) continue;
    EXPECT_EQ(o.message, "基本4情報の取得に失敗しました。 : " + missing);
    EXPECT_EQ(r.commands().size(), 5u);
  }
}

// A name with "［" but no "］" (with fewer substitute-position flags than characters) in the first
// application of a combined request is read as a name without a previous name. (What its files lack
// is in the card-file table over every reader of them.)
TEST_P(CombinedLicenceRequestTest, FirstApplicationNameWithoutItsClosingBracket) {
  WholeCardRig r;
  if (kind() == Req::licenceWithCardPrint) {
    r.holder.name = "山田［太郎";
    r.files = CardSurfaceFiles::build(r.holder, CardSurfaceKeys::shared());
  } else {
    VirtualJpkiContents::Options options;
    options.holder.name = "山田［太郎";
    options.holder.nameSubChar = "0";
    r.useJpki(options);
  }
  r.presentWholeCard();
  const auto o = r.run(kind());
  ASSERT_TRUE(o.ok) << o.message;
  const auto nameAlone = [](const auto& info) {
    ASSERT_TRUE(info) << "no record";
    EXPECT_FALSE(info->isIncludePreviousName() || info->getPreviousName());
    EXPECT_EQ(info->getCommonName(), std::optional<std::string>("山田［太郎"));
  };
  kind() == Req::licenceWithCardPrint ? nameAlone(o.cardPrintInfo) : nameAlone(o.basicPersonalInfo);
}

// Failures before any session: exactly one result, then didGetPin("").
struct BeforeSession {
  std::optional<std::string> appId;
  std::optional<std::string> licencePin;  // absent: asked for, and the dialog cancelled
  std::vector<std::string> events;
  std::string text;
};

TEST_P(LicenceRequestTest, FailuresBeforeTheSession) {
  const std::string nilPin = "didGetFailedPin(MYNA_DL,nil)";
  for (const auto& c : std::vector<BeforeSession>{
           {std::string(""), "1357", {"result(14001)", "didGetPin()"}, "appId が設定されていません。"},
           {{}, "13579", {nilPin, "result(12007)", "didGetPin()"}, licenceLabel() + "入力された PIN の桁数に誤りがあります。"},
           {{}, "13a7", {nilPin, "result(12008)", "didGetPin()"}, licenceLabel() + "入力された PIN の文字種に誤りがあります。"},
           {{}, {}, {nilPin, "result(12101)", "didGetPin()"}, licenceLabel() + "PIN 入力ダイアログがキャンセルされました。"}}) {
    WholeCardRig r;
    r.presentWholeCard();
    if (!c.licencePin) r.viewController->enqueue(ScriptedViewController::Answer::Cancel());
    EXPECT_EQ(r.run(kind(), {.secondPin = c.licencePin, .askSecond = !c.licencePin, .appId = c.appId}).message, c.text);
    EXPECT_EQ(r.log->events(), c.events);
    EXPECT_TRUE(r.commands().empty());
  }
}

// What the verification of the licence data meets.
struct Verification {
  std::string name;
  std::function<void(WholeCardRig&)> arrange;  // before the card is presented
  std::int64_t code;
  bool licenceRequestSent;                    // "43" reached the stand-in
  bool failsAtCardSurface;                    // the combined request stops at "13"
};

TEST_P(LicenceRequestTest, VerificationOutcomes) {
  const std::vector<Verification> cases{
      {"ValidFalse", [](WholeCardRig& r) { r.startServer().setForcedVerdict(false); }, 18001, true, true},
      {"Status404", [](WholeCardRig& r) { r.startServer().setForcedHttpStatus(404); }, 15000, true, true},
      {"TimeOut", [](WholeCardRig& r) { r.startServer().setResponseDelay(std::chrono::milliseconds(2500)); }, 16001,
       true, true},
      {"Refused", [](WholeCardRig&) {}, 16999, false, true},
      {"TamperedEntries", [](WholeCardRig& r) { r.startServer(); r.licence.entries[10] ^= 0x01; }, 18001, true, false},
      {"NoSignature", [](WholeCardRig& r) { r.startServer(); r.licence = App::make(App::Variant::missingSignature); },
       18001, false, false},
      {"NoSki", [](WholeCardRig& r) { r.startServer(); r.licence = App::make(App::Variant::missingSki); }, 18001, false,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WholeCardRig r;
    c.arrange(r);
    r.presentWholeCard();
    const auto o = r.run(kind(), {.appId = "tenant", .httpTimeout = 1.0});
    EXPECT_EQ(o.code, c.code) << o.message;
    EXPECT_EQ(r.log->events(), (std::vector<std::string>{"didGetPin()", "result(" + std::to_string(c.code) + ")"}));
    const bool stopsAtSurface = kind() == Req::licenceWithCardPrint && c.failsAtCardSurface;
    std::vector<std::string> types;
    if (kind() == Req::licenceWithCardPrint && (c.licenceRequestSent || !c.failsAtCardSurface)) types.push_back("13");
    if (c.licenceRequestSent && !stopsAtSurface) types.push_back("43");
    EXPECT_EQ(r.server ? r.server->receivedRequestTypes() : std::vector<std::string>{}, types);
    // The licence verification runs after the sheet showed the success text; "13" with it still open.
    EXPECT_EQ(lastOf(r.alerts->texts()), stopsAtSurface ? "error" : "success");
    if (c.code == 15000) {
      EXPECT_EQ(o.httpStatus, 404);
    }
    if (c.name == "ValidFalse") {
      EXPECT_EQ(o.message, (stopsAtSurface ? "券面事項情報 " : "") + std::string("電子署名の検証に失敗しました。"));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, LicenceRequestTest,
                         ::testing::Values(Req::licence, Req::licenceWithCardPrint, Req::licenceWithSignature),
                         paramName);
INSTANTIATE_TEST_SUITE_P(Requests, CombinedLicenceRequestTest,
                         ::testing::Values(Req::licenceWithCardPrint, Req::licenceWithSignature), paramName);

}  // namespace
}  // namespace ekyc::test
