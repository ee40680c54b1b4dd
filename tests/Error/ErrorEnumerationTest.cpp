#include <expected>
#include <string>

#include <gtest/gtest.h>

#include "Error/Result.hpp"
#include "Support/TestErrors.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

static_assert(TestReaderError::hasCode(13300));
static_assert(!TestResidenceError::hasCode(13300));
static_assert(TestResidenceError::hasCode(13800));

TEST(ErrorEnumeration, FactoriesTakeTheTextOfTheirCode) {
  const auto notSetPin = TestReaderError::notSetPin();
  EXPECT_EQ(notSetPin.errorCase(), TestReaderError::Case::notSetPin);
  EXPECT_EQ(notSetPin.errorCode, 12002);
  EXPECT_EQ(notSetPin.localizedDescription, "PIN が設定されていません。");
  EXPECT_FALSE(notSetPin.retryCount);
}

TEST(ErrorEnumeration, ComposedTexts) {
  const auto retry15 = TestReaderError::failVerifyRetry({.label = "暗証番号1", .retryCount = 15});
  EXPECT_EQ(retry15.localizedDescription, "暗証番号1 残り15回でロックされます。");

  const auto status = TestReaderError::failHttpsCommunicationStatusCode({.httpStatus = 503});
  EXPECT_EQ(status.localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 503");
  EXPECT_EQ(status.httpStatus, 503);

  const auto items = TestSigningError::failReadBasicPersonalInfo({.suffix = "氏名、住所", .intErrFlag = 9});
  EXPECT_EQ(items.localizedDescription, "基本4情報の取得に失敗しました。 : 氏名、住所");
  EXPECT_EQ(items.intErrFlag, 9);

  const auto replaced = TestReaderError::unknown({.label = "L", .text = std::string("T")});
  EXPECT_EQ(replaced.localizedDescription, "L T");
}

TEST(ErrorEnumeration, FromCodeFindsTheCaseOrNothing) {
  const auto locked = TestReaderError::fromCode(13400);
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->errorCase(), TestReaderError::Case::failVerifyLocked);
  EXPECT_FALSE(TestResidenceError::fromCode(13400));
  EXPECT_FALSE(TestReaderError::fromCode(13301));
}

TEST(ErrorEnumeration, ValuesCompareByCaseAndPayload) {
  EXPECT_EQ(TestReaderError::failVerifyRetry({.retryCount = 2}), TestReaderError::failVerifyRetry({.retryCount = 2}));
  EXPECT_FALSE(TestReaderError::failVerifyRetry({.retryCount = 2}) == TestReaderError::failVerifyRetry({.retryCount = 3}));
  EXPECT_FALSE(TestReaderError::notSetPin() == TestReaderError::notSetPin({.label = "x"}));
}

}  // namespace
}  // namespace ekyc::test
