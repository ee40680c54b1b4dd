// Signing with the basic four items end to end: the certificate is read before the signing key is
// used, the items come back in the record, their hash is folded into the signed data when asked,
// and a certificate that lacks items ends the request before any signature.
#include <gtest/gtest.h>
#include "Support/RunLoopPump.hpp"

#include <algorithm>

#include "Jpki/JpkiRig.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/Base64.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
using Generator = SignatureDataAndBasicPersonalInfoGenerator;
const Bytes DATA = toBytes("document to sign");
const std::string DATA_B64 = Base64::encode(DATA);

const std::string SELECT_JPKI = "00A4040C0AD392F000260100000001";
const std::string SELECT_EF1B = "00A4020C02001B";
const std::string VERIFY = "0020008009" + hex(toBytes("ABCDEF123"));
const std::string SELECT_EF01 = "00A4020C020001";
const std::string READ_3900 = "00B00000000F3C";
const std::string SELECT_EF1A = "00A4020C02001A";

std::string signCommand(const Bytes& tbs, const std::string& hash) {
  const Bytes info = DigestInfo(tbs, hash).create();
  return "802A0080" + hex(Bytes{static_cast<std::uint8_t>(info.size())}) + hex(info) + "00";
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, SignsAndReturnsTheItems) {
  JpkiRig rig;
  rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin ABCDEF123"}));
  EXPECT_EQ(rig.commands(), (Strings{SELECT_JPKI, SELECT_EF1B, VERIFY, SELECT_EF01, READ_3900, SELECT_EF1A,
                                     signCommand(DATA, "SHA-256")}));
  EXPECT_EQ(rig.sheet->texts(), (Strings{"カードをかざしてください", "読み取り中", "読み取りました"}));
  const auto record = rig.recorder->lastBasic().value();
  const auto signature = record.getSignatureData().value();
  EXPECT_EQ(signature.tbsData(), DATA);
  EXPECT_EQ(signature.signingCert(), jpkiContents().signingCertificate);
  EXPECT_EQ(signature.hashAlgOid(), "2.16.840.1.101.3.4.2.1");
  EXPECT_TRUE(verifySignature(signature.signingCert().value(), "SHA256", DATA, signature.signature().value()));
  const auto info = record.getBasicPersonalInfo().value();
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
    const auto record = rig.recorder->lastBasic().value();
    const auto signature = record.getSignatureData().value();
    const auto& h = jpkiContents().options.holder;
    Bytes folded = sha(DATA, openssl);
    const Bytes itemsHash = sha(toBytes(*h.name + *h.gender + h.dateOfBirth->substr(1) + *h.address), "SHA256");
    folded.insert(folded.end(), itemsHash.begin(), itemsHash.end());
    EXPECT_EQ(signature.tbsData(), folded) << name;
    EXPECT_EQ(signature.tbsData()->size(), sha(DATA, openssl).size() + 32);
    EXPECT_TRUE(verifySignature(signature.signingCert().value(), openssl, folded, signature.signature().value())) << name;
    EXPECT_EQ(signature.getExpectedHash(), Base64::encode(sha(folded, openssl)));
    EXPECT_EQ(lastOf(rig.commands()), signCommand(folded, name));
    EXPECT_EQ(record.getBasicPersonalInfo()->getBasicPersonalInfoHash(), Base64::encode(itemsHash));
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, DialogPinInSmallLettersIsSentAndHandedBackInCapitals) {
  JpkiRig rig;
  rig.viewController->enqueue(ScriptedViewController::Answer::OK("abcdef123"));
  rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "", false);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.viewController->presentedCount(), 1u);
  EXPECT_EQ(rig.recorder->events(), (Strings{"result ok", "didGetPin ABCDEF123"}));
  EXPECT_EQ(rig.commands().at(2), VERIFY);
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, MissingItemEndsBeforeTheSigningKey) {
  auto options = VirtualJpkiContents::Options{};
  options.holder.gender.reset();
  JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
  rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", true);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 17000", "didGetPin "}));
  const auto error = rig.recorder->lastBasic().error();
  EXPECT_EQ(error.intErrFlag, 2);
  EXPECT_EQ(error.localizedDescription, "基本4情報の取得に失敗しました。 : 、性別");
  EXPECT_EQ(rig.commands(), (Strings{SELECT_JPKI, SELECT_EF1B, VERIFY, SELECT_EF01, READ_3900}));
  EXPECT_EQ(lastOf(rig.sheet->texts()), "読み取りに失敗しました");
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, EachMissingItemHasItsBit) {
  for (int bit = 0; bit < 6; ++bit) {
    auto options = VirtualJpkiContents::Options{};
    auto& h = options.holder;
    std::optional<std::string>* items[] = {&h.name, &h.gender, &h.dateOfBirth, &h.address, &h.nameSubChar,
                                           &h.addressSubChar};
    items[bit]->reset();
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 17000", "didGetPin "}));
    EXPECT_EQ(rig.recorder->lastBasic().error().intErrFlag, 1 << bit);
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, UnusableCertificateFilesGive99999) {
  auto emptyBirth = VirtualJpkiContents::Options{};
  emptyBirth.holder.dateOfBirth = "";
  for (const auto& options : {emptyBirth}) {
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
    EXPECT_EQ(rig.commands().size(), 5u);
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, DataChecksAfterThePin) {
  JpkiRig rig;
  rig.make<Generator>()->signAndGetBasicPersonalInfo("@@@", "SHA-256", "ABCDEF123", true);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 12006", "didGetPin "}));
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, NoViewControllerForTheDialog) {
  JpkiRig rig;
  auto context = rig.context();
  context.uIViewController = nullptr;
  auto generator = std::make_shared<Generator>(rig.recorder, context);
  generator->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "", false);
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
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

TEST(SignatureDataAndBasicPersonalInfoGenerator, ItemWhoseLengthRunsPastItsEntryCountsAsMissing) {
  // Gender (short-form lengths) and address (long-form lengths in the sample holder).
  for (const auto& [oidByte, flag] : {std::pair<std::uint8_t, int>{0x03, 2}, std::pair<std::uint8_t, int>{0x05, 8}}) {
    auto options = VirtualJpkiContents::Options{};
    options.signingCertificateFile = fileWithItemLengthPastItsEntry(oidByte);
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", true);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 17000", "didGetPin "})) << flag;
    EXPECT_EQ(rig.recorder->lastBasic().error().intErrFlag, flag);
    EXPECT_EQ(rig.commands().size(), 5u);
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, AllItemsMissingAndEmptyBirthWithAMissingItem) {
  {
    auto options = VirtualJpkiContents::Options{};
    options.holder = VirtualJpkiContents::Holder{};
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 17000", "didGetPin "}));
    const auto error = rig.recorder->lastBasic().error();
    EXPECT_EQ(error.intErrFlag, 63);
    EXPECT_EQ(error.localizedDescription,
              "基本4情報の取得に失敗しました。 : 氏名、性別、生年月日、住所、氏名の代替文字使用位置、住所の代替文字使用位置");
    EXPECT_EQ(rig.commands().size(), 5u);
  }
  {  // the empty birth item is found while splitting, before the missing items are reported
    auto options = VirtualJpkiContents::Options{};
    options.holder.dateOfBirth = "";
    options.holder.gender.reset();
    JpkiRig rig(VirtualJpkiContents::make(jpkiKeys(), options));
    rig.make<Generator>()->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "ABCDEF123", false);
    ASSERT_TRUE(rig.waitForResult());
    EXPECT_EQ(rig.recorder->events(), (Strings{"result 99999", "didGetPin "}));
  }
}

TEST(SignatureDataAndBasicPersonalInfoGenerator, WithoutAHostDelegateOnlyTheBackChannelHears) {
  JpkiRig rig;
  auto generator = std::make_shared<Generator>(nullptr, rig.context());
  generator->signAndGetBasicPersonalInfo(DATA_B64, "SHA-256", "abcdef123", false);
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return rig.recorder->events().size() == 1 && rig.reader->activeSessionCount() == 0; }, std::chrono::seconds(20)));
  EXPECT_EQ(rig.recorder->events(), (Strings{"didGetPin ABCDEF123"}));
  EXPECT_EQ(rig.commands().size(), 7u);
}

}  // namespace
}  // namespace ekyc::test
