#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Reader/ReaderSupport.hpp"
#include "Error/MyNumberInfoError.hpp"
#include "Error/ResidenceCardError.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

// The back channel: refused PINs in order; no other call is expected of a status check.
struct FailedPins : IdentifyDelegate {
  std::vector<std::pair<SetPinKey, std::optional<int>>> calls;
  void didGetPin(const std::string& pin) override { ADD_FAILURE() << "didGetPin(" << pin << ")"; }
  void didClearInstance() override { ADD_FAILURE() << "didClearInstance"; }
  void didGetFailedPin(SetPinKey key, std::optional<int> remain) override { calls.emplace_back(key, remain); }
};

struct StatusWordRow {
  std::uint8_t sw1, sw2;
  std::optional<std::int64_t> code;  // absent: passes
  std::string text;                  // with the label "L" where the code takes one
  std::optional<std::int64_t> retryCount;
  bool reported;
  std::optional<int> pinRemainNum;
};

// E decides the family: the PIN counters (13300) or the 6300 rule (13800).
template <class E>
void checkStatusWordRows(const std::vector<StatusWordRow>& rows, SetPinKey key) {
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << int(row.sw1) << " " << int(row.sw2) << " " << toString(key));
    auto back = std::make_shared<FailedPins>();
    const auto failure = ReaderSupport::checkStatusWord<E>(row.sw1, row.sw2, key, back, "L");
    EXPECT_EQ(failure ? std::optional(failure->errorCode) : std::nullopt, row.code);
    EXPECT_EQ(failure ? failure->retryCount : std::nullopt, row.retryCount);
    EXPECT_EQ(failure ? failure->localizedDescription : "", row.text);
    using Calls = decltype(back->calls);
    EXPECT_EQ(back->calls, (row.reported ? Calls{{key, row.pinRemainNum}} : Calls{}));
  }
}

const std::string READ_FAILED = "カードの読み込みに失敗しました。";

TEST(ReaderSupportStatusWord, PinCountersTable) {
  checkStatusWordRows<MyNumberInfoError>(
      {
          {0x90, 0x00, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x90, 0xFF, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x63, 0xC0, 13200, "L ロックされました。", std::nullopt, true, 0},
          {0x63, 0xC1, 13300, "L 残り1回でロックされます。", 1, true, 1},
          {0x63, 0xCF, 13300, "L 残り15回でロックされます。", 15, true, 15},
          {0x69, 0x84, 13400, "L 既にロックされています。", std::nullopt, true, 0},
          {0x63, 0x00, 13999, READ_FAILED, std::nullopt, false, std::nullopt},  // no 6300 rule here
          {0x63, 0xD2, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x6A, 0x82, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x00, 0x00, 13999, READ_FAILED, std::nullopt, false, std::nullopt},  // a failed transport
      },
      SetPinKey::DRIVERLICENSE_PIN2);
}

TEST(ReaderSupportStatusWord, ResidenceCardTable) {
  checkStatusWordRows<ResidenceCardError>(
      {
          {0x90, 0x00, std::nullopt, "", std::nullopt, false, std::nullopt},
          {0x63, 0x00, 13800, "L 入力された PIN が一致しませんでした。", std::nullopt, true, std::nullopt},
          {0x63, 0xC2, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x69, 0x84, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
          {0x6A, 0x82, 13999, READ_FAILED, std::nullopt, false, std::nullopt},
      },
      SetPinKey::RESIDENCECARD_PIN);
}

TEST(ReaderSupportStatusWord, ExpiredBackChannelIsSkipped) {
  const std::weak_ptr<IdentifyDelegate> gone = std::make_shared<FailedPins>();
  const auto failure =
      ReaderSupport::checkStatusWord<MyNumberInfoError>(0x63, 0xC0, SetPinKey::MYNUMBERCARD_SIGNER_PIN, gone);
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
    const auto failure = ReaderSupport::verificationFailure<MyNumberInfoError>(row.status, row.body, row.timedOut);
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
