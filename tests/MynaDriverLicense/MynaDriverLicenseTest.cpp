// The licence-data record over the virtual card's file variants and hand-made files: file guards,
// lists, repeated tags, the length byte 80, unlisted tags, truncated elements, the verification
// values.
#include <gtest/gtest.h>

#include "MynaDriverLicense/MynaDriverLicense.hpp"
#include "Platform/Base64.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "verification-server/SkiKeyRegistry.hpp"

namespace ekyc::test {
namespace {

using App = MynaDriverLicenseApplication;
using T = std::optional<std::string>;
using B = std::optional<Bytes>;

MynaDriverLicense fromCard(App::Variant variant) {
  const auto c = App::make(variant);
  return MynaDriverLicense(c.entries, c.signatureFile);
}

// Every getter absent.
void expectAllAbsent(const MynaDriverLicense& d) {
  EXPECT_FALSE(d.getHistoryRecordDate() || d.getDriverClass() || d.getColorClass() || d.getExpireData());
  EXPECT_FALSE(d.getConditionList() || d.getOmittedCharacterList() || d.getRemarkList() || d.getSpareList());
  EXPECT_FALSE(d.getLicenseRecordNumber() || d.getHistoryRecordNumber() || d.getLicenseObtainedDateList());
  EXPECT_FALSE(d.getLicenseCategoryList() || d.getEntriesRFUList() || d.getPhoto() || d.getRawData() || d.getHashData());
  EXPECT_FALSE(d.getSignatureBinary() || d.getSerial() || d.getRFU() || d.getIssuer() || d.getSubject());
  EXPECT_FALSE(d.getSubjectKeyIdentifier() || d.getSignature() || d.getVerifyingParams());
}

TEST(MynaDriverLicenseTest, AbsentAndEmptyFilesGiveNothing) {
  expectAllAbsent(MynaDriverLicense(std::nullopt, std::nullopt));
  expectAllAbsent(MynaDriverLicense(Bytes{}, Bytes{}));
  // A dictionary built from an empty file is empty; an entries file alone gives its items only.
  const auto c = App::make();
  const MynaDriverLicense entriesOnly(c.entries, std::nullopt);
  EXPECT_EQ(entriesOnly.getExpireData(), T("20290101"));
  EXPECT_TRUE(entriesOnly.getRawData() && entriesOnly.getHashData());
  EXPECT_FALSE(entriesOnly.getSignature() || entriesOnly.getVerifyingParams() || entriesOnly.getSerial());
}

TEST(MynaDriverLicenseTest, CardVariants) {
  EXPECT_EQ(fromCard(App::Variant::repeatedColorClass).getColorClass(), T("ブルー"));
  const auto empty = fromCard(App::Variant::emptyItems);
  EXPECT_FALSE(empty.getDriverClass());
  EXPECT_EQ(empty.getPhoto(), B(Bytes{}));
  EXPECT_EQ(empty.getLicenseObtainedDateList(), (MynaDriverLicense::TextList{{}, {}, "20150401"}));
  EXPECT_EQ(empty.getOmittedCharacterList().value_or(MynaDriverLicense::DataList(3)).at(2), B(Bytes{}));  // D4 present, empty
  EXPECT_FALSE(fromCard(App::Variant::invalidUtf8).getHistoryRecordDate());

  // The walk ends at the length byte 80 that follows E8's element: what follows is missing.
  const auto cut = fromCard(App::Variant::length80);
  EXPECT_EQ(cut.getHistoryRecordNumber(), T("01"));
  EXPECT_FALSE(cut.getLicenseObtainedDateList() || cut.getLicenseCategoryList() || cut.getPhoto());

  // 01 0E is not a listed tag: the signature file holds nothing.
  const auto unlisted = fromCard(App::Variant::signatureFile010E);
  EXPECT_FALSE(unlisted.getSignatureBinary() || unlisted.getSerial() || unlisted.getSubjectKeyIdentifier());
  EXPECT_TRUE(unlisted.getSignatureDic().empty());

  EXPECT_FALSE(fromCard(App::Variant::missingSignature).getSignature());
  const auto emptySignature = fromCard(App::Variant::emptySignature);
  EXPECT_TRUE(emptySignature.getSignatureBinary() == B(Bytes{}) && !emptySignature.getSignature());
  EXPECT_FALSE(fromCard(App::Variant::missingSki).getVerifyingParams());
}

TEST(MynaDriverLicenseTest, VerificationValuesCoverTheWholeFile) {
  const auto c = App::make();
  const MynaDriverLicense d(c.entries, c.signatureFile);
  EXPECT_EQ(d.getRawData(), T(Base64::encode(c.entries)));
  ASSERT_TRUE(d.getVerifyingParams());
  EXPECT_EQ(SkiKeyRegistry::skiOfVerifyingParams(*d.getVerifyingParams()), B(App::issuer().ski));
  EXPECT_EQ(d.getSignature(), T(Base64::encode(d.getSignatureBinary().value_or(Bytes{0xEE}))));
}

TEST(MynaDriverLicenseTest, ElementsThatDoNotFitEndTheWalk) {
  // C5 states 10 bytes where 3 are left; FF as a tag with the long-form length 7F (127 length
  // bytes); a two-byte tag cut after its first byte. The earlier elements stay.
  const Bytes good = App::element({0xC2}, toBytes("20240401"));
  for (const Bytes& tail : {Bytes{0xC5, 0x0A, 0x31, 0x32, 0x33}, Bytes{0xFF, 0xFF, 0x01}, Bytes{0x01},
                            Bytes{0x01, 0x07, 0x82, 0x10}}) {
    Bytes file = good;
    file.insert(file.end(), tail.begin(), tail.end());
    const MynaDriverLicense d(file, std::nullopt);
    EXPECT_EQ(d.getHistoryRecordDate(), T("20240401"));
    EXPECT_FALSE(d.getExpireData() || d.getEntriesRFUList() || d.getPhoto());
    EXPECT_EQ(d.getEntriesDic().size(), 1u);
  }
}

}  // namespace
}  // namespace ekyc::test
