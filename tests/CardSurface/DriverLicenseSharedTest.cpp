// The IC driving licence reader on the cases the card-surface group shares (the four card-surface
// readers run them in CardSurfaceReadersTest), end to end: the end of a session before the first
// command, status words beginning with 90, card files that cannot give what a request needs, and
// every answer of the verification exchange that is not "valid" (one coded failure each, the
// session ended with the error text, never the success text).
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc::test {
namespace {

struct Outcome {
  std::vector<std::string> events;
  std::vector<std::int64_t> codes;
  std::string message;  // of the last failure
  std::optional<std::int64_t> httpStatus;
  std::vector<std::string> sheet;
  std::size_t commands = 0, requests = 0;
};

Outcome runLicence(CardSurfaceRig& rig, bool verifying, double httpTimeout = 10.0) {
  const std::optional<std::string> id = verifying ? std::optional<std::string>("tenant") : std::nullopt;
  const auto& o = rig.licenceOptions;
  auto results = std::make_shared<DriverLicenseResults>(rig.log);
  rig.run<DriverLicenseInfoReader>(
      results,
      [&](DriverLicenseInfoReader& r) {
        verifying ? r.fetchDriverLicense(id, o.pin1, o.pin2) : r.fetchDriverLicense(o.pin1, o.pin2);
      },
      httpTimeout);
  Outcome out;
  for (const auto& r : results->results()) {
    out.codes.push_back(r ? 0 : r.error().errorCode);
    if (!r) out.message = r.error().localizedDescription, out.httpStatus = r.error().httpStatus;
  }
  out.events = rig.log->events();
  out.sheet = rig.alerts->texts();
  out.commands = rig.commands().size();
  out.requests = rig.server ? rig.server->receivedRequests().size() : 0;
  return out;
}

TEST(DriverLicenseSharedTest, SessionEndBeforeTheFirstCommandIsMappedOnceWithTheCodesTextAlone) {
  const std::string lost = "カードとの通信が切断されました。";
  const std::vector<std::tuple<NFCError, std::int64_t, std::string>> cases{
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled), 13700,
       "カードとの通信をユーザがキャンセルしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout), 13600,
       "カードとの通信がタイムアウトしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly), 13500, lost},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorFirstNDEFTagRead), 13500, lost},
      {NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost), 13500, lost},
      {NFCError::reader(static_cast<NFCReaderErrorCode>(999)), 13500, lost},
      {NFCError::other("not a reader error"), 99999, "予期しないエラーが発生しました。"},
  };
  for (const auto& [error, code, message] : cases) {
    CardSurfaceRig rig;
    rig.cardReader->failNextWait(error);
    const auto out = runLicence(rig, true);
    EXPECT_EQ(out.events, (std::vector<std::string>{"result(" + std::to_string(code) + ")", "didGetPin()"}))
        << error.code;
    EXPECT_EQ(out.message, message);
    EXPECT_EQ(out.commands, 0u);
  }
}

TEST(DriverLicenseSharedTest, StatusWordsBeginningWith90PassEveryCheck) {
  CardSurfaceRig rig;
  auto& card = rig.presentLicence();
  for (const std::uint8_t ins : {0xA4, 0x20, 0xB0}) {
    card.onInstruction(ins, [](const VirtualCommand& command, VirtualCardContext& context) {
      auto response = context.standard(command);
      if (response.sw == 0x9000) response.sw = 0x90FF;
      return std::optional<VirtualResponse>(response);
    });
  }
  const auto out = runLicence(rig, false);
  EXPECT_EQ(out.events, (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  EXPECT_EQ(out.commands, 25u);
}

// Files without a tag their format requires, or shorter than the signed source needs (never a
// read past the end): one 13999 after didGetPin(""), the error text, no verification request.
TEST(DriverLicenseSharedTest, CardFilesThatCannotGiveWhatTheRequestNeeds) {
  using namespace expected;
  struct BadFile {
    std::string name;
    bool verifying;
    std::function<void(DriverLicenseFiles&)> alter;
  };
  const std::vector<BadFile> table{
      {"common data without 46", false, [](auto& f) { f.commonData.resize(13); }},
      {"entries without 21", false, [](auto& f) { f.entries = withoutLicenceTag(f.entries, 0x21); }},
      {"entries whose name length runs past the file", false, [](auto& f) { f.entries[4] = 0x7F; }},
      {"history with entries but without its flag 50", false, [](auto& f) { f.changedEntries[0] = 0x90; }},
      {"external characters with entries but without A0", false,
       [](auto& f) { f.changedExternalCharacters[0] = 0xA5; }},
      {"domicile history with entries but without AA", false, [](auto& f) { f.changedRegisteredDomicile[0] = 0xAF; }},
      {"signature file without B6", false, [](auto& f) { f.signature = withoutLicenceTag(f.signature, 0xB6); }},
      {"photo file shorter than the signed source", true, [](auto& f) { f.photo.resize(1500); }},
      {"domicile file shorter than the signed source", false, [](auto& f) { f.registeredDomicile.resize(40); }},
  };
  for (const auto& bad : table) {
    CardSurfaceRig rig;
    if (bad.verifying) rig.startServer();
    bad.alter(rig.licenceFiles);
    rig.presentLicence();
    const auto out = runLicence(rig, bad.verifying);
    EXPECT_EQ(out.events, (std::vector<std::string>{"didGetPin()", "result(13999)"})) << bad.name;
    EXPECT_EQ(out.message, "カードの読み込みに失敗しました。") << bad.name;
    EXPECT_EQ(lastOf(out.sheet), "error") << bad.name;
    EXPECT_EQ(std::count(out.sheet.begin(), out.sheet.end(), "success"), 0) << bad.name;
    EXPECT_EQ(out.requests, 0u) << bad.name;
  }
}

TEST(DriverLicenseSharedTest, VerdictAndTransportFailures) {
  using namespace std::string_literals;
  struct Case {
    std::string name;
    std::function<void(VerificationServer&)> arrange;  // null: nothing listens
    std::int64_t code;
    std::string message;  // checked when set
    double httpTimeout = 10.0;
  };
  const auto shape = [](ResponseShape s) { return [s](VerificationServer& v) { v.setResponseShape(s); }; };
  std::vector<Case> cases{
      {"not valid", [](VerificationServer& s) { s.setForcedVerdict(false); }, 18001, ""},
      {"404", [](VerificationServer& s) { s.setForcedHttpStatus(404); }, 15000,
       "通信処理でエラーになりました。HTTP ステータスコード 404"},
      {"valid missing", shape(ResponseShape::ValidMissing), 18001, ""},
      {"valid a string", shape(ResponseShape::ValidString), 18001, ""},
      {"not JSON", shape(ResponseShape::NotJson), 18001, ""},
      {"empty body", shape(ResponseShape::EmptyBody), 18001, ""},
      {"not an object", shape(ResponseShape::NotObject), 18001, ""},
      {"time-out", [](VerificationServer& s) { s.setResponseDelay(std::chrono::milliseconds(2000)); }, 16001,
       "HTTPS 通信中にタイムアウトが発生しました。", 0.4},
      {"refused connection", nullptr, 16999, "HTTPS 通信に失敗しました。"},
  };
  // The whole body is one JSON object: a NUL, trailing bytes or a name given twice make it unreadable.
  for (const auto& body : {"{\"valid\":true}\0{\"valid\":false}"s, "{\"valid\":true} {\"valid\":false}"s,
                           "{\"valid\":false,\"valid\":true}"s, "{\"valid\":true,\"e\":{\"a\":1,\"a\":2}}"s}) {
    cases.push_back({body, [body](VerificationServer& s) {
                       RawResponse raw;
                       raw.body = body;
                       s.setRawResponse(raw);
                     }, 18001, ""});
  }
  for (const auto& c : cases) {
    CardSurfaceRig rig;
    if (c.arrange) c.arrange(rig.startServer());
    rig.presentLicence();
    const auto out = runLicence(rig, true, c.httpTimeout);
    EXPECT_EQ(out.codes, std::vector<std::int64_t>{c.code}) << c.name;
    if (c.code == 18001) {
      EXPECT_NE(out.message.find("電子署名の検証に失敗しました。"), std::string::npos) << c.name << ": " << out.message;
    } else {
      EXPECT_EQ(out.message, c.message) << c.name;
    }
    EXPECT_EQ(out.httpStatus, c.code == 15000 ? std::optional<std::int64_t>(404) : std::nullopt) << c.name;
    EXPECT_EQ(lastOf(out.sheet), "error") << c.name;
    EXPECT_EQ(std::count(out.sheet.begin(), out.sheet.end(), "success"), 0) << c.name;
  }
}

}  // namespace
}  // namespace ekyc::test
