// The residence-card request end to end: reader -> session -> virtual residence card (-> the
// stand-in with an application id).
#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "Support/Tlv.hpp"
#include "TLV/Ber.hpp"

namespace ekyc::test {
namespace {

const std::string NUMBER = "AB12345678CD";
const std::vector<std::string> TYPE_ONE_CHAIN = {"00A404", "00A400", "00B08B", "00B08A", "008400", "008200",
                                                 "082000", "00A404", "08B085", "08B086", "00A404", "00B081",
                                                 "00B082", "00B083", "00B084", "00A404", "00B082"};

std::optional<Bytes> valueOf(const Bytes& file, const std::string& tag) {
  return Ber::entry(Ber().parse(file, {"C0", "C1", "D2", "D3", "D4", "D5", "D6", "D7", "DA", "DB"}, false), tag);
}

using O = VirtualResidenceCard::Options;

// A card that answers (the sample type-1 card unless changed) and what it gives: the info type, and
// whether the photo, the two permissions, the update status and the front image are there.
struct SuccessCase {
  std::string name;
  std::function<void(O&)> change;
  std::optional<std::string> appId = std::nullopt;
  std::string typed = NUMBER;  // the card number as the host gives it
  bool dialog = false;         // typed in the PIN dialog rather than preset
  std::int64_t infoType = 0;
  bool photo = true, permissions = true, updateStatus = true, cardEntries = true;
};

void PrintTo(const SuccessCase& c, std::ostream* os) { *os << c.name; }

class ResidenceCardSuccessTest : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(ResidenceCardSuccessTest, DeliversWhatTheCardHolds) {
  const auto& p = GetParam();
  ResidenceRig rig;
  if (p.change) p.change(rig.options);
  rig.presentCard();
  auto& server = rig.startServer();
  ::testing::internal::CaptureStderr();
  if (p.dialog) rig.base.viewController->enqueue(ScriptedViewController::Answer::OK(p.typed));
  rig.viaReader(p.dialog ? std::nullopt : std::optional(p.typed), p.appId);
  const std::string console = ::testing::internal::GetCapturedStderr();
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  const ResidenceCard& card = last->value();
  const auto files = VirtualResidenceCard::files(rig.options);
  const bool typeOne = rig.options.cardType == "1";
  const auto permission = [&](const Bytes& file, const std::string& tag) {
    return p.permissions ? valueOf(file, tag) : std::nullopt;
  };

  auto chain = TYPE_ONE_CHAIN;
  if (!typeOne) chain.erase(chain.begin() + 12, chain.begin() + 15);
  EXPECT_EQ(rig.heads(), chain);
  EXPECT_TRUE(card.getVersion() == "0100" && card.getCardType() == std::stoi(rig.options.cardType));
  const Bytes front =
      rig.options.frontImage.empty() ? VirtualResidenceCard::sampleFrontImage() : rig.options.frontImage;
  const Bytes photo = rig.options.photo.empty() ? VirtualResidenceCard::samplePhoto() : rig.options.photo;
  EXPECT_EQ(card.getCardEntries(), p.cardEntries ? std::optional(front) : std::nullopt);
  EXPECT_EQ(card.getPhoto(), p.photo ? std::optional(photo) : std::nullopt);
  // The raw files are kept whole, with or without their element.
  EXPECT_EQ(card.cardEntriesRawData, files.frontImage);
  EXPECT_EQ(card.photoRawData, files.photo);
  EXPECT_EQ(card.getResidenceCardAddresses().value_or(ResidenceCardAddresses({}, {}, {})).address(), valueOf(files.address, "D4"));
  EXPECT_EQ(card.comprehensivePermission, permission(files.comprehensivePermission, "D5"));
  EXPECT_EQ(card.individualPermission, permission(files.individualPermission, "D6"));
  EXPECT_EQ(card.isUpdateStatus(), p.updateStatus);
  EXPECT_EQ(card.getInfoType(), p.infoType);
  const auto signatures = card.getResidenceCardSignatures();
  EXPECT_EQ(signatures ? signatures->getCheckCode() : std::nullopt, p.infoType == 0 ? valueOf(files.signatures, "DA") : std::nullopt);
  EXPECT_EQ(card.asDictionary().at("signature").empty(), p.infoType != 0);
  // A shorter value is hashed followed by zero bytes up to its width.
  Bytes signedData = front;
  signedData.resize(7000, 0x00);
  signedData.insert(signedData.end(), photo.begin(), photo.end());
  signedData.resize(10000, 0x00);
  EXPECT_EQ(card.getHashData(),
            p.photo && p.cardEntries ? std::optional(Base64::encode(Digest::sha256(signedData))) : std::nullopt);

  const auto requests = server.receivedRequests();
  ASSERT_EQ(requests.size(), p.appId && p.infoType == 0 ? 1u : 0u);
  if (!requests.empty()) {
    const auto& q = requests[0].request;
    EXPECT_TRUE(q && q->cardType == "residencecard" && q->reqType == "11");
    EXPECT_NE(console.find(typeOne ? "isConst\nSend Request\nResponse OK" : "Send Request\nResponse OK"),
              std::string::npos) << console;
  }
  EXPECT_EQ(console.find("isConst") != std::string::npos, typeOne) << console;
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
  EXPECT_EQ(rig.base.alerts->texts().back(), "success");
}

const auto TYPE_TWO = [](O& o) { o.cardType = "2"; };
const auto NO_SIGNATURES = [](O& o) { o.signatures = VirtualResidenceCard::Signatures::zero; };

INSTANTIATE_TEST_SUITE_P(
    Forms, ResidenceCardSuccessTest,
    ::testing::Values(
        SuccessCase{"Type1", {}, std::nullopt},
        SuccessCase{"Type2Verified", TYPE_TWO, "tenant", NUMBER, false, 0, true, false, false},
        SuccessCase{"Type1VerifiedLowerCase", {}, "tenant", "ab12345678cd"},
        SuccessCase{"Type2LowerCaseDialog", TYPE_TWO, std::nullopt, "ab12345678cd", true, 0, true, false, false},
        SuccessCase{"NoSignatures", NO_SIGNATURES, "tenant", NUMBER, false, 2},
        SuccessCase{"NoSignaturesNoPhoto",
                    [](O& o) {
                      NO_SIGNATURES(o);
                      o.photo = Bytes(3000, 0x00);
                    },
                    "tenant", NUMBER, false, 1, false},
        SuccessCase{"FixedCheckCodeOnly", [](O& o) { o.signatures = VirtualResidenceCard::Signatures::fixedCheckCode; }},
        SuccessCase{"ZeroPermissionsAndStatus",
                    [](O& o) {
                      o.comprehensivePermission = o.individualPermission = Bytes(120, 0x00);
                      o.updateStatus = Bytes(1, 0x00);
                    },
                    "tenant", NUMBER, false, 0, true, false, false},
        SuccessCase{"UpdateStatusNotOne", [](O& o) { o.updateStatus = toBytes("0"); }, "tenant", NUMBER, false, 0, true,
                    true, false},
        SuccessCase{"UpdateStatusOneAndMore", [](O& o) { o.updateStatus = toBytes("1X"); }, std::nullopt, NUMBER, false,
                    0, true, true, false},
        // A protected file without its element: the value absent, the raw file kept.
        SuccessCase{"FrontImageWithoutD0", [](O& o) { o.frontImageFile = Bytes(7004, 0x00); }, std::nullopt, NUMBER,
                    false, 0, true, true, true, false},
        SuccessCase{"PhotoWithoutD1", [](O& o) { o.photoFile = Bytes(3004, 0xFF); }, std::nullopt, NUMBER, false, 0,
                    false},
        // Values shorter than their width, the rest of the file zero: kept, and verified as padded.
        SuccessCase{"FrontImageOf6999BytesVerified", [](O& o) { o.frontImage = Bytes(6999, 0x31); }, "tenant"},
        SuccessCase{"PhotoOf2000BytesVerified", [](O& o) { o.photo = Bytes(2000, 0xA5); }, "tenant"}),
    [](const auto& info) { return info.param.name; });

using Setup = std::function<void(ResidenceRig&)>;
// The card with these options in the field and the stand-in running, then `then` (a fault the card
// plays, a switch of the stand-in, of the card reader or of the dialog).
Setup card(std::function<void(O&)> change, Setup then = {}) {
  return [=](ResidenceRig& r) {
    if (change) change(r.options);
    r.presentCard();
    r.startServer();
    if (then) then(r);
  };
}
Setup fault(VirtualCardFault f) { return card({}, [f](ResidenceRig& r) { r.base.card->addFault(f); }); }
Setup server(std::function<void(VerificationServer&)> serve) {
  return card({}, [serve](ResidenceRig& r) { serve(*r.base.server); });
}

// Every failure: what reaches the back channel and the host, in order, the last command the card
// saw (nothing past the failing step is sent) and the verification requests made.
struct FailureCase {
  std::string what;
  Setup setup;
  std::optional<std::string> number;
  std::optional<std::string> appId;
  std::vector<std::string> events;
  std::string lastCommand;  // "" when the card got none
  std::size_t requests = 0;
  double httpTimeout = 10.0;
};

const std::vector<std::string> CHAIN_FAILED = {"didGetPin()", "result(13999)"};
const std::vector<std::string> NUMBER_REFUSED = {"didGetPin()", "didGetFailedPin(RESIDENCECARD,nil)", "result(13800)"};
std::vector<std::string> afterChain(const std::string& result) { return {"didGetPin()", result, "didGetPin()"}; }
std::vector<std::string> refused(const std::string& result) { return {"didGetFailedPin(RESIDENCECARD,nil)", result, "didGetPin()"}; }

std::vector<FailureCase> failureCases() {
  const auto signatures = [](Bytes file) { return fault(VirtualCardFault::answerAt(17, concat({file, hex("9000")}))); };
  const Bytes onlyDb = concat({tlv("DA", Bytes(256, 0x00)), tlv("DB", Bytes(1200, 0x30))});
  // The card's own signatures with the certificate field cut or filled to `width` bytes.
  const auto certificateOf = [](std::size_t width) {
    return [width](ResidenceRig& r) {
      const Bytes file = VirtualResidenceCard::files(r.options).signatures;
      Bytes db = *valueOf(file, "DB");
      db.resize(width, 0x00);
      fault(VirtualCardFault::answerAt(17, concat({tlv("DA", *valueOf(file, "DA")), tlv("DB", db), hex("9000")})))(r);
    };
  };
  const auto userCanceled = NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled);
  return {
      {"wrong card number", card({}), "ZZ12345678CD", "tenant", NUMBER_REFUSED, "008200"},
      {"6300 on VERIFY", fault(VirtualCardFault::statusWordAt(7, 0x6300)), NUMBER, "tenant", NUMBER_REFUSED, "082000"},
      {"other status on MUTUAL AUTHENTICATE", card([](O& o) { o.authenticationFailure = 0x6982; }), "ZZ12345678CD",
       "tenant", CHAIN_FAILED, "008200"},
      {"card without DF1", fault(VirtualCardFault::statusWordAt(1, 0x6A82)), NUMBER, "tenant", CHAIN_FAILED, "00A404"},
      {"wrong card MAC", card([](O& o) { o.wrongCardMac = true; }), NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"replayed card cryptogram", card([](O& o) { o.staleCryptogram = true; }), NUMBER, "tenant", CHAIN_FAILED, "008200"},
      {"challenge of 7 bytes", card([](O& o) { o.challengeLength = 7; }), NUMBER, "tenant", CHAIN_FAILED, "008400"},
      {"short MUTUAL AUTHENTICATE answer", fault(VirtualCardFault::truncatedAt(6, 39)), NUMBER, "tenant", CHAIN_FAILED,
       "008200"},
      {"cut photo answer", fault(VirtualCardFault::truncatedAt(10, 1005)), NUMBER, "tenant", CHAIN_FAILED, "08B086"},
      {"photo element running past its file",
       card([](O& o) { o.photoFile = concat({hex("D1820BB9"), Bytes(3000, 0xA5)}); }), NUMBER, "tenant",
       CHAIN_FAILED, "08B086"},
      {"front image element running past its file",
       card([](O& o) { o.frontImageFile = concat({hex("D0821B59"), Bytes(7000, 0x31)}); }), NUMBER, "tenant",
       CHAIN_FAILED, "08B085"},
      {"front image without D0, verified", card([](O& o) { o.frontImageFile = Bytes(7004, 0x00); }), NUMBER, "tenant",
       afterChain("result(18001)"), "00B082"},
      {"card type not a number", card([](O& o) { o.cardType = "X"; }), NUMBER, "tenant", CHAIN_FAILED, "00B08A"},
      {"card type a digit and more", card([](O& o) { o.cardType = "1X"; }), NUMBER, "tenant", CHAIN_FAILED, "00B08A"},
      {"certificate field one byte short", certificateOf(1199), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"certificate field one byte long", certificateOf(1201), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"signatures without DB", signatures(tlv("DA", Bytes(256, 0x11))), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"signatures with only DB non-zero", signatures(onlyDb), NUMBER, "tenant", CHAIN_FAILED, "00B082"},
      {"user cancel before a card", card({}, [=](ResidenceRig& r) { r.base.cardReader->failNextWait(userCanceled); }),
       NUMBER, "tenant", {"result(13700)", "didGetPin()"}, ""},
      {"fixed test signatures", card([](O& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; }), NUMBER,
       "tenant", afterChain("result(18002)"), "00B082"},
      {"fixed test signatures, no appId", card([](O& o) { o.signatures = VirtualResidenceCard::Signatures::fixedTest; }),
       NUMBER, std::nullopt, afterChain("result(18002)"), "00B082"},
      {"signatures but no photo", card([](O& o) { o.photo = Bytes(3000, 0x00); }), NUMBER, "tenant",
       afterChain("result(18001)"), "00B082"},
      {"not valid", server([](VerificationServer& s) { s.setForcedVerdict(false); }), NUMBER, "tenant",
       afterChain("result(18001)"), "00B082", 1},
      {"another issuer's card",
       card({}, [](ResidenceRig& r) {
         ResidenceCardVerifier(VirtualCertificateAuthority("another issuer").certificate()).install(*r.base.server);
       }),
       NUMBER, "tenant", afterChain("result(18001)"), "00B082", 1},
      {"tampered photo", card([](O& o) { o.tamperedPhoto = true; }), NUMBER, "tenant", afterChain("result(18001)"),
       "00B082", 1},
      {"not found", server([](VerificationServer& s) { s.setForcedHttpStatus(404); }), NUMBER, "tenant",
       afterChain("result(15000)"), "00B082", 1},
      {"time-out", server([](VerificationServer& s) { s.setResponseDelay(std::chrono::milliseconds(2000)); }), NUMBER,
       "tenant", afterChain("result(16001)"), "00B082", 1, 0.4},
      {"connection refused", [](ResidenceRig& r) { r.presentCard(); }, NUMBER, "tenant", afterChain("result(16999)"),
       "00B082"},
      {"empty application id", card({}), NUMBER, "", {"result(14001)", "didGetPin()"}, ""},
      {"11 characters", card({}), "AB12345678C", "tenant", refused("result(12007)"), ""},
      {"a hyphen", card({}), "AB12345678C-", "tenant", refused("result(12008)"), ""},
      {"dialog cancelled",
       card({}, [](ResidenceRig& r) { r.base.viewController->enqueue(ScriptedViewController::Answer::Cancel()); }),
       std::nullopt, "tenant", refused("result(12101)"), ""},
  };
}

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }

class ResidenceCardFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ResidenceCardFailureTest, EndsWithOneCodedFailure) {
  const auto& c = GetParam();
  ResidenceRig rig;
  c.setup(rig);
  ::testing::internal::CaptureStderr();
  rig.viaReader(c.number, c.appId, c.httpTimeout);
  const std::string console = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(rig.base.log->events(), c.events);
  const auto heads = rig.heads();
  EXPECT_EQ(heads.empty() ? "" : heads.back(), c.lastCommand);
  EXPECT_EQ(rig.requestsSent(), c.requests);
  const auto last = rig.results->last();
  ASSERT_TRUE(last && !*last);
  EXPECT_FALSE(last->error().localizedDescription.empty());
  if (!c.lastCommand.empty()) {
    EXPECT_EQ(rig.base.alerts->texts().back(), "error");
  }
  if (last->error().errorCode == 15000) {
    EXPECT_EQ(last->error().localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 404");
  }
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
}

INSTANTIATE_TEST_SUITE_P(Cases, ResidenceCardFailureTest, ::testing::ValuesIn(failureCases()),
                         [](const auto& info) {
                           std::string name;
                           for (char ch : info.param.what) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

}  // namespace
}  // namespace ekyc::test
