// The four readers of the card-surface group, end to end on one rig (reader -> session -> virtual
// card -> stand-in), each behaviour they share written once as a table and run on every reader:
// the chain and record, the verification requests text by text, verdict and transport failures,
// tampering, the application id, PIN rules and dialogs, refused status words, the end of the
// session, and card files that cannot give what a request needs. The IC driving licence reader
// runs the shared failure tables too (CardSurfaceFamilyTest).
#include <nlohmann/json.hpp>

#include "CardSurface/ExpectedRequests.hpp"
#include "SignAndRead/WholeCardRig.hpp"
#include "Support/Hex.hpp"

namespace ekyc::test {
namespace {

// The four card-surface readers, the IC driving licence reader for the behaviours the family
// shares, and the other readers of the card-surface files for the table of what a file lacks.
enum class Kind {
  myNumber, cardPrint, both, promptedPii, licence, signNumber, signBasicNumber, signPromptedPii, cardPrintLicence
};
// The whole-card request of the others.
Req wholeCard(Kind kind) {
  return std::array{Req::myNumber, Req::basicMyNumber, Req::basicPromptedPii,
                    Req::licenceWithCardPrint}[static_cast<int>(kind) - static_cast<int>(Kind::signNumber)];
}

const std::string CP = "券面事項情報 ";
const std::string MN = "個人番号情報 ";

// One PIN slot of a reader: its name in the back channel, its digits, the label of its messages,
// and the commands (1-based) whose status check names it.
struct Slot {
  std::string name;
  std::size_t digits;
  std::string label;
  std::vector<std::size_t> verifies;
};

// What a reader is, for the shared tests.
struct ReaderSpec {
  std::vector<Slot> slots;
  std::vector<std::string> requestTypes;  // sent, in order, with an application id
  bool deliveredBeforeSheetEnds;          // without an application id
};

ReaderSpec spec(Kind kind) {
  const Slot cardPrint{"CARDPRINTINFO", 14, "", {3, 10}}, number{"MYNUMBER", 12, "", {3, 10}};
  switch (kind) {
    case Kind::myNumber: return {{number}, {"23"}, false};
    case Kind::cardPrint: return {{cardPrint}, {"13"}, true};
    case Kind::both:
      return {{{"CARDPRINTINFO", 14, CP, {3, 16}}, {"MYNUMBER", 12, MN, {5, 14}}}, {"13", "23"}, true};
    case Kind::promptedPii: return {{{"PROMPTED_PII", 4, "", {3}}}, {"32"}, false};
    case Kind::licence: return {{{"PIN1", 4, "暗証番号1 ", {3}}, {"PIN2", 4, "暗証番号2 ", {5}}}, {"11"}, true};
    default: break;
  }
  return {};
}

std::vector<std::string> chain(Kind kind, const CardSurfaceHolder& h) {
  const std::string cp = h.cardPrintInfoPin, mn = h.myNumberPin;
  switch (kind) {
    case Kind::myNumber:
      return {selectAid(false), selectEf("0013"), verify(mn), selectEf("0004"), read(568), selectEf("0005"), read(1664),
              selectAid(true),  selectEf("0014"), verify(mn), selectEf("0001"), read(17),  selectEf("0003"), read(336),
              selectEf("0004"), read(568)};
    case Kind::cardPrint:
      return {selectAid(false), selectEf("0012"), verify(cp), selectEf("0002"), read(5498), selectEf("0004"),
              read(568),        selectAid(true),  selectEf("0015"), verify(cp), selectEf("0002"), read(1024),
              selectEf("0003"), read(336),        selectEf("0004"), read(568)};
    case Kind::both:
      return {selectAid(false), selectEf("0012"), verify(cp), selectEf("0013"), verify(mn), selectEf("0002"),
              read(5498),       selectEf("0004"), read(568),  selectEf("0005"), read(1664), selectAid(true),
              selectEf("0014"), verify(mn),       selectEf("0015"), verify(cp), selectEf("0001"), read(17),
              selectEf("0002"), read(1024),       selectEf("0003"), read(336),  selectEf("0004"), read(568)};
    case Kind::promptedPii:
      return {selectAid(true), selectEf("0011"), verify(h.promptedPiiPin), selectEf("0001"), read(17), selectEf("0002"),
              read(1024),      selectEf("0003"), read(336),                selectEf("0004"), read(568)};
    default: break;
  }
  return {};
}

std::size_t chainLength(Kind kind) { return kind == Kind::licence ? 25 : chain(kind, CardSurfaceHolder::sample()).size(); }

// How one request is made.
struct Call {
  std::optional<std::optional<std::string>> appId;  // the verifying entry when set
  std::optional<std::vector<std::optional<std::string>>> pins;  // the holder's PINs when unset
  double httpTimeout = 10.0;
};

// What one request gave.
struct Outcome {
  std::vector<std::string> events;
  std::vector<std::int64_t> codes;
  std::string message;  // of the last failure
  std::optional<std::int64_t> retryCount, httpStatus;
  std::vector<std::string> sheet, sheetAtDelivery;
  std::size_t commands = 0, requests = 0;
  std::optional<MyNumberInfo> number;
  std::optional<CardPrintInfo> print;
  std::optional<PromptedPii> pii;
  std::optional<DriverLicense> licence;
  // The licence reader's tables of EF 0003 and EF 0005 when it delivers.
  std::optional<std::map<std::string, Bytes>> externalCharacters, changedExternalCharacters;
};

// The card's right PINs, one per slot.
std::vector<std::string> holderPins(Kind kind, const CardSurfaceRig& rig) {
  const auto& h = rig.holder;
  switch (kind) {
    case Kind::myNumber: return {h.myNumberPin};
    case Kind::cardPrint: return {h.cardPrintInfoPin};
    case Kind::both: return {h.cardPrintInfoPin, h.myNumberPin};
    case Kind::promptedPii: return {h.promptedPiiPin};
    case Kind::licence: return {rig.licenceOptions.pin1, rig.licenceOptions.pin2};
    default: break;
  }
  return {};
}

Outcome runReader(Kind kind, CardSurfaceRig& rig, const Call& call = {}) {
  const auto right = holderPins(kind, rig);
  const auto pins = call.pins.value_or(std::vector<std::optional<std::string>>(right.begin(), right.end()));
  Outcome out;
  const auto& id = call.appId;
  // Runs the request on `Reader`, keeping the record with `keep` and the last failure's details.
  const auto go = [&]<class Reader, class Results>(std::type_identity<Reader>, std::shared_ptr<Results> results,
                                                   const auto& keep, const auto& entry) {
    results->onResult = [&out, alerts = rig.alerts] { out.sheetAtDelivery = alerts->texts(); };
    rig.run<Reader>(results, std::function<void(Reader&)>(entry), call.httpTimeout);
    for (const auto& r : results->results()) {
      out.codes.push_back(r ? 0 : r.error().errorCode);
      if (r) {
        keep(*r);
      } else {
        out.message = r.error().localizedDescription;
        out.retryCount = r.error().retryCount;
        out.httpStatus = r.error().httpStatus;
      }
    }
  };
  switch (kind) {
    case Kind::myNumber:
      go(std::type_identity<MyNumberInfoReader>{}, std::make_shared<MyNumberResults>(rig.log),
         [&](const MyNumberInfo& r) { out.number = r; },
         [&](MyNumberInfoReader& r) { id ? r.fetchMyNumberCardInfo(pins[0], *id) : r.fetchMyNumberCardInfo(pins[0]); });
      break;
    case Kind::cardPrint:
      go(std::type_identity<CardPrintInfoReader>{}, std::make_shared<CardPrintResults>(rig.log),
         [&](const CardPrintInfo& r) { out.print = r; },
         [&](CardPrintInfoReader& r) { id ? r.fetchCardPrintInfo(pins[0], *id) : r.fetchCardPrintInfo(pins[0]); });
      break;
    case Kind::both:
      go(
          std::type_identity<CardPrintInfoAndMyNumberInfoReader>{}, std::make_shared<BothResults>(rig.log),
          [&](const CardPrintInfoAndMyNumberInfo& r) {
            if (r.getCardPrintInfo()) out.print = *r.getCardPrintInfo();
            if (r.getMyNumberInfo()) out.number = *r.getMyNumberInfo();
          },
          [&](CardPrintInfoAndMyNumberInfoReader& r) {
            id ? r.fetchCardPrintInfoAndMyNumberInfo(pins[0], pins[1], *id)
               : r.fetchCardPrintInfoAndMyNumberInfo(pins[0], pins[1]);
          });
      break;
    case Kind::promptedPii:
      go(std::type_identity<PromptedPiiReader>{}, std::make_shared<PromptedPiiResults>(rig.log),
         [&](const PromptedPii& r) { out.pii = r; },
         [&](PromptedPiiReader& r) { id ? r.fetchPromptedPii(*id, pins[0]) : r.fetchPromptedPii(pins[0]); });
      break;
    case Kind::signNumber:
    case Kind::signBasicNumber:
    case Kind::signPromptedPii:
    case Kind::cardPrintLicence: {  // only ever run on the whole card's rig
      const auto w = static_cast<WholeCardRig&>(rig).run(wholeCard(kind), {.appId = id.value_or(std::nullopt)});
      std::tie(out.codes, out.message, out.number, out.print, out.pii) = std::tuple(
          std::vector<std::int64_t>{w.ok ? 0 : w.code}, w.message, w.myNumberInfo, w.cardPrintInfo, w.promptedPii);
      break;
    }
    case Kind::licence: {
      const auto results = std::make_shared<DriverLicenseResults>(rig.log);
      go(std::type_identity<DriverLicenseInfoReader>{}, results, [&](const DriverLicense& r) { out.licence = r; },
         [&](DriverLicenseInfoReader& r) {
           results->onResult = [&out, &r, sheet = results->onResult] {
             sheet();
             std::tie(out.externalCharacters, out.changedExternalCharacters) =
                 std::tuple(r.dicExternalCharacters, r.dicChangedExternalCharacter);
           };
           id ? r.fetchDriverLicense(*id, pins[0], pins[1]) : r.fetchDriverLicense(pins[0], pins[1]);
         });
      break;
    }
  }
  out.events = rig.log->events();
  out.sheet = rig.alerts->texts();
  out.commands = rig.commands().size();
  out.requests = rig.server ? rig.server->receivedRequests().size() : 0;
  return out;
}

const std::vector<std::string> OK{"didGetPin()", "result(ok)"};
std::vector<std::string> failedAfterChainStart(std::int64_t code, const std::string& report = "") {
  std::vector<std::string> e{"didGetPin()"};
  if (!report.empty()) e.push_back(report);
  e.push_back("result(" + std::to_string(code) + ")");
  return e;
}
std::vector<std::string> failedBeforeSession(std::int64_t code, const std::string& report = "") {
  std::vector<std::string> e;
  if (!report.empty()) e.push_back(report);
  e.push_back("result(" + std::to_string(code) + ")");
  e.push_back("didGetPin()");
  return e;
}
const Call verifying{std::optional<std::string>("tenant"), std::nullopt};

class CardSurfaceReadersTest : public ::testing::TestWithParam<Kind> {
 protected:
  Kind kind() const { return GetParam(); }
  VirtualCard& present(CardSurfaceRig& rig) const {
    if (kind() > Kind::licence) return static_cast<WholeCardRig&>(rig).presentWholeCard();
    return kind() == Kind::licence ? rig.presentLicence() : rig.presentCard();
  }
  bool reads(bool surface) const {
    return surface ? kind() == Kind::cardPrint || kind() == Kind::both
                   : kind() == Kind::myNumber || kind() == Kind::both;
  }
};
// The behaviours the IC driving licence reader shares with the four.
class CardSurfaceFamilyTest : public CardSurfaceReadersTest {};
// Every reader of the card-surface files, and the IC driving licence reader.
class CardFileTest : public CardSurfaceReadersTest {};

TEST_P(CardSurfaceReadersTest, ReadsTheCardWithItsIntegrityData) {
  CardSurfaceRig rig;
  rig.presentCard();
  const auto out = runReader(kind(), rig);
  EXPECT_EQ(rig.viewController->presentedCount(), 0u);  // preset PINs need no dialog
  EXPECT_EQ(rig.commands(), chain(kind(), rig.holder));
  EXPECT_EQ(out.events, OK);
  EXPECT_EQ(out.sheet, (std::vector<std::string>{"initial", "reading", "success"}));
  const std::vector<std::string> beforeEnd{"initial", "reading"};
  EXPECT_EQ(out.sheetAtDelivery, spec(kind()).deliveredBeforeSheetEnds ? beforeEnd : out.sheet);
  const auto& f = rig.files;
  if (reads(false)) {
    ASSERT_TRUE(out.number) << "no individual-number record";
    EXPECT_EQ(out.number->getMyNumber(), "123456789018");
    EXPECT_EQ(out.number->supportVerifySrc, f.supEf0001);
    EXPECT_EQ(out.number->getMyNumberImage(), expected::inner(f.csEf0005).at(0xDF41).second);
    EXPECT_EQ(out.number->getMyNumberImageHashData(), expected::sides(f).at("21").expectedHash);
    EXPECT_EQ(out.number->hashPersonalInfo, expected::inner(f.supEf0003).at(0xDF32).second);
  }
  if (reads(true)) {
    ASSERT_TRUE(out.print) << "no card-surface record";
    EXPECT_EQ(out.print->getAllName(), "日本　花子");
    EXPECT_EQ(out.print->getCommonName(), "日本　花子");
    EXPECT_FALSE(out.print->getPreviousName());
    EXPECT_EQ(out.print->getAddress(), rig.holder.address);
    EXPECT_EQ(out.print->getDateOfBirth(), "19850401");
    EXPECT_EQ(out.print->getGender(), "女");
    EXPECT_EQ(out.print->getExpireDate(), rig.holder.expireDate);
    EXPECT_EQ(out.print->getPhoto(), expected::inner(f.csEf0002).at(0xDF27).second);
    EXPECT_EQ(out.print->getCardPrintInfoImageHashData(), expected::sides(f).at("11").expectedHash);
    EXPECT_EQ(out.print->hashMyNumberInfo, Digest::sha256(f.supEf0001));
  }
  if (kind() == Kind::both) {
    ASSERT_TRUE(out.print && out.number);
    EXPECT_EQ(out.print->supportSignature, out.number->supportSignature);
    EXPECT_EQ(out.print->certSupport, out.number->certSupport);
  }
  if (kind() == Kind::promptedPii) {
    ASSERT_TRUE(out.pii) << "no input-support record";
    EXPECT_EQ(out.pii->myNumberRawData(), f.supEf0001);
    EXPECT_EQ(out.pii->personalInfoRawData(), f.supEf0002);  // fill included
    EXPECT_EQ(out.pii->signatureRawData(), f.supEf0003);
    EXPECT_EQ(out.pii->publicKeyCertRawData(), f.supEf0004);
    EXPECT_EQ(out.pii->getMyNumber(), "123456789018");
    EXPECT_EQ(out.pii->getAllName(), "日本　花子");
  }
}

// Every request as the stand-in receives it, held text by text against the texts worked out from
// the card files alone: one JSON object of seven text members with "/" written "\/".
TEST_P(CardSurfaceReadersTest, VerifiedRequestsCarryTheTextsWorkedOutFromTheFiles) {
  CardSurfaceRig rig;
  rig.holder = CardSurfaceHolder::sampleWithPreviousName();
  rig.files = CardSurfaceFiles::build(rig.holder, CardSurfaceKeys::shared());
  auto& server = rig.startServer();
  rig.presentCard();
  const auto out = runReader(kind(), rig, {std::optional<std::string>("tenant-7"), std::nullopt});
  EXPECT_EQ(out.events, OK);
  EXPECT_EQ(out.sheetAtDelivery, (std::vector<std::string>{"initial", "reading", "success"}));
  if (reads(true)) {
    ASSERT_TRUE(out.print);
    EXPECT_TRUE(out.print->isIncludePreviousName());
    EXPECT_EQ(out.print->getAllName(), "日本［山田］　花子");
    EXPECT_EQ(out.print->getPreviousName(), "山田");
    EXPECT_EQ(out.print->getCommonName(), "日本　花子");
  }
  const auto sides = expected::sides(rig.files);
  const auto received = server.receivedRequests();
  const auto types = spec(kind()).requestTypes;
  ASSERT_EQ(received.size(), types.size());
  for (std::size_t i = 0; i < types.size(); ++i) {
    ASSERT_TRUE(received[i].request) << received[i].body;
    const VerificationRequest& r = *received[i].request;
    EXPECT_EQ(r.reqType, types[i]);
    EXPECT_EQ(r.expectedHash, sides.at(types[i]).expectedHash) << types[i];
    EXPECT_EQ(r.signature, sides.at(types[i]).signature) << types[i];
    EXPECT_EQ(r.verifyingParams, sides.at(types[i]).verifyingParams) << types[i];
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

// Every answer of the verification exchange that is not "valid": one coded failure, the sheet
// ended with the error text (never the success text), no record.
TEST_P(CardSurfaceFamilyTest, VerdictAndTransportFailures) {
  using namespace std::string_literals;
  struct Case {
    std::string name;
    std::function<void(VerificationServer&)> arrange;  // null: nothing listens
    std::int64_t code;
    std::string message;  // checked when set
    double httpTimeout = 10.0;
  };
  const auto shape = [](ResponseShape s) { return [s](VerificationServer& v) { v.setResponseShape(s); }; };
  std::vector<Case> cases{
      {"not valid", [](VerificationServer& s) { s.setForcedVerdict(false); }, 18001, ""},
      {"404", [](VerificationServer& s) { s.setForcedHttpStatus(404); }, 15000,
       "通信処理でエラーになりました。HTTP ステータスコード 404"},
      {"valid missing", shape(ResponseShape::ValidMissing), 18001, ""},
      {"valid a string", shape(ResponseShape::ValidString), 18001, ""},
      {"not JSON", shape(ResponseShape::NotJson), 18001, ""},
      {"empty body", shape(ResponseShape::EmptyBody), 18001, ""},
      {"not an object", shape(ResponseShape::NotObject), 18001, ""},
      {"time-out", [](VerificationServer& s) { s.setResponseDelay(std::chrono::milliseconds(2000)); }, 16001,
       "HTTPS 通信中にタイムアウトが発生しました。", 0.4},
      {"refused connection", nullptr, 16999, "HTTPS 通信に失敗しました。"},
  };
  // The whole body is one JSON object: a NUL, trailing bytes, a name given twice or a leading
  // byte-order mark make it unreadable.
  for (const auto& body : {"{\"valid\":true}\0{\"valid\":false}"s, "{\"valid\":true} {\"valid\":false}"s,
                           "{\"valid\":false,\"valid\":true}"s, "{\"valid\":true,\"e\":{\"a\":1,\"a\":2}}"s,
                           "\xEF\xBB\xBF{\"valid\":true}"s}) {
    cases.push_back({body, [body](VerificationServer& s) {
                       RawResponse raw;
                       raw.body = body;
                       s.setRawResponse(raw);
                     }, 18001, ""});
  }
  for (const auto& c : cases) {
    CardSurfaceRig rig;
    if (c.arrange) c.arrange(rig.startServer());
    present(rig);
    Call call = verifying;
    call.httpTimeout = c.httpTimeout;
    const auto out = runReader(kind(), rig, call);
    EXPECT_EQ(out.codes, std::vector<std::int64_t>{c.code}) << c.name;
    if (c.code == 18001) {
      EXPECT_NE(out.message.find("電子署名の検証に失敗しました。"), std::string::npos) << c.name << ": " << out.message;
    } else {
      EXPECT_EQ(out.message, c.message) << c.name;
    }
    EXPECT_EQ(out.httpStatus, c.code == 15000 ? std::optional<std::int64_t>(404) : std::nullopt) << c.name;
    ASSERT_FALSE(out.sheet.empty()) << c.name;
    EXPECT_EQ(lastOf(out.sheet), "error") << c.name;
    EXPECT_EQ(std::count(out.sheet.begin(), out.sheet.end(), "success"), 0) << c.name;
  }
}

// One changed byte of a signed side is refused by the stand-in, with the label of its record;
// read without verification, the same card is delivered as it is.
TEST_P(CardSurfaceReadersTest, OneChangedSignedByteIsRefused) {
  struct Case {
    std::string name;
    bool surfaceSide;  // which record's request refuses it (the combined reader)
    std::function<void(CardSurfaceFiles&)> alter;
  };
  std::vector<Case> cases;
  if (reads(false)) {
    cases.push_back({"number image", false, [](CardSurfaceFiles& f) {
                       f.csEf0005[expected::valueOffset(f.csEf0005, 0xDF41) + 10] ^= 0x01;
                     }});
    cases.push_back({"number", false, [](CardSurfaceFiles& f) { f.supEf0001[7] = f.supEf0001[7] == '0' ? '1' : '0'; }});
  }
  if (reads(true)) {
    cases.push_back({"photo", true, [](CardSurfaceFiles& f) {
                       f.csEf0002[expected::valueOffset(f.csEf0002, 0xDF27) + 200] ^= 0x40;
                     }});
    cases.push_back({"basic item", true, [](CardSurfaceFiles& f) {
                       f.supEf0002[expected::valueOffset(f.supEf0002, 0xDF24) + 1] ^= 0x01;
                     }});
  }
  if (kind() == Kind::promptedPii) {
    cases.push_back({"number", false, [](CardSurfaceFiles& f) { f.supEf0001[5] = '9'; }});
  }
  for (const auto& c : cases) {
    CardSurfaceRig rig;
    auto& server = rig.startServer();
    c.alter(rig.files);
    rig.presentCard();
    const auto out = runReader(kind(), rig, verifying);
    EXPECT_EQ(out.events, failedAfterChainStart(18001)) << c.name;
    EXPECT_EQ(lastOf(out.sheet), "error") << c.name;
    if (kind() == Kind::both) {
      EXPECT_EQ(out.message, (c.surfaceSide ? CP : MN) + "電子署名の検証に失敗しました。") << c.name;
      // The card-surface request goes first; a refused one stops the chain of requests.
      const std::vector<std::string> sent = c.surfaceSide ? std::vector<std::string>{"13"} : spec(kind()).requestTypes;
      EXPECT_EQ(server.receivedRequestTypes(), sent);
    } else {
      EXPECT_EQ(server.receivedRequestTypes(), spec(kind()).requestTypes) << c.name;
    }
    CardSurfaceRig plain;
    plain.files = rig.files;
    plain.presentCard();
    EXPECT_EQ(runReader(kind(), plain).events, OK) << c.name;
  }
}

TEST_P(CardSurfaceFamilyTest, ApplicationIdMissingOrEmptyFailsBeforeAnyDialog) {
  for (const auto& id : {std::optional<std::string>(), std::optional<std::string>("")}) {
    CardSurfaceRig rig;
    Call call{id, std::nullopt};
    call.pins = std::vector<std::optional<std::string>>(spec(kind()).slots.size());
    const auto out = runReader(kind(), rig, call);
    EXPECT_EQ(out.events, failedBeforeSession(14001));
    EXPECT_EQ(out.message, "appId が設定されていません。");
    EXPECT_EQ(rig.viewController->presentedCount(), 0u);
  }
}

// A preset PIN that breaks its slot's rule (the slots before it valid): refused with its slot,
// the label of its record in front of the text, before any session.
TEST_P(CardSurfaceFamilyTest, PresetPinsThatBreakTheRule) {
  const auto slots = spec(kind()).slots;
  for (std::size_t s = 0; s < slots.size(); ++s) {
    const std::size_t n = slots[s].digits;
    const std::vector<std::tuple<std::string, int, std::string>> cases{
        {"", 12002, "PIN が設定されていません。"},
        {std::string(n - 1, '1'), 12007, "入力された PIN の桁数に誤りがあります。"},
        {std::string(n + 1, '1'), 12007, "入力された PIN の桁数に誤りがあります。"},
        {std::string(n - 1, '1') + "A", 12008, "入力された PIN の文字種に誤りがあります。"},
    };
    for (const auto& [pin, code, text] : cases) {
      WholeCardRig rig;
      present(rig);
      Call call;
      std::vector<std::optional<std::string>> pins(slots.size());
      if (s > 0) pins[0] = holderPins(kind(), rig)[0];
      pins[s] = pin;
      call.pins = pins;
      const auto out = runReader(kind(), rig, call);
      EXPECT_EQ(out.events, failedBeforeSession(code, "didGetFailedPin(" + slots[s].name + ",nil)")) << pin;
      EXPECT_EQ(out.message, slots[s].label + text) << pin;
      EXPECT_EQ(out.commands, 0u);
      EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    }
  }
}

// PINs not preset are asked for, the first slot with the first texts and any second with the
// second; Cancel or a typed PIN that breaks the rule ends the request with that slot.
TEST_P(CardSurfaceFamilyTest, PinDialogs) {
  const auto slots = spec(kind()).slots;
  const Call asked{std::nullopt, std::vector<std::optional<std::string>>(slots.size())};
  {
    WholeCardRig rig;
    present(rig);
    for (const auto& pin : holderPins(kind(), rig)) rig.viewController->enqueue(ScriptedViewController::Answer::OK(pin));
    EXPECT_EQ(runReader(kind(), rig, asked).events, OK);
    const auto shown = rig.viewController->presentations();
    ASSERT_EQ(shown.size(), slots.size());
    for (std::size_t s = 0; s < shown.size(); ++s) {
      EXPECT_EQ(shown[s].title, s == 0 ? "title1" : "title2");
      EXPECT_EQ(shown[s].message, s == 0 ? "message1" : "message2");
    }
  }
  for (std::size_t s = 0; s < slots.size(); ++s) {
    for (const bool cancel : {true, false}) {
      WholeCardRig rig;
      present(rig);
      const auto pins = holderPins(kind(), rig);
      for (std::size_t before = 0; before < s; ++before)
        rig.viewController->enqueue(ScriptedViewController::Answer::OK(pins[before]));
      rig.viewController->enqueue(cancel ? ScriptedViewController::Answer::Cancel()
                                         : ScriptedViewController::Answer::OK("12345"));
      const auto out = runReader(kind(), rig, asked);
      const std::int64_t code = cancel ? 12101 : 12007;
      EXPECT_EQ(out.events, failedBeforeSession(code, "didGetFailedPin(" + slots[s].name + ",nil)")) << s;
      EXPECT_EQ(out.message, slots[s].label + (cancel ? "PIN 入力ダイアログがキャンセルされました。"
                                                      : "入力された PIN の桁数に誤りがあります。"));
      EXPECT_EQ(out.commands, 0u);
      EXPECT_EQ(rig.cardReader->activeSessionCount(), 0u);
    }
  }
}

// A refused status word ends the chain at its command: PIN status words report the slot of the
// check with the tries left (with the record's label), anything else is one card-read failure.
TEST_P(CardSurfaceFamilyTest, RefusedStatusWords) {
  struct Case {
    std::size_t command;
    std::uint16_t sw;
    std::string slot;  // reported slot, empty when none
    std::int64_t code;
    std::optional<int> count;
    std::string label, text;
  };
  std::vector<Case> cases;
  const auto slots = spec(kind()).slots;
  for (const auto& slot : slots) {
    for (const auto at : slot.verifies) {
      cases.push_back({at, 0x63C3, slot.name, 13300, 3, slot.label, "残り3回でロックされます。"});
      cases.push_back({at, 0x63CA, slot.name, 13300, 10, slot.label, "残り10回でロックされます。"});
      cases.push_back({at, 0x63C0, slot.name, 13200, 0, slot.label, "ロックされました。"});
      cases.push_back({at, 0x6984, slot.name, 13400, 0, slot.label, "既にロックされています。"});
    }
  }
  const auto length = chainLength(kind());
  cases.push_back({2, 0x6A82, "", 13999, std::nullopt, "", "カードの読み込みに失敗しました。"});
  cases.push_back({length, 0x6282, "", 13999, std::nullopt, "", "カードの読み込みに失敗しました。"});
  // A PIN status word on a command that is not a VERIFY names the slot of that check (unlabelled
  // but on the licence).
  cases.push_back({4, 0x63C1, slots.back().name, 13300, 1, kind() == Kind::licence ? slots.back().label : "",
                   "残り1回でロックされます。"});
  for (const auto& c : cases) {
    WholeCardRig rig;
    present(rig).addFault(VirtualCardFault::statusWordAt(c.command, c.sw));
    const auto out = runReader(kind(), rig);
    const std::string report = c.slot.empty() ? "" : "didGetFailedPin(" + c.slot + "," + std::to_string(*c.count) + ")";
    EXPECT_EQ(out.events, failedAfterChainStart(c.code, report)) << c.command << " " << std::hex << c.sw;
    EXPECT_EQ(out.message, c.label + c.text) << c.command << " " << std::hex << c.sw;
    EXPECT_EQ(out.retryCount, c.code == 13300 ? std::optional<std::int64_t>(*c.count) : std::nullopt);
    EXPECT_EQ(out.commands, c.command) << "no command after the refused one";
    EXPECT_EQ(lastOf(out.sheet), "error");
  }
}

TEST_P(CardSurfaceFamilyTest, SessionEndBeforeTheFirstCommandIsMappedOnceWithTheCodesTextAlone) {
  const std::string lost = "カードとの通信が切断されました。";
  const std::vector<std::tuple<NFCError, std::int64_t, std::string>> cases{
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled), 13700,
       "カードとの通信をユーザがキャンセルしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout), 13600,
       "カードとの通信がタイムアウトしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly), 13500, lost},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorFirstNDEFTagRead), 13500, lost},
      {NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost), 13500, lost},
      {NFCError::reader(static_cast<NFCReaderErrorCode>(999)), 13500, lost},
      {NFCError::other("not a reader error"), 99999, "予期しないエラーが発生しました。"},
  };
  for (const auto& [error, code, message] : cases) {
    CardSurfaceRig rig;
    rig.cardReader->failNextWait(error);
    const auto out = runReader(kind(), rig, verifying);
    EXPECT_EQ(out.events, failedBeforeSession(code)) << error.code;
    EXPECT_EQ(out.message, message);
    EXPECT_EQ(out.commands, 0u);
  }
  // Sessions that end with no command sent: a tag that is not ISO 7816 or no tag at all until the
  // platform's time-out, a session that cannot be created; and a tag that cannot be connected, once
  // the chain has started.
  const std::vector<std::pair<std::function<void(CardSurfaceRig&)>, std::vector<std::string>>> ends{
      {[&](CardSurfaceRig& r) { present(r).setISO7816(false); }, failedBeforeSession(13600)},
      {[](CardSurfaceRig& r) { r.cardReader->presentCards({}); }, failedBeforeSession(13600)},
      {[](CardSurfaceRig& r) { r.cardReader->setSessionCreationFails(true); }, failedBeforeSession(13500)},
      {[&](CardSurfaceRig& r) {
         present(r);
         r.cardReader->setConnectFailure(NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost));
       }, failedAfterChainStart(13999)},
  };
  for (const auto& [arrange, events] : ends) {
    CardSurfaceRig rig;
    rig.platform.sessionTimeout = std::chrono::milliseconds(200);
    arrange(rig);
    const auto out = runReader(kind(), rig);
    EXPECT_EQ(out.events, events);
    EXPECT_EQ(out.commands, 0u);
  }
}

TEST_P(CardSurfaceFamilyTest, StatusWordsBeginningWith90PassEveryCheck) {
  CardSurfaceRig rig;
  auto& card = present(rig);
  for (const std::uint8_t ins : {0xA4, 0x20, 0xB0}) {
    card.onInstruction(ins, [](const VirtualCommand& command, VirtualCardContext& context) {
      auto response = context.standard(command);
      if (response.sw == 0x9000) response.sw = 0x90FF;
      return std::optional<VirtualResponse>(response);
    });
  }
  const auto out = runReader(kind(), rig);
  EXPECT_EQ(out.events, OK);
  EXPECT_EQ(out.commands, chainLength(kind()));
}

TEST_P(CardSurfaceFamilyTest, CardRemovedMidChainGivesOneFailure) {
  CardSurfaceRig rig;
  present(rig).addFault(VirtualCardFault::removedAt(7));
  EXPECT_EQ(runReader(kind(), rig).events, failedAfterChainStart(13999));
}

// What a card file lacks or cuts short, on every reader that reads it. An element the format
// leaves optional stays absent: the request without an application id delivers the record with
// `absent` holding, and the verifying request ends with `verified` (0: the record), `sent` telling
// whether the stand-in was contacted. A corrupt file, or one without an element the request cannot
// do without, is one 13999 in both requests: the session ended with the error text, nothing sent.
// A reader checks only what it keeps (a digest it does not keep may be anything); an empty template
// is a file without it, but an empty 7F21 is an empty certificate; an empty signature or
// certificate is kept, and cannot be verified (the card surface with licence data and the
// input-support readers send it, the stand-in refusing it); the input-support readers keep their
// files as read, the record giving absent for what does not parse. `message`, when set, is the text
// of the verifying request's failure; `posted`, when set, a member of the body sent and its value.
struct Posted {
  std::string VerificationRequest::*member = nullptr;
  std::string value;
};
struct FileCase {
  std::string name;
  std::vector<Kind> readers;
  std::function<void(CardSurfaceRig&)> alter;
  bool optional = false;
  std::int64_t verified = 0;
  bool sent = false;
  std::function<bool(const Outcome&)> absent = [](const Outcome&) { return true; };
  std::string message = {};
  Posted posted = {};
};

const std::vector<FileCase>& fileCases() {
  using namespace expected;
  using K = Kind;
  using F = CardSurfaceFiles;
  const auto cs2 = &F::csEf0002, cs4 = &F::csEf0004, cs5 = &F::csEf0005;
  const auto s1 = &F::supEf0001, s2 = &F::supEf0002, s3 = &F::supEf0003, s4 = &F::supEf0004;
  // Readers of cs EF 0002 and sup EF 0002 that need the signed sources; of cs EF 0005 and sup EF
  // 0001 that need the number (and both certificates); of the raw input-support files.
  const std::vector<K> surface{K::cardPrint, K::both, K::cardPrintLicence};
  const std::vector<K> numbers{K::myNumber, K::both, K::signNumber, K::signBasicNumber};
  const std::vector<K> pii{K::promptedPii, K::signPromptedPii};
  const std::vector<K> csCert{K::myNumber, K::cardPrint, K::both, K::signNumber, K::signBasicNumber};
  // Readers of sup EF 0003 that keep DF32, and those that keep DF31; all but the input-support ones.
  const std::vector<K> keepDf32{K::myNumber, K::both, K::signNumber, K::signBasicNumber};
  const std::vector<K> keepDf31{K::cardPrint, K::both, K::cardPrintLicence};
  const std::vector<K> parsing{K::myNumber, K::cardPrint, K::both, K::signNumber, K::signBasicNumber, K::cardPrintLicence};
  const auto drop = [](Bytes F::*file, int tag) {
    return [file, tag](CardSurfaceRig& r) { r.files.*file = withoutElement(r.files.*file, tag); };
  };
  const auto set = [](Bytes F::*file, int tag, Bytes value) {
    return [file, tag, value](CardSurfaceRig& r) { r.files.*file = withValue(r.files.*file, tag, value); };
  };
  const auto oneShort = [](Bytes F::*file) {
    return [file](CardSurfaceRig& r) { r.files.*file = outerLengthOneShort(r.files.*file); };
  };
  // The file cut to `size` bytes, or, with `filler`, made of `size` bytes of filler.
  const auto cut = [](Bytes F::*file, std::size_t size, bool filler = false) {
    return [=](CardSurfaceRig& r) {
      Bytes& f = r.files.*file;
      f = filler ? Bytes(size, 0xFF) : Bytes(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(size));
    };
  };
  const auto fill = [cut](Bytes F::*file, std::size_t size) { return cut(file, size, true); };
  // The file made of its template, empty, and filler.
  const auto emptied = [](Bytes F::*file) {
    return [file](CardSurfaceRig& r) {
      Bytes& f = r.files.*file;
      const std::size_t size = f.size();
      f = Bytes{f[0], f[1], 0x00};
      f.resize(size, 0xFF);
    };
  };
  const auto numberFile = [](std::string digits) {
    return [digits](CardSurfaceRig& r) {
      r.files.supEf0001 = F::tlv({0xFF, 0x10}, toBytes(digits));
      r.files.supEf0001.resize(17, 0xFF);
    };
  };
  const auto licence = [](const std::function<void(DriverLicenseFiles&)>& alter) {
    return [alter](CardSurfaceRig& r) { alter(r.licenceFiles); };
  };
  // What each delivered record keeps of a dropped element.
  const auto surfaceSignature = [](const Outcome& o) { return !o.print->cardPrintInfoSignature; };
  const auto imageSignature = [](const Outcome& o) { return !o.number->cardPrintInfoSignature; };
  const auto supportSignature = [](const Outcome& o) {
    return o.pii ? !o.pii->getPromptedPiiSignature()
                 : !(o.number ? o.number->supportSignature : o.print->supportSignature);
  };
  const auto emptySupportSignature = [](const Outcome& o) {
    return o.pii ? o.pii->getPromptedPiiSignature() == ""
                 : (o.number ? o.number->supportSignature : o.print->supportSignature) == Bytes{};
  };
  const auto piiParams = [](const Outcome& o) { return !o.pii->getPromptedPiiVerifyingParams(); };
  // An empty 7F21: the record's certificate empty, its verifying parameters with the empty key.
  const std::string emptyKey = Base64::encode(toBytes(R"({"publicKey":""})"));
  const auto emptySurfaceCertificate = [emptyKey](const Outcome& o) {
    const auto& n = o.number;
    const auto& p = o.print;
    return (n || p) &&
           (!n || (n->certCardPrintInfo == Bytes{} && n->getMyNumberImageVerifyingParams() == emptyKey)) &&
           (!p || (p->certCardPrintInfo == Bytes{} && p->getCardPrintInfoImageVerifyingParams() == emptyKey));
  };
  const auto emptySupportCertificate = [](const Outcome& o) {
    return (o.number || o.print) && (!o.number || o.number->certSupport == Bytes{}) &&
           (!o.print || o.print->certSupport == Bytes{});
  };
  const auto piiEmptyKey = [emptyKey](const Outcome& o) { return o.pii->getPromptedPiiVerifyingParams() == emptyKey; };
  const std::string cpRefused = CP + "電子署名の検証に失敗しました。";
  const auto numberHash = [](const Outcome& o) { return !o.print || !o.print->hashMyNumberInfo; };
  const auto itemsHash = [](const Outcome& o) { return !o.number || !o.number->hashPersonalInfo; };
  const auto piiNumber = [](const Outcome& o) { return !o.pii->getMyNumber(); };
  const auto noHash = [](const Outcome& o) { return !o.licence->getLicenseHashData(); };
  const bool O = true;
  static const std::vector<FileCase> table{
      // Card-surface EF 0005: DF41 and DF42 (the signed source); the signature DF43 optional.
      {"number image file without DF41", numbers, drop(cs5, 0xDF41)},
      {"number image file without DF42", numbers, drop(cs5, 0xDF42)},
      {"number image file with an empty DF41", numbers, set(cs5, 0xDF41, {})},
      {"number image file whose FF40 length is one short", numbers, oneShort(cs5)},
      {"number image file without DF43", {K::myNumber, K::signNumber, K::signBasicNumber}, drop(cs5, 0xDF43), O, 13999,
       false, imageSignature},
      {"number image file without DF43", {K::both}, drop(cs5, 0xDF43), O, 13999, true, imageSignature},  // "13" sent
      {"number image file with an empty DF43", {K::myNumber, K::signNumber, K::signBasicNumber},
       set(cs5, 0xDF43, {}), O, 13999, false, [](const Outcome& o) { return o.number->cardPrintInfoSignature == Bytes{}; }},
      {"number image file with an empty DF43", {K::both}, set(cs5, 0xDF43, {}), O, 13999, true},
      {"number image file with an empty FF40", numbers, emptied(cs5)},
      // Input-support EF 0001: FF10 with exactly 12 ASCII digits; the raw files' record does without.
      {"number file without FF10", numbers, fill(s1, 17)},
      {"number file without FF10", pii, fill(s1, 17), O, 18001, true, piiNumber},
      {"empty number file", pii, fill(s1, 0), O, 13999, false, piiNumber},
      {"number file whose length runs past its end", numbers, [](CardSurfaceRig& r) { r.files.supEf0001[2] = 0x40; }},
      {"number file whose length runs past its end", pii, [](CardSurfaceRig& r) { r.files.supEf0001[2] = 0x40; }, O,
       18001, true, piiNumber},
      {"number of 11 digits", numbers, numberFile("12345678901")},
      {"number of 11 digits", pii, numberFile("12345678901"), O, 18001, true, piiNumber},
      {"number with a letter", numbers, numberFile("12345678901A")},
      {"number with a letter", pii, numberFile("12345678901A"), O, 18001, true, piiNumber},
      // EF 0004: 7F21, required where the final steps build verifying parameters from it; 5F4E and
      // 5F37 inside it optional.
      {"card-surface certificate file without 7F21", csCert, fill(cs4, 568)},
      {"card-surface certificate file without 7F21", {K::cardPrintLicence}, fill(cs4, 568), O, 18001, false,
       [](const Outcome& o) { return !o.print->certCardPrintInfo; }},
      {"card-surface certificate whose 7F21 length is one short", surface, oneShort(cs4)},
      {"card-surface certificate without 5F37", csCert, drop(cs4, 0x5F37), O, 18001, true},
      {"input-support certificate file without 7F21", csCert, fill(s4, 568)},
      {"input-support certificate file without 7F21", pii, fill(s4, 568), O, 13999, false, piiParams},
      {"input-support certificate file without 7F21", {K::cardPrintLicence}, fill(s4, 568), O, 18001, false,
       [](const Outcome& o) { return !o.print->certSupport; }},
      {"input-support certificate whose 7F21 length is one short", parsing, oneShort(s4)},
      {"input-support certificate whose 7F21 length is one short", pii, oneShort(s4), O, 13999, false, piiParams},
      {"input-support certificate file with an empty 7F21", csCert, emptied(s4), O, 13999, false,
       emptySupportCertificate},
      {"input-support certificate file with an empty 7F21", pii, emptied(s4), O, 18001, true, piiEmptyKey, {},
       {&VerificationRequest::verifyingParams, emptyKey}},
      {"input-support certificate file with an empty 7F21", {K::cardPrintLicence}, emptied(s4), O, 18001, true,
       emptySupportCertificate, cpRefused},
      {"card-surface certificate file with an empty 7F21", csCert, emptied(cs4), O, 13999, false,
       emptySurfaceCertificate},
      {"card-surface certificate file with an empty 7F21", {K::cardPrintLicence}, emptied(cs4), O, 18001, true,
       emptySurfaceCertificate, cpRefused},
      // Card-surface EF 0002: DF22 to DF27 (the signed source); the signature DF28, DF29, DF2A optional.
      {"surface file without DF22", surface, drop(cs2, 0xDF22)},
      {"surface file without the photo DF27", surface, drop(cs2, 0xDF27)},
      {"surface file cut inside the photo", surface, cut(cs2, 3000)},
      {"surface file whose FF20 length is one short", surface, oneShort(cs2)},
      {"surface file with an empty signature DF28", {K::cardPrint, K::both}, set(cs2, 0xDF28, {}), O, 13999, false,
       [](const Outcome& o) { return o.print->cardPrintInfoSignature == Bytes{}; }},
      {"surface file with an empty signature DF28", {K::cardPrintLicence}, set(cs2, 0xDF28, {}), O, 18001, true,
       [](const Outcome& o) { return o.print->cardPrintInfoSignature == Bytes{}; }, cpRefused},
      {"surface file with an empty FF20", surface, emptied(cs2)},
      {"surface file without DF28", {K::cardPrint, K::both}, drop(cs2, 0xDF28), O, 13999, false, surfaceSignature},
      {"surface file without DF28", {K::cardPrintLicence}, drop(cs2, 0xDF28), O, 18001, false, surfaceSignature},
      {"surface file without DF29", surface, drop(cs2, 0xDF29), O, 0, true,
       [](const Outcome& o) { return !o.print->getExpireDate(); }},
      {"surface file without DF2A", surface, drop(cs2, 0xDF2A), O, 0, true,
       [](const Outcome& o) { return !o.print->getSecurityCodeImage(); }},
      // Input-support EF 0002: DF22 to DF25, the signed source of the card-surface readers.
      {"basic items file without DF22", surface, drop(s2, 0xDF22)},
      {"basic items file without DF24", surface, drop(s2, 0xDF24)},
      {"basic items file without DF24", pii, drop(s2, 0xDF24), O, 13999, false,
       [](const Outcome& o) { return o.pii->getDateOfBirth() == "" && !o.pii->getPromptedPiiHashData(); }},
      {"basic items file whose FF20 length runs past its end", surface, cut(s2, 60)},
      {"basic items file whose FF20 length runs past its end", pii, cut(s2, 60), O, 13999, false,
       [](const Outcome& o) { return !o.pii->getDateOfBirth() && !o.pii->getPromptedPiiHashData(); }},
      {"basic items file with an empty FF20", pii, emptied(s2), O, 13999, false,
       [](const Outcome& o) { return o.pii->getDateOfBirth() == "" && !o.pii->getPromptedPiiHashData(); }},
      // Input-support EF 0003: the digests DF31, DF32 (32 bytes when present) and the signature DF33.
      {"hash file without DF31", surface, drop(s3, 0xDF31), O, 18001, true, numberHash},
      {"hash file without DF31", {K::myNumber, K::signNumber, K::signBasicNumber, K::promptedPii, K::signPromptedPii},
       drop(s3, 0xDF31), O, 0, true},
      {"hash file without DF32", numbers, drop(s3, 0xDF32), O, 18001, true, itemsHash},
      {"hash file without DF32", {K::cardPrint, K::cardPrintLicence, K::promptedPii, K::signPromptedPii}, drop(s3, 0xDF32),
       O, 0, true},
      {"hash file without DF33", {K::myNumber, K::cardPrint, K::both, K::promptedPii, K::signNumber, K::signBasicNumber,
       K::signPromptedPii}, drop(s3, 0xDF33), O, 13999, false, supportSignature},
      {"hash file without DF33", {K::cardPrintLicence}, drop(s3, 0xDF33), O, 18001, false, supportSignature},
      {"empty hash file", pii, fill(s3, 0), O, 13999, false, supportSignature},
      {"hash file with a 31-byte DF31", keepDf31, set(s3, 0xDF31, Bytes(31, 0x11))},
      {"hash file with a 31-byte DF31", {K::myNumber, K::signNumber, K::signBasicNumber, K::promptedPii,
       K::signPromptedPii}, set(s3, 0xDF31, Bytes(31, 0x11)), O, 0, true},
      {"hash file with a 31-byte DF32", keepDf32, set(s3, 0xDF32, Bytes(31, 0x11))},
      {"hash file with a 31-byte DF32", {K::cardPrint, K::cardPrintLicence, K::promptedPii, K::signPromptedPii},
       set(s3, 0xDF32, Bytes(31, 0x11)), O, 0, true},
      {"hash file with an empty signature DF33", {K::myNumber, K::cardPrint, K::both, K::signNumber,
       K::signBasicNumber}, set(s3, 0xDF33, {}), O, 13999, false, emptySupportSignature},
      {"hash file with an empty signature DF33", pii, set(s3, 0xDF33, {}), O, 18001, true, emptySupportSignature, {},
       {&VerificationRequest::signature, ""}},
      {"hash file with an empty signature DF33", {K::cardPrintLicence}, set(s3, 0xDF33, {}), O, 18001, true,
       emptySupportSignature, cpRefused},
      {"hash file with an empty FF30", {K::myNumber, K::cardPrint, K::both, K::promptedPii, K::signNumber,
       K::signBasicNumber, K::signPromptedPii}, emptied(s3), O, 13999, false, supportSignature},
      {"hash file with an empty FF30", {K::cardPrintLicence}, emptied(s3), O, 18001, false, supportSignature},
      {"hash file whose FF30 length is one short", parsing, oneShort(s3)},
      {"hash file whose FF30 length is one short", pii, oneShort(s3), O, 13999, false, supportSignature},
      // The licence's files: a tag their format requires; a file shorter than its part of the signed
      // source is refused only where the source must be built.
      {"common data without 46", {K::licence}, licence([](auto& f) { f.commonData.resize(13); })},
      // The common data's values are the host's to read: none readable still gives the licence.
      {"common data whose version, dates and identifiers do not read", {K::licence},
       licence([](auto& f) { f.commonData = hex("450BFFFFFFAAAAAAAABBBBBBBB4600"); }), O, 0, true,
       [](const Outcome& o) {
         const auto& c = o.licence->getLicenseCommonData();
         return c && !c->getVersion() && !c->getIssueDate() && !c->getExpireDate() && !c->getManufacturerID() &&
                !c->getEncryptionID();
       }},
      {"entries without 21", {K::licence}, licence([](auto& f) { f.entries = withoutLicenceTag(f.entries, 0x21); })},
      {"entries whose name length runs past the file", {K::licence}, licence([](auto& f) { f.entries[4] = 0x7F; })},
      {"history with entries but without its flag 50", {K::licence}, licence([](auto& f) { f.changedEntries[0] = 0x90; })},
      // The external-character tables fill in what the card leaves out with empty bytes.
      {"external characters with only 48, changed ones without A3", {K::licence},
       licence([](auto& f) {
         f.externalCharacters = withoutLicenceTag(f.externalCharacters, 0x49);
         f.changedExternalCharacters = withoutLicenceTag(f.changedExternalCharacters, 0xA3);
       }),
       O, 0, true,
       [](const Outcome& o) {
         const auto filledIn = [](const auto& table, const std::string& tag, std::size_t size) {
           return table && table->size() == size && table->contains(tag) && table->at(tag).empty();
         };
         return filledIn(o.externalCharacters, "49", 2) && filledIn(o.changedExternalCharacters, "A3", 6) &&
                !o.externalCharacters->at("48").empty();
       }},
      {"external characters with entries but without A0", {K::licence},
       licence([](auto& f) { f.changedExternalCharacters[0] = 0xA5; })},
      {"domicile history with entries but without AA", {K::licence},
       licence([](auto& f) { f.changedRegisteredDomicile[0] = 0xAF; })},
      {"signature file without B6", {K::licence},
       licence([](auto& f) { f.signature = withoutLicenceTag(f.signature, 0xB6); })},
      {"photo file shorter than the signed source", {K::licence}, licence([](auto& f) { f.photo.resize(1500); }), O, 13999,
       false, noHash},
      {"domicile file shorter than the signed source", {K::licence},
       licence([](auto& f) { f.registeredDomicile.resize(40); }), O, 13999, false, noHash},
  };
  return table;
}

TEST_P(CardFileTest, WhatACardFileLacksOrCutsShort) {
  for (const auto& c : fileCases()) {
    if (std::find(c.readers.begin(), c.readers.end(), kind()) == c.readers.end()) continue;
    for (const bool verified : {false, true}) {
      SCOPED_TRACE(c.name + (verified ? ", verified" : ""));
      WholeCardRig rig;
      if (verified) rig.startServer();
      c.alter(rig);
      present(rig);
      const auto out = runReader(kind(), rig, verified ? verifying : Call{});
      if (!c.optional || (verified && c.verified == 13999)) {
        EXPECT_EQ(out.events, failedAfterChainStart(13999));
        EXPECT_EQ(out.message, "カードの読み込みに失敗しました。");
        ASSERT_FALSE(out.sheet.empty());
        EXPECT_EQ(lastOf(out.sheet), "error");
      } else if (!verified) {
        EXPECT_EQ(out.events, OK);
        EXPECT_TRUE(out.events == OK && c.absent(out));
      } else {
        EXPECT_EQ(out.codes, std::vector<std::int64_t>{c.verified});
        // A record that lacks what the card-surface request needs: the plain text of 18001.
        if (!c.sent && c.verified == 18001) {
          EXPECT_EQ(out.message, "電子署名の検証に失敗しました。");
        }
        if (!c.message.empty()) {
          EXPECT_EQ(out.message, c.message);
        }
      }
      EXPECT_EQ(out.requests > 0, verified && c.optional && c.sent);
      if (verified && c.posted.member) {
        const auto received = rig.server->receivedRequests();
        ASSERT_TRUE(!received.empty() && received.back().request);
        EXPECT_EQ((*received.back().request).*c.posted.member, c.posted.value);
      }
    }
  }
}

std::string nameOf(Kind kind) {
  switch (kind) {
    case Kind::myNumber: return "MyNumberInfoReader";
    case Kind::cardPrint: return "CardPrintInfoReader";
    case Kind::both: return "CardPrintInfoAndMyNumberInfoReader";
    case Kind::promptedPii: return "PromptedPiiReader";
    case Kind::licence: return "DriverLicenseInfoReader";
    default: return nameOf(wholeCard(kind));
  }
}
void PrintTo(Kind kind, std::ostream* os) { *os << nameOf(kind); }
std::string readerName(const ::testing::TestParamInfo<Kind>& info) { return nameOf(info.param); }
INSTANTIATE_TEST_SUITE_P(AllReaders, CardSurfaceReadersTest,
                         ::testing::Values(Kind::myNumber, Kind::cardPrint, Kind::both, Kind::promptedPii), readerName);
INSTANTIATE_TEST_SUITE_P(AllReaders, CardSurfaceFamilyTest,
                         ::testing::Values(Kind::myNumber, Kind::cardPrint, Kind::both, Kind::promptedPii, Kind::licence),
                         readerName);
INSTANTIATE_TEST_SUITE_P(AllReaders, CardFileTest,
                         ::testing::Values(Kind::myNumber, Kind::cardPrint, Kind::both, Kind::promptedPii, Kind::licence,
                                           Kind::signNumber, Kind::signBasicNumber, Kind::signPromptedPii,
                                           Kind::cardPrintLicence),
                         readerName);

}  // namespace
}  // namespace ekyc::test
