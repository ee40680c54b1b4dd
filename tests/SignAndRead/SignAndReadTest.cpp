// The three sign-and-read readers end to end (reader -> session -> virtual card -> stand-in), each
// behaviour one table over the three readers.
#include "CardSurface/ExpectedRequests.hpp"
#include "SignAndRead/WholeCardRig.hpp"

namespace ekyc::test {
namespace {

using K = Req;
const std::string SIGN_PIN = "ABCDEF123";  // as the card compares it

bool basic(K k) { return k != K::myNumber; }
std::string signLabel(K k) { return basic(k) ? "電子署名・基本4情報" : "電子署名"; }
std::string secondLabel(K k) { return k == K::basicPromptedPii ? "券面事項入力補助情報" : "個人番号情報"; }
std::string secondKey(K k) { return k == K::basicPromptedPii ? "PROMPTED_PII" : "MYNUMBER"; }

// The commands of a successful request, the signature command from the data the card signed.
std::vector<std::string> chainOf(K k, const WholeCardRig& rig, const Bytes& signedData) {
  const std::string digestInfo = "3031300D060960864801650304020105000420" + Utility().dataToHexString(sha(signedData, "SHA256"));
  const std::vector<std::string> pin{"00A4040C0AD392F000260100000001", selectEf("001B"), verify(SIGN_PIN)};
  const std::vector<std::string> sign{selectEf("001A"), "802A008033" + digestInfo + "00"};
  const std::vector<std::string> cert{selectEf("0001"), read(3900)};
  const auto& p = rig.holder.myNumberPin;
  const std::vector<std::string> number{selectAid(false), selectEf("0013"), verify(p), selectEf("0004"), read(568),
                                        selectEf("0005"), read(1664), selectAid(true), selectEf("0014"), verify(p),
                                        selectEf("0001"), read(17), selectEf("0003"), read(336), selectEf("0004"),
                                        read(568)};
  const std::vector<std::string> support{selectAid(true), selectEf("0011"), verify(rig.holder.promptedPiiPin),
                                         selectEf("0001"), read(17), selectEf("0002"), read(1024), selectEf("0003"),
                                         read(336), selectEf("0004"), read(568)};
  std::vector<std::string> out = pin;
  for (const auto* part : k == K::myNumber ? std::vector{&sign, &cert, &number}
                                           : std::vector{&cert, &sign, k == K::basicMyNumber ? &number : &support})
    out.insert(out.end(), part->begin(), part->end());
  return out;
}

class SignAndReadTest : public ::testing::TestWithParam<K> {};

TEST_P(SignAndReadTest, SignsAndReadsWithAndWithoutVerification) {
  const K k = GetParam();
  struct Row {
    std::string hash;
    bool include, verified;
  };
  for (auto row : {Row{"SHA-256", false, false}, Row{"SHA-384", true, false}, Row{"SHA-256", true, true}}) {
    row.include = row.include && basic(k);  // the individual-number reader signs the data alone
    WholeCardRig rig;
    rig.presentWholeCard();
    if (row.verified) rig.startServer();
    Request q;
    q.hash = row.hash;
    q.include = row.include;
    if (row.verified) q.appId = "tenant";
    const auto out = rig.run(k, q);
    ASSERT_TRUE(out.ok) << out.code << " " << out.message;
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
    EXPECT_EQ(rig.alerts->texts(), (std::vector<std::string>{"initial", "reading", "success"}));
    ASSERT_TRUE(out.signatureData && out.signatureData->tbsData() && out.signatureData->signature());
    const Bytes& tbs = *out.signatureData->tbsData();
    const std::string openssl = row.hash == "SHA-256" ? "SHA256" : "SHA384";
    EXPECT_TRUE(verifySignature(rig.jpki().signingCertificate, openssl, tbs, *out.signatureData->signature()));
    EXPECT_EQ(out.signatureData->signingCert(), rig.jpki().signingCertificate);
    const Bytes host = toBytes("ekyc test data");
    if (row.include) {
      // H(data) followed by SHA-256 of name, gender, date of birth (without the era digit), address.
      const auto& h = rig.jpki().options.holder;
      EXPECT_EQ(tbs, expected::cat({sha(host, openssl),
                                    sha(toBytes(*h.name + *h.gender + h.dateOfBirth->substr(1) + *h.address), "SHA256")}));
    } else {
      EXPECT_EQ(tbs, host);
    }
    if (row.hash == "SHA-256") {
      EXPECT_EQ(rig.commands(), chainOf(k, rig, tbs));
    }
    EXPECT_EQ(basic(k), out.basicPersonalInfo.has_value());
    if (k == K::basicPromptedPii) {
      ASSERT_TRUE(out.promptedPii);
      EXPECT_EQ(out.promptedPii->myNumberRawData(), rig.files.supEf0001);
      EXPECT_EQ(out.promptedPii->personalInfoRawData(), rig.files.supEf0002);
    } else {
      ASSERT_TRUE(out.myNumberInfo);
      EXPECT_EQ(out.myNumberInfo->getMyNumber(), rig.holder.myNumber);
    }
    if (rig.server) {
      EXPECT_EQ(rig.server->receivedRequestTypes(), std::vector<std::string>{k == K::basicPromptedPii ? "32" : "23"});
    }
  }
}

TEST_P(SignAndReadTest, RefusedPinAtEachPinFileReportsItsSlotLabelAndCount) {
  const K k = GetParam();
  struct Row {
    std::size_t command;
    std::uint16_t sw;
    std::string key, label;  // no key: not a PIN status, no report and no label
  };
  std::vector<Row> rows{{3, 0x63C2, "SIGNER", signLabel(k)}, {10, 0x63C2, secondKey(k), secondLabel(k)},
                        {8, 0x6A82, "", ""}};
  if (k != K::basicPromptedPii) rows.push_back({17, 0x63C2, "MYNUMBER", "個人番号情報"});
  // The answer to SELECT EF 0014: the reader with the basic items checks it under the signing PIN.
  if (k != K::basicPromptedPii) rows.push_back({16, 0x63C2, k == K::basicMyNumber ? "SIGNER" : "MYNUMBER", ""});
  for (const auto& row : rows) {
    WholeCardRig rig;
    rig.presentWholeCard().addFault(VirtualCardFault::statusWordAt(row.command, row.sw));
    const auto out = rig.run(k);
    std::vector<std::string> events{"didGetPin()", "result(13999)"};
    if (!row.key.empty()) events = {"didGetPin()", "didGetFailedPin(" + row.key + ",2)", "result(13300)"};
    EXPECT_EQ(rig.log->events(), events);
    const std::string prefix = row.label.empty() ? "" : row.label + " ";
    EXPECT_EQ(out.message, row.key.empty() ? "カードの読み込みに失敗しました。" : prefix + "残り2回でロックされます。");
    EXPECT_EQ(out.retryCount, row.key.empty() ? std::nullopt : std::optional<std::int64_t>(2));
    EXPECT_EQ(rig.commands().size(), row.command);
    EXPECT_EQ(lastOf(rig.alerts->texts()), "error");
  }
}

TEST_P(SignAndReadTest, EntryChecksInTheirOrder) {
  const K k = GetParam();
  struct Row {
    std::function<void(Request&, ScriptedViewController&)> change;
    std::int64_t code;
    std::string label;      // in front of the message
    std::string failedPin;  // the didGetFailedPin line, if any
  };
  const std::string second = secondKey(k);
  const std::vector<Row> rows{
      {[](auto& q, auto&) { q.firstPin = "abc12"; q.tbs = ""; }, 12007, signLabel(k), "SIGNER"},  // data not examined
      {[](auto& q, auto&) { q.tbs = ""; q.secondPin = "1"; }, 12003, "", ""},  // data before the second PIN
      {[](auto& q, auto&) { q.tbs = ""; q.askFirst = true; }, 12003, "", ""},  // data after the typed signing PIN
      {[](auto& q, auto&) { q.secondPin = "12345678901"; }, 12007, secondLabel(k), second},
      {[](auto& q, auto&) { q.secondPin = "12a4"; }, k == K::basicPromptedPii ? 12008 : 12007, secondLabel(k), second},
      {[](auto& q, auto&) { q.appId = ""; }, 14001, "", ""},
      // The dialog of each PIN cancelled: 12101 under that PIN's slot and label.
      {[](auto& q, auto& v) { q.askFirst = true; q.askSecond = true; v.enqueue(ScriptedViewController::Answer::Cancel()); },
       12101, signLabel(k), "SIGNER"},
      {[](auto& q, auto& v) { q.askFirst = true; q.askSecond = true; v.enqueue(ScriptedViewController::Answer::OK("abcdef123"));
                              v.enqueue(ScriptedViewController::Answer::Cancel()); }, 12101, secondLabel(k), second},
  };
  for (const auto& row : rows) {
    WholeCardRig rig;
    rig.presentWholeCard();
    Request q;
    row.change(q, *rig.viewController);
    rig.viewController->enqueue(ScriptedViewController::Answer::OK("abcdef123"));
    const auto out = rig.run(k, q);
    std::vector<std::string> events{"result(" + std::to_string(row.code) + ")", "didGetPin()"};
    if (!row.failedPin.empty()) events.insert(events.begin(), "didGetFailedPin(" + row.failedPin + ",nil)");
    EXPECT_EQ(rig.log->events(), events) << row.code;
    EXPECT_EQ(out.message.rfind(row.label.empty() ? "" : row.label + " ", 0), 0u) << out.message;
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_TRUE(rig.alerts->texts().empty());
  }
}

TEST_P(SignAndReadTest, EveryVerificationFailureIsTheOneResult) {
  const K k = GetParam();
  struct Row {
    std::function<void(WholeCardRig&)> arrange;
    std::int64_t code;
    std::string message;
  };
  const std::vector<Row> rows{
      {[](auto& rig) { rig.startServer().setForcedVerdict(false); }, 18001, secondLabel(k) + " 電子署名の検証に失敗しました。"},
      {[](auto& rig) { rig.startServer().setForcedHttpStatus(404); }, 15000, "通信処理でエラーになりました。HTTP ステータスコード 404"},
      // A card file changed after issue: the stand-in's signature check fails.
      {[k](auto& rig) { Bytes& file = k == K::basicPromptedPii ? rig.files.supEf0002 : rig.files.csEf0005;
                        file[expected::valueOffset(file, k == K::basicPromptedPii ? 0xDF22 : 0xDF41)] ^= 0x01;
                        rig.startServer(); }, 18001, secondLabel(k) + " 電子署名の検証に失敗しました。"},
  };
  for (const auto& row : rows) {
    WholeCardRig rig;
    row.arrange(rig);
    rig.presentWholeCard();
    Request q;
    q.appId = "tenant";
    q.httpTimeout = 0.5;
    const auto out = rig.run(k, q);
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(" + std::to_string(row.code) + ")"}));
    EXPECT_EQ(out.message, row.message);
    if (row.code == 15000) {
      EXPECT_EQ(out.httpStatus, 404);
    }
    // The input-support reader closes the sheet with the success text before it asks the server;
    // the others ask while the sheet shows the reading text and close it with the error text.
    const auto texts = rig.alerts->texts();
    EXPECT_EQ(lastOf(texts), k == K::basicPromptedPii ? "success" : "error");
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "success"), k == K::basicPromptedPii ? 1 : 0);
  }
}

TEST_P(SignAndReadTest, CardDataWithoutWhatTheRecordPromisesIsOneFailure) {
  const K k = GetParam();
  struct Row {
    std::function<void(WholeCardRig&)> arrange;
    std::int64_t code;
    std::optional<std::int64_t> intErrFlag;
    bool applies;
    std::string missing{};  // 17000: the labels after its text
    std::optional<Bytes> signAnswer{};  // what the card answers to COMPUTE DIGITAL SIGNATURE
  };
  // The signing certificate with its DER length one more: the element spans a byte of fill.
  const auto jpkiWith = [](std::function<void(VirtualJpkiContents::Options&)> change) {
    return [change](WholeCardRig& rig) {
      VirtualJpkiContents::Options options;
      change(options);
      rig.useJpki(options);
    };
  };
  const auto longCertificate = jpkiWith([](auto& o) {
    Bytes file = jpkiContents().signingCertificate;  // 30 82 LL LL ...
    const int length = ((file[2] << 8) | file[3]) + 1;
    file[2] = static_cast<std::uint8_t>(length >> 8);
    file[3] = static_cast<std::uint8_t>(length);
    file.resize(3900, 0xFF);
    o.signingCertificateFile = file;
  });
  const std::vector<Row> rows{
      {jpkiWith([](auto& o) { o.holder.gender.reset(); }), 17000, 2, basic(k), "性別"},
      {jpkiWith([](auto& o) { o.holder.name.reset(); o.holder.address.reset(); }), 17000, 9, basic(k), "氏名、住所"},
      {jpkiWith([](auto& o) { o.holder.dateOfBirth = ""; }), 13999, std::nullopt, basic(k)},
      {jpkiWith([](auto& o) { o.signingCertificateFile = Bytes(3900, 0xFF); }), 13999, std::nullopt, true},
      {longCertificate, 13999, std::nullopt, true},
      {[](auto&) {}, 13999, std::nullopt, true, {}, Bytes{0x90, 0x00}},
      {[](auto&) {}, 13999, std::nullopt, true, {}, [] { Bytes b(128, 0x5A); b.push_back(0x90); b.push_back(0x00); return b; }()},
  };
  for (const auto& row : rows) {
    if (!row.applies) continue;
    WholeCardRig rig;
    row.arrange(rig);
    auto& card = rig.presentWholeCard();
    if (row.signAnswer)
      card.addFault({.kind = VirtualCardFault::Kind::answer, .matches = [](const VirtualCommand& c) { return c.ins == 0x2A; },
                     .answerBytes = *row.signAnswer});
    const auto out = rig.run(k);
    EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(" + std::to_string(row.code) + ")"}));
    EXPECT_EQ(out.intErrFlag, row.intErrFlag);
    EXPECT_EQ(lastOf(rig.alerts->texts()), "error");
    if (row.code == 17000) {
      EXPECT_EQ(out.message, "基本4情報の取得に失敗しました。 : " + row.missing);
      EXPECT_EQ(rig.commands().size(), 5u);  // nothing signed, nothing else read
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ThreeReaders, SignAndReadTest,
                         ::testing::Values(K::myNumber, K::basicMyNumber, K::basicPromptedPii), paramName);

TEST(SignAndReadRequestTest, UnknownRequestTypeDeliversOneFailureAndSendsNothing) {
  WholeCardRig rig;
  auto& server = rig.startServer();
  auto results = std::make_shared<WholeCardResults>(rig.log);
  auto reader = std::make_shared<SignatureDataAndMyNumberInfoReader>(results, rig.context());
  EXPECT_FALSE(reader->request("24"));
  EXPECT_EQ(results->outcome().code, 99999);
  EXPECT_TRUE(server.receivedRequests().empty());
}

}  // namespace
}  // namespace ekyc::test
