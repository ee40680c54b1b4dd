// The example host's command line: a bad one is refused with one line saying what was wrong (exit
// 2, never echoing a PIN), and each option that the run will not use is named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DemoArguments.hpp"

namespace ekyc::demo {
namespace {

struct Row {
  std::vector<std::string> arguments;
  int exitCode;         // 0: accepted
  std::string message;  // the usage error, or the one ignored-option line (empty: none)
};

TEST(DemoArgumentsTest, EachBadCommandLineSaysWhatWasWrong) {
  const std::string slots =
      " (the slots: MYNUMBERCARD_CARDPRINTINFO_PIN, MYNUMBERCARD_MYNUMBER_PIN, RESIDENCECARD_PIN, "
      "MYNUMBERCARD_SIGNER_PIN, MYNUMBERCARD_USERCERT_PIN, MYNUMBERCARD_PROMPTED_PII_PIN, DRIVERLICENSE_PIN1, "
      "DRIVERLICENSE_PIN2, MYNA_DRIVERLICENSE_PIN, SAMPLE_PIN)";
  const std::vector<Row> rows{
      {{"--pin", "mynumbercard_mynumber_pin=1234"}, 2, "unknown PIN slot mynumbercard_mynumber_pin" + slots},
      {{"--pin", "PIN=1234"}, 2, "unknown PIN slot PIN" + slots},
      {{"--pin", "1234"}, 2, "--pin takes SLOT=VALUE, and this one has no '='"},
      {{"--pin", "=1234"}, 2, "--pin takes SLOT=VALUE, and this one has no slot name before '='"},
      {{"--reader", "bogus"}, 2, "unknown reader bogus (virtual, pcsc, vpcd)"},
      {{"--reader=vpcd"}, 2, "--reader takes its value as the next argument: --reader VALUE"},
      {{"--verbose"}, 2, "unknown option --verbose"},
      {{"--request", "auth", "extra"}, 2, "unexpected argument extra (every value follows its option)"},
      {{"--request", "auth", "--app-id"}, 2, "--app-id needs a value"},
      {{"--request", "nope"}, 2, "no request named nope (ekyc-demo --list shows them)"},
      {{"--request", "auth", "--app-id", "x"}, 0, "--app-id is ignored: auth has no verified form"},
      {{"--request", "my-number", "--endpoint", "https://h/v"}, 0, "--endpoint is ignored: nothing is verified without --app-id"},
      {{"--request", "my-number", "--app-id", "x", "--ca-file", "ca.pem"}, 0,
       "--ca-file is ignored: without --endpoint the local stand-in's certificate is trusted"},
      {{"--request", "my-number", "--app-id", "", "--endpoint", "https://h/v", "--ca-file", "ca.pem", "--pin",
        "MYNUMBERCARD_MYNUMBER_PIN=1", "--reader", "vpcd"}, 0, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    const auto command = parseDemoCommand(row.arguments);
    if (row.exitCode != 0) {
      ASSERT_FALSE(command.has_value());
      EXPECT_EQ(command.error().exitCode, row.exitCode);
      EXPECT_EQ(command.error().message, row.message);
    } else {
      ASSERT_TRUE(command.has_value());
      EXPECT_EQ(command->ignored, row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
    }
  }
}

}  // namespace
}  // namespace ekyc::demo
