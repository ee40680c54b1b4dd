// The example host's command line: a bad one is refused with one line saying what was wrong (exit
// 2, never echoing a PIN), before any card is read; each option that the run will not use, or that
// a later one overrides, is named. Also the --list text, and an empty PIN refused before the card.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DemoArguments.hpp"
#include "DemoRequest.hpp"
#include "Utility/ConstResult.hpp"
#include "verification-server/SelfSignedCertificate.hpp"

namespace ekyc::demo {
namespace {

struct Row {
  std::vector<std::string> arguments;
  int exitCode;         // 0: accepted
  std::string message;  // the usage error, or the ignored-option lines joined by newlines (empty: none)
};

// A PEM file of one certificate, for the --ca-file the run would use.
std::string certificateFile() {
  const std::string path = testing::TempDir() + "ekyc-demo-ca-" + std::to_string(::getpid()) + ".pem";
  std::ofstream(path) << SelfSignedCertificate::create({"localhost"}, {})->certificatePem();
  return path;
}

TEST(DemoArgumentsTest, EachBadCommandLineSaysWhatWasWrong) {
  const std::string ca = certificateFile();
  const std::string keys = std::string(EKYC_TEST_DATA_DIR) + "/jpki-keys.pem";  // PEM, but no certificate
  const std::string slots =
      " (the slots: MYNUMBERCARD_CARDPRINTINFO_PIN, MYNUMBERCARD_MYNUMBER_PIN, RESIDENCECARD_PIN, "
      "MYNUMBERCARD_SIGNER_PIN, MYNUMBERCARD_USERCERT_PIN, MYNUMBERCARD_PROMPTED_PII_PIN, DRIVERLICENSE_PIN1, "
      "DRIVERLICENSE_PIN2, MYNA_DRIVERLICENSE_PIN, SAMPLE_PIN)";
  const std::vector<Row> rows{
      {{"--pin", "mynumbercard_mynumber_pin=1234"}, 2, "unknown PIN slot mynumbercard_mynumber_pin" + slots},
      {{"--pin", "PIN=1234"}, 2, "unknown PIN slot PIN" + slots},
      {{"--pin", "1234"}, 2, "--pin takes SLOT=VALUE, and this one has no '='"},
      {{"--pin", "=1234"}, 2, "--pin takes SLOT=VALUE, and this one has no slot name before '='"},
      {{"--pin", ""}, 2, "--pin is empty, not SLOT=VALUE"},
      {{"--reader", "bogus"}, 2, "--reader bogus is not a reader (virtual, pcsc, vpcd)"},
      {{"--reader", ""}, 2, "--reader is empty, not a reader (virtual, pcsc, vpcd)"},
      {{"--reader=vpcd"}, 2, "--reader takes its value as the next argument: --reader VALUE"},
      {{"--verbose"}, 2, "unknown option --verbose"},
      {{"--request", "auth", "1234"}, 2, "argument 3 is not an option (every value follows its option)"},
      {{"--request", "auth", "--app-id"}, 2, "--app-id needs a value"},
      // A value left out: the next option is not taken as the value.
      {{"--request", "--pin", "SAMPLE_PIN=1234"}, 2, "--request needs a value"},
      {{"--reader", "--pin", "SAMPLE_PIN=1234"}, 2, "--reader needs a value"},
      {{"--request", "my-number", "--app-id", "--pin", "MYNUMBERCARD_MYNUMBER_PIN=1"}, 2, "--app-id needs a value"},
      {{"--app-id", "--verbose", "--help"}, 0, "--help runs no request: --app-id and --verbose are ignored"},
      {{"--request", "nope"}, 2, "--request nope is not a request (ekyc-demo --list shows them)"},
      {{"--request", ""}, 2, "--request is empty, not a request (ekyc-demo --list shows them)"},
      {{"--request", "auth", "--app-id", "x"}, 0, "--app-id is ignored: auth has no verified form"},
      {{"--request", "my-number", "--endpoint", "https://h/v"}, 0, "--endpoint is ignored: nothing is verified without --app-id"},
      {{"--request", "my-number", "--app-id", "x", "--ca-file", "ca.pem"}, 0,
       "--ca-file is ignored: without --endpoint the local stand-in's certificate is trusted"},
      {{"--request", "my-number", "--app-id", "", "--endpoint", "https://h/v", "--ca-file", ca, "--pin",
        "MYNUMBERCARD_MYNUMBER_PIN=1", "--reader", "vpcd"}, 0, ""},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", "http://h/v"}, 2, "--endpoint http://h/v is not an https:// URL"},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", "https://"}, 2, "--endpoint https:// is not an https:// URL"},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", ""}, 2, "--endpoint is empty, not an https:// URL"},
      {{"--request", "card-print", "--endpoint", ""}, 0, "--endpoint is ignored: nothing is verified without --app-id"},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", "https://h/v", "--ca-file", ""}, 2,
       "--ca-file is empty, not a readable PEM file of certificates"},
      {{"--request", "card-print", "--ca-file", ""}, 0, "--ca-file is ignored: nothing is verified without --app-id"},
      {{"--request", "card-print", "--app-id", "x", "--ca-file", ""}, 0,
       "--ca-file is ignored: without --endpoint the local stand-in's certificate is trusted"},
      {{"--request", "auth", "--ca-file", ca}, 0, "--ca-file is ignored: auth has no verified form"},
      // An empty PIN is taken here and refused by the run, as the facade's requests refuse it (below).
      {{"--request", "apdu-chain", "--pin", "SAMPLE_PIN="}, 0, ""},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", "https://h/v", "--ca-file", "/no/such.pem"}, 2,
       "--ca-file /no/such.pem is not a readable PEM file of certificates"},
      {{"--request", "card-print", "--app-id", "x", "--endpoint", "https://h/v", "--ca-file", keys}, 2,
       "--ca-file " + keys + " is not a readable PEM file of certificates"},
      {{"--request", "card-print", "--endpoint", "http://h/v", "--ca-file", "/no/such.pem"}, 0,
       "--endpoint is ignored: nothing is verified without --app-id\n--ca-file is ignored: nothing is verified without --app-id"},
      {{"--request", "auth", "--pin", "MYNUMBERCARD_SIGNER_PIN=abcdef123", "--pin", "MYNUMBERCARD_USERCERT_PIN=1234"}, 0,
       "--pin MYNUMBERCARD_SIGNER_PIN is ignored: auth uses MYNUMBERCARD_USERCERT_PIN"},
      {{"--request", "toolkit-sample", "--reader", "vpcd", "--pin", "SAMPLE_PIN=1234"}, 0,
       "--reader is ignored: toolkit-sample reads no card\n--pin SAMPLE_PIN is ignored: toolkit-sample reads no card"},
      {{"--request", "auth", "--request", "my-number", "--reader", "vpcd", "--reader", "virtual", "--pin",
        "MYNUMBERCARD_MYNUMBER_PIN=1", "--pin", "MYNUMBERCARD_MYNUMBER_PIN=2", "--request", "my-number"}, 0,
       "--request is given more than once: the last one is used\n--reader is given more than once: the last one is used\n"
       "--pin MYNUMBERCARD_MYNUMBER_PIN is given more than once: the last one is used"},
      {{"--list", "--request", "auth"}, 0, "--list runs no request: --request is ignored"},
      {{"--pin", "1234", "--help", "5678", "--verbose=1"}, 0, "--help runs no request: --pin, --verbose and an argument are ignored"},
      {{"-h", "--list"}, 0, "-h runs no request: --list is ignored"},
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
      std::string lines;
      for (const auto& line : command->ignored) lines += (lines.empty() ? "" : "\n") + line;
      EXPECT_EQ(lines, row.message);
    }
  }
  std::remove(ca.c_str());
}

// Each request's own PIN slots are known and taken without a word.
TEST(DemoArgumentsTest, EachRequestTakesItsOwnPinSlots) {
  for (const auto& request : DemoRequests::all()) {
    for (const auto& slot : request.pinSlots) {
      const auto command = parseDemoCommand({"--request", request.name, "--pin", slot + "=1"});
      ASSERT_TRUE(command.has_value()) << request.name << " " << slot;
      EXPECT_TRUE(command->ignored.empty()) << request.name << " " << slot;
    }
  }
}

// The summaries of --list start in one column, past the longest request name.
TEST(DemoArgumentsTest, ListPutsEverySummaryInOneColumn) {
  const auto& requests = DemoRequests::all();
  std::istringstream text(demoList());
  std::set<std::size_t> columns;
  std::size_t count = 0;
  for (std::string line; std::getline(text, line); ++count) {
    ASSERT_LT(count, requests.size());
    const DemoRequest& request = requests[count];
    ASSERT_TRUE(line.starts_with(request.name + " ")) << line;
    const std::size_t column = line.find_first_not_of(' ', request.name.size());
    EXPECT_TRUE(line.substr(column).starts_with(request.summary)) << line;
    columns.insert(column);
  }
  EXPECT_EQ(count, requests.size());
  EXPECT_EQ(columns.size(), 1u);
}

// Every line of --list names the PIN slots of its request in one form after the summary (the
// residence card's line also its virtual card's PIN, spelled as its card number is printed).
TEST(DemoArgumentsTest, ListNamesEveryPinSlotAlike) {
  const std::vector<std::pair<std::string, std::string>> rows{
      {"apdu-chain", "NFC layer (PIN SAMPLE_PIN)"},
      {"toolkit-sample", "(no card)"},
      {"sign-basic-info-and-my-number",
       "individual number (PINs MYNUMBERCARD_SIGNER_PIN and MYNUMBERCARD_MYNUMBER_PIN)"},
      {"driver-license", "licence (PINs DRIVERLICENSE_PIN1 and DRIVERLICENSE_PIN2)"},
      {"residence-card", "AB12345678CD on the virtual card (PIN RESIDENCECARD_PIN)"},
  };
  std::istringstream text(demoList());
  std::map<std::string, std::string> lines;
  for (std::string line; std::getline(text, line);) lines[line.substr(0, line.find(' '))] = line;
  for (const auto& [name, ending] : rows) EXPECT_TRUE(lines[name].ends_with(ending)) << lines[name];
  for (const auto& request : DemoRequests::all()) {
    const std::string& line = lines[request.name];
    for (const auto& slot : request.pinSlots) EXPECT_NE(line.find(" " + slot), std::string::npos) << line;
    EXPECT_EQ(line.find("PIN") == std::string::npos, request.pinSlots.empty()) << line;
  }
}

// apdu-chain sends the PIN given as it is, as the facade's readers do after their PIN rule: an
// empty one ends the request with 12002 before the NFC sheet is shown, so no command reaches the card.
TEST(DemoArgumentsTest, ApduChainRefusesAnEmptyPinBeforeTheSession) {
  struct RunRow {
    std::string pin;
    std::int64_t errorCode;
    std::string description;
    bool sessionBegan;
  };
  const ConstResult texts;
  const std::vector<RunRow> rows{
      {"", 12002, texts.text(12002), false},
      {"0000", 13300, texts.text(13300) + "2" + texts.text(13301), true},
  };
  const DemoRequest* request = DemoRequests::find("apdu-chain");
  ASSERT_NE(request, nullptr);
  for (const auto& row : rows) {
    SCOPED_TRACE("PIN \"" + row.pin + "\"");
    DemoOptions options;
    options.request = request->name;
    options.pins[SAMPLE_PIN_SLOT] = row.pin;
    testing::internal::CaptureStderr();
    DemoOutcome outcome;
    {
      DemoContext context(options, request->readsCard());
      outcome = request->run(context);
    }
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorCode, row.errorCode);
    EXPECT_EQ(outcome.localizedDescription, row.description);
    EXPECT_EQ(console.find("[NFC]") != std::string::npos, row.sessionBegan) << console;
  }
}

}  // namespace
}  // namespace ekyc::demo
