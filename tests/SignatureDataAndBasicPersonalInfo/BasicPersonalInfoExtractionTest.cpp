// Taking the six items out of a signature certificate file: the record, the 17000 mask and text
// for every combination of missing items, and the files that give 99999.
#include <gtest/gtest.h>

#include "JpkiTestSupport.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc {
namespace {

using Generator = SignatureDataAndBasicPersonalInfoGenerator;

std::string text(const std::optional<Bytes>& b) { return b ? std::string(b->begin(), b->end()) : "<absent>"; }

TEST(BasicPersonalInfoExtraction, OpenBracketWithoutClosingIsNoPreviousName) {
  VirtualJpkiContents::Options options;
  options.holder.name = "山田［太郎";
  options.holder.nameSubChar = "00000";
  const auto info = Generator::readBasicPersonalInfo(VirtualJpkiContents::make(test::jpkiKeys(), options).signingCertificateFile);
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->isIncludePreviousName());
  EXPECT_EQ(text(info->commonName()), "山田［太郎");
  EXPECT_FALSE(info->previousName());
}

TEST(BasicPersonalInfoExtraction, ShortPositionsItemIsNotReadPastItsEnd) {
  VirtualJpkiContents::Options options;
  options.holder.nameSubChar = "1";  // the name has 9 characters
  const auto info = Generator::readBasicPersonalInfo(VirtualJpkiContents::make(test::jpkiKeys(), options).signingCertificateFile);
  ASSERT_TRUE(info);
  EXPECT_EQ(text(info->subCharOfCommonName()), "1");
  EXPECT_EQ(text(info->subCharOfPreviousName()), "");
}

TEST(BasicPersonalInfoExtraction, EveryCombinationOfMissingItems) {
  const ConstResult results;
  const std::string labels[] = {"氏名", "性別", "生年月日", "住所", "氏名の代替文字使用位置", "住所の代替文字使用位置"};
  for (int mask = 1; mask < 64; ++mask) {
    VirtualJpkiContents::Options options;
    auto& h = options.holder;
    if (mask & 1) h.name.reset();
    if (mask & 2) h.gender.reset();
    if (mask & 4) h.dateOfBirth.reset();
    if (mask & 8) h.address.reset();
    if (mask & 16) h.nameSubChar.reset();
    if (mask & 32) h.addressSubChar.reset();
    const auto info = Generator::readBasicPersonalInfo(VirtualJpkiContents::make(test::jpkiKeys(), options).signingCertificateFile);
    ASSERT_FALSE(info) << mask;
    const auto& error = info.error();
    EXPECT_EQ(error.errorCode, 17000);
    EXPECT_EQ(error.intErrFlag, mask);
    EXPECT_EQ(error.errorCase(), SignatureDataAndBasicPersonalInfoError::Case::failReadBasicPersonalInfo);
    std::string expected = results.constResult.at(17000);
    for (int bit = 0; bit < 6; ++bit) {
      if (!(mask & (1 << bit))) continue;
      if (bit != 0) expected += "、";
      expected += labels[bit];
    }
    EXPECT_EQ(error.localizedDescription, expected) << mask;
  }
}

TEST(BasicPersonalInfoExtraction, DateOfBirthOfOneByteAndEmpty) {
  VirtualJpkiContents::Options one;
  one.holder.dateOfBirth = "5";
  const auto info = Generator::readBasicPersonalInfo(VirtualJpkiContents::make(test::jpkiKeys(), one).signingCertificateFile);
  ASSERT_TRUE(info);
  EXPECT_EQ(text(info->yearNumber()), "5");
  ASSERT_TRUE(info->dateOfBirth());
  EXPECT_TRUE(info->dateOfBirth()->empty());

  VirtualJpkiContents::Options empty;
  empty.holder.dateOfBirth = "";
  const auto failed = Generator::readBasicPersonalInfo(VirtualJpkiContents::make(test::jpkiKeys(), empty).signingCertificateFile);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().errorCode, 99999);
}

}  // namespace
}  // namespace ekyc
