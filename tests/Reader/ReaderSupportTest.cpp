#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Reader/ReaderSupport.hpp"
#include "Support/RecordingIdentifyDelegate.hpp"
#include "Support/TestErrors.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

using Kind = RecordingIdentifyDelegate::Call::Kind;

struct StatusWordRow {
  std::uint8_t sw1, sw2;
  std::optional<std::int64_t> code;  // absent: passes
  std::string text;
  std::optional<std::int64_t> retryCount;
  bool reported;
  std::optional<int> pinRemainNum;
};

void checkStatusWordRows(const std::vector<StatusWordRow>& rows, bool residence, const std::string& label) {
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << int(row.sw1) << " " << int(row.sw2) << (residence ? " residence" : ""));
    auto back = std::make_shared<RecordingIdentifyDelegate>();
    std::optional<std::int64_t> code;
    std::optional<std::int64_t> retryCount;
    std::string text;
    if (residence) {
      const auto failure = ReaderSupport::checkStatusWord<TestResidenceError>(row.sw1, row.sw2, SetPinKey::RESIDENCECARD_PIN, back, label);
      if (failure) code = failure->errorCode, retryCount = failure->retryCount, text = failure->localizedDescription;
    } else {
      const auto failure = ReaderSupport::checkStatusWord<TestReaderError>(row.sw1, row.sw2, SetPinKey::DRIVERLICENSE_PIN2, back, label);
      if (failure) code = failure->errorCode, retryCount = failure->retryCount, text = failure->localizedDescription;
    }
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(retryCount, row.retryCount);
    EXPECT_EQ(text, row.text);
    const auto calls = back->calls();
    if (row.reported) {
      ASSERT_EQ(calls.size(), 1u);
      EXPECT_EQ(calls[0].kind, Kind::didGetFailedPin);
      EXPECT_EQ(calls[0].setPinKey, residence ? SetPinKey::RESIDENCECARD_PIN : SetPinKey::DRIVERLICENSE_PIN2);
      EXPECT_EQ(calls[0].pinRemainNum, row.pinRemainNum);
    } else {
      EXPECT_TRUE(calls.empty());
    }
  }
}

const std::string READ_FAILED = "カードの読み込みに失敗しました。";

TEST(ReaderSupportStatusWord, PinCountersTable) {
  checkStatusWordRows(
      {
          {0x90, 0x00, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x90, 0xFF, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x63, 0xC0, 13200, "ロックされました。", std::nullopt, true, 0},
          {0x63, 0xC1, 13300, "残り1回でロックされます。", 1, true, 1},
          {0x63, 0xCF, 13300, "残り15回でロックされます。", 15, true, 15},
          {0x69, 0x84, 13400, "既にロックされています。", std::nullopt, true, 0},
          {0x63, 0x00, 13999, READ_FAILED, std::nullopt, false, std::nullopt},  // no 6300 rule here
          {0x63, 0xD2, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x6A, 0x82, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x00, 0x00, 13999, READ_FAILED, std::nullopt, false, std::nullopt},  // a failed transport
      },
      false, "");
}

TEST(ReaderSupportStatusWord, ResidenceCardTable) {
  checkStatusWordRows(
      {
          {0x90, 0x00, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x63, 0x00, 13800, "入力された PIN が一致しませんでした。", std::nullopt, true, std::nullopt},
          {0x63, 0xC2, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x69, 0x84, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x6A, 0x82, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
      },
      true, "");
}

TEST(ReaderSupportStatusWord, ExpiredBackChannelIsSkipped) {
  std::weak_ptr<IdentifyDelegate> gone;
  {
    auto back = std::make_shared<RecordingIdentifyDelegate>();
    gone = back;
  }
  const auto failure = ReaderSupport::checkStatusWord<TestReaderError>(0x63, 0xC0, SetPinKey::MYNUMBERCARD_SIGNER_PIN, gone);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->errorCode, 13200);
}

// The verdicts a server can give are run end to end in tests/CardSurface/VerificationOutcomesTest.cpp;
// here only the answers a stand-in does not produce.
TEST(ReaderSupportVerification, VerdictTable) {
  using nlohmann::json;
  struct Row {
    std::optional<int> status;
    std::optional<json> body;
    bool timedOut;
    std::int64_t code;
  };
  const std::vector<Row> rows = {
      {200, json{{"valid", true}, {"reqTime", "x"}, {"errorCode", ""}, {"checkedId", "1"}}, false, 0},
      {200, json{{"valid", 1}}, false, 18001},       // a number is not a Boolean
      {200, json::array({true}), false, 18001},      // not an object
      {404, json{{"valid", true}}, false, 15000},
      {201, json{{"valid", true}}, false, 15000},
      {200, json{{"valid", true}}, true, 0},          // an HTTP answer counts, whatever the flag
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.status.value_or(-1) << " " << (row.body ? row.body->dump() : "-") << " "
                                    << row.timedOut);
    EXPECT_EQ(ReaderSupport::verificationCode(row.status, row.body, row.timedOut), row.code);
    const auto failure = ReaderSupport::verificationFailure<TestReaderError>(row.status, row.body, row.timedOut);
    if (row.code == 0) {
      EXPECT_FALSE(failure);
    } else {
      ASSERT_TRUE(failure);
      EXPECT_EQ(failure->errorCode, row.code);
      EXPECT_EQ(failure->httpStatus.has_value(), row.code == 15000);
    }
  }
}

}  // namespace
}  // namespace ekyc::test
