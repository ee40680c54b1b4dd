// Signing with the basic four items end to end: the certificate is read before the signing key is
// used, the items come back in the record, their hash is folded into the signed data when asked,
// and a certificate that lacks items ends the request before any signature.
#include <gtest/gtest.h>

#include <algorithm>

#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
using Generator = SignatureDataAndBasicPersonalInfoGenerator;
const Bytes DATA = toBytes("document to sign");
const std::string DATA_B64 = Base64::encode(DATA);

TEST(SignatureDataAndBasicPersonalInfoGenerator, SignsAndReturnsTheItems) {
  JpkiRig rig;
  rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), (Strings{"result(ok)", "didGetPin(ABCDEF123)"}));
  EXPECT_EQ(rig.commands(), (Strings{"00A4040C0AD392F000260100000001", "00A4020C02001B",
                                     "0020008009" + hex(toBytes("ABCDEF123")), "00A4020C020001", "00B00000000F3C",
                                     "00A4020C02001A", signCommand(DATA, "SHA-256")}));
  EXPECT_EQ(rig.alerts->texts(), (Strings{"initial", "reading", "success"}));
  const auto outcome = rig.results->outcome();
  ASSERT_TRUE(outcome.signatureData && outcome.basicPersonalInfo) << outcome.code;
  const auto& signature = *outcome.signatureData;
  EXPECT_EQ(signature.tbsData(), DATA);
  EXPECT_EQ(signature.signingCert(), jpkiContents().signingCertificate);
  EXPECT_EQ(signature.hashAlgOid(), "2.16.840.1.101.3.4.2.1");
  EXPECT_TRUE(verifySignature(signature.signingCert().value(), "SHA256", DATA, signature.signature().value()));
  const auto& info = *outcome.basicPersonalInfo;
  EXPECT_EQ(info.getAllName(), "髙橋　花子［齋藤］");
  EXPECT_EQ(info.getCommonName(), "髙橋　花子");
  EXPECT_EQ(info.getPreviousName(), "齋藤");
  EXPECT_EQ(info.getDateOfBirth(), "19850412");
  EXPECT_EQ(info.getYearNumber(), "3");
  EXPECT_EQ(info.getAddress(), jpkiContents().options.holder.address);
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, FoldsTheItemsHashIntoTheSignedData) {
  for (const auto& [name, openssl] : {std::pair{"SHA-256", "SHA256"}, std::pair{"SHA-384", "SHA384"},
                                      std::pair{"SHA-512", "SHA512"}}) {
    JpkiRig rig;
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, name, "ABCDEF123", true);
    ASSERT_TRUE(rig.waitForResult());
    const auto outcome = rig.results->outcome();
    ASSERT_TRUE(outcome.signatureData && outcome.basicPersonalInfo) << name << " " << outcome.code;
    const auto& signature = *outcome.signatureData;
    const auto& h = jpkiContents().options.holder;
    Bytes folded = sha(DATA, openssl);
    const Bytes itemsHash = sha(toBytes(*h.name + *h.gender + h.dateOfBirth->substr(1) + *h.address), "SHA256");
    folded.insert(folded.end(), itemsHash.begin(), itemsHash.end());
    EXPECT_EQ(signature.tbsData(), folded) << name;
    EXPECT_EQ(signature.tbsData()->size(), sha(DATA, openssl).size() + 32);
    EXPECT_TRUE(verifySignature(signature.signingCert().value(), openssl, folded, signature.signature().value())) << name;
    EXPECT_EQ(signature.getExpectedHash(), Base64::encode(sha(folded, openssl)));
    EXPECT_EQ(lastOf(rig.commands()), signCommand(folded, name));
    EXPECT_EQ(outcome.basicPersonalInfo->getBasicPersonalInfoHash(), Base64::encode(itemsHash));
  }
}

// The signing certificate file with the inner string length of one item raised past the end of
// its otherName entry (the certificate element itself still parses).
Bytes fileWithItemLengthPastItsEntry(std::uint8_t lastOidByte) {
  Bytes file = jpkiContents().signingCertificateFile;
  const Bytes oid = {0x06, 0x0A, 0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, lastOidByte};
  const auto at = std::search(file.begin(), file.end(), oid.begin(), oid.end());
  EXPECT_NE(at, file.end());
  if (at == file.end()) return file;
  std::size_t pos = static_cast<std::size_t>(at - file.begin()) + oid.size();
  EXPECT_EQ(file[pos], 0xA0);
  pos += 1;
  pos += (file[pos] & 0x80) ? 1 + (file[pos] & 0x7F) : 1;  // over the A0 length
  pos += 1;                                                 // over the string tag
  EXPECT_TRUE(lastOidByte != 0x05 || (file[pos] & 0x80)) << "the sample address has a long-form length";
  if (file[pos] & 0x80) {
    for (std::size_t k = 1; k <= (file[pos] & 0x7Fu); ++k) file[pos + k] = 0xFF;
  } else {
    file[pos] = 0x7F;
  }
  return file;
}

// Certificates whose items cannot be used end the request after the certificate is read, before
// the signing key: missing items are 17000 with their mask (an item whose length runs past its
// entry counts as missing), an empty date of birth is 99999 and is found before missing items.
TEST(SignatureDataAndBasicPersonalInfoGenerator, UnusableItemsEndBeforeTheSigningKey) {
  struct Case {
    std::string name;
    std::function<void(VirtualJpkiContents::Options&)> change;
    long long code;
    std::optional<std::int64_t> flag;
    std::string text = "";  // checked when given
  };
  const std::vector<Case> cases{
      {"no gender", [](auto& o) { o.holder.gender.reset(); }, 17000, 2, "基本4情報の取得に失敗しました。 : 、性別"},
      {"gender length past its entry",
       [](auto& o) { o.signingCertificateFile = fileWithItemLengthPastItsEntry(0x03); }, 17000, 2},
      {"address length past its entry (long form)",
       [](auto& o) { o.signingCertificateFile = fileWithItemLengthPastItsEntry(0x05); }, 17000, 8},
      {"empty date of birth", [](auto& o) { o.holder.dateOfBirth = ""; }, 99999, std::nullopt},
      {"empty date of birth and no gender",
       [](auto& o) {
         o.holder.dateOfBirth = "";
         o.holder.gender.reset();
       },
       99999, std::nullopt},
  };
  for (const auto& c : cases) {
    for (const bool include : {false, true}) {
      auto options = VirtualJpkiContents::Options{};
      c.change(options);
      JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
      rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", include);
      ASSERT_TRUE(rig.waitForResult()) << c.name;
      EXPECT_EQ(rig.log->events(), (Strings{"result(" + std::to_string(c.code) + ")", "didGetPin()"})) << c.name;
      EXPECT_EQ(rig.results->outcome().intErrFlag, c.flag) << c.name;
      if (!c.text.empty()) {
        EXPECT_EQ(rig.results->outcome().message, c.text);
      }
      EXPECT_EQ(rig.commands().size(), 5u) << c.name;
      EXPECT_EQ(lastOf(rig.alerts->texts()), "error") << c.name;
    }
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, NoViewControllerForTheDialog) {
  JpkiRig rig;
  auto context = rig.context();
  context.uIViewController = nullptr;
  std::make_shared<Generator>(rig.results, context)->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "", false);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), (Strings{"result(99999)", "didGetPin()"}));
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, WithoutAHostDelegateOnlyTheBackChannelHears) {
  JpkiRig rig;
  const auto generator = std::make_shared<Generator>(nullptr, rig.context());
  generator->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "abcdef123", false);
  ASSERT_TRUE(rig.waitFor([&] { return rig.log->events().size() == 1 && rig.cardReader->activeSessionCount() == 0; }));
  EXPECT_EQ(rig.log->events(), (Strings{"didGetPin(ABCDEF123)"}));
  EXPECT_EQ(generator->pin, "ABCDEF123");  // the PIN as the card sees it
  EXPECT_EQ(rig.commands().size(), 7u);
}

}  // namespace
}  // namespace ekyc::test
