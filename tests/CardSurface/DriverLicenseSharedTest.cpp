// The IC driving licence reader on the card-surface group's shared cases (the four card-surface
// readers run their own, larger table in CardSurfaceReadersTest).
// What the four readers of the card-surface group must do alike, run on each of them end to end:
// the end of a session before the first command, status words beginning with 90, and card files
// that lack, cut or overrun what a request needs (one card-read failure, never a crash, never a
// request built from half the data).
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc::test {
namespace {

enum class Kind { myNumber, cardPrint, both, promptedPii, driverLicense };

struct Outcome {
  std::vector<std::string> events;
  std::vector<std::int64_t> codes;
  std::string message;  // of the last failure
  std::vector<std::string> sheet;
  std::size_t commands = 0;
  std::size_t requests = 0;
};

Outcome runReader(Kind kind, CardSurfaceRig& rig, bool verifying) {
  const auto& h = rig.holder;
  const std::optional<std::string> id = verifying ? std::optional<std::string>("tenant") : std::nullopt;
  Outcome out;
  auto take = [&](const auto& results) {
    for (const auto& r : results->results()) {
      out.codes.push_back(r ? 0 : r.error().errorCode);
      if (!r) out.message = r.error().localizedDescription;
    }
  };
  switch (kind) {
    case Kind::myNumber: {
      auto results = std::make_shared<MyNumberResults>(rig.log);
      rig.run<MyNumberInfoReader>(results, [&](MyNumberInfoReader& r) {
        verifying ? r.fetchMyNumberCardInfo(h.myNumberPin, id) : r.fetchMyNumberCardInfo(h.myNumberPin);
      });
      take(results);
      break;
    }
    case Kind::cardPrint: {
      auto results = std::make_shared<CardPrintResults>(rig.log);
      rig.run<CardPrintInfoReader>(results, [&](CardPrintInfoReader& r) {
        verifying ? r.fetchCardPrintInfo(h.cardPrintInfoPin, id) : r.fetchCardPrintInfo(h.cardPrintInfoPin);
      });
      take(results);
      break;
    }
    case Kind::both: {
      auto results = std::make_shared<BothResults>(rig.log);
      rig.run<CardPrintInfoAndMyNumberInfoReader>(results, [&](CardPrintInfoAndMyNumberInfoReader& r) {
        verifying ? r.fetchCardPrintInfoAndMyNumberInfo(h.cardPrintInfoPin, h.myNumberPin, id)
                  : r.fetchCardPrintInfoAndMyNumberInfo(h.cardPrintInfoPin, h.myNumberPin);
      });
      take(results);
      break;
    }
    case Kind::promptedPii: {
      auto results = std::make_shared<PromptedPiiResults>(rig.log);
      rig.run<PromptedPiiReader>(results, [&](PromptedPiiReader& r) {
        verifying ? r.fetchPromptedPii(id, h.promptedPiiPin) : r.fetchPromptedPii(h.promptedPiiPin);
      });
      take(results);
      break;
    }
    case Kind::driverLicense: {
      auto results = std::make_shared<DriverLicenseResults>(rig.log);
      const auto& o = rig.licenceOptions;
      rig.run<DriverLicenseInfoReader>(results, [&](DriverLicenseInfoReader& r) {
        verifying ? r.fetchDriverLicense(id, o.pin1, o.pin2) : r.fetchDriverLicense(o.pin1, o.pin2);
      });
      take(results);
      break;
    }
  }
  out.events = rig.log->events();
  out.sheet = rig.alerts->texts();
  out.commands = rig.commands().size();
  out.requests = rig.server ? rig.server->receivedRequests().size() : 0;
  return out;
}

std::size_t chainLength(Kind kind) {
  switch (kind) {
    case Kind::myNumber: return 16;
    case Kind::cardPrint: return 16;
    case Kind::both: return 24;
    case Kind::promptedPii: return 11;
    case Kind::driverLicense: return 25;
  }
  return 0;
}

class DriverLicenseSharedTest : public ::testing::TestWithParam<Kind> {};

TEST_P(DriverLicenseSharedTest, SessionEndBeforeTheFirstCommandIsMappedOnceWithTheCodesTextAlone) {
  struct Case {
    NFCError error;
    std::int64_t code;
    std::string message;
  };
  const std::vector<Case> cases{
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled), 13700,
       "カードとの通信をユーザがキャンセルしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout), 13600,
       "カードとの通信がタイムアウトしました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTerminatedUnexpectedly), 13500,
       "カードとの通信が切断されました。"},
      {NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorFirstNDEFTagRead), 13500,
       "カードとの通信が切断されました。"},
      {NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost), 13500,
       "カードとの通信が切断されました。"},
      {NFCError::reader(static_cast<NFCReaderErrorCode>(999)), 13500, "カードとの通信が切断されました。"},
      {NFCError::other("not a reader error"), 99999, "予期しないエラーが発生しました。"},
  };
  for (const auto& c : cases) {
    CardSurfaceRig rig;
    rig.cardReader->failNextWait(c.error);
    const auto out = runReader(GetParam(), rig, true);
    EXPECT_EQ(out.events, (std::vector<std::string>{"result(" + std::to_string(c.code) + ")", "didGetPin()"}))
        << c.error.code;
    EXPECT_EQ(out.message, c.message);
    EXPECT_EQ(out.commands, 0u);
  }
}

TEST_P(DriverLicenseSharedTest, StatusWordsBeginningWith90PassEveryCheck) {
  CardSurfaceRig rig;
  auto& card = GetParam() == Kind::driverLicense ? rig.presentLicence() : rig.presentCard();
  for (const std::uint8_t ins : {0xA4, 0x20, 0xB0}) {
    card.onInstruction(ins, [](const VirtualCommand& command, VirtualCardContext& context) {
      auto response = context.standard(command);
      if (response.sw == 0x9000) response.sw = 0x90FF;
      return std::optional<VirtualResponse>(response);
    });
  }
  const auto out = runReader(GetParam(), rig, false);
  EXPECT_EQ(out.events, (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  EXPECT_EQ(out.commands, chainLength(GetParam()));
}

// A card file that cannot give what the request needs: one 13999 after the first command's
// didGetPin(""), the session ended with the error text, and no verification request.
struct BadFile {
  std::string name;
  std::vector<Kind> readers;
  bool verifying;
  std::function<void(CardSurfaceRig&)> alter;
};

const std::vector<BadFile>& badFiles() {
  using namespace expected;
  const std::vector<Kind> surfaceReaders{Kind::cardPrint, Kind::both};
  const std::vector<Kind> numberReaders{Kind::myNumber, Kind::both};
  static const std::vector<BadFile> table{
      {"number image file without DF41", numberReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0005 = withoutElement(r.files.csEf0005, 0xDF41); }},
      {"number image file without DF42", numberReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0005 = withoutElement(r.files.csEf0005, 0xDF42); }},
      {"number image file cut inside DF41", numberReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0005.resize(200); }},
      {"number file without FF10", {Kind::myNumber, Kind::both}, false,
       [](CardSurfaceRig& r) { r.files.supEf0001 = Bytes(17, 0xFF); }},
      {"number file whose length runs past its end", {Kind::myNumber, Kind::both}, false,
       [](CardSurfaceRig& r) { r.files.supEf0001[2] = 0x40; }},
      {"card-surface certificate file without 7F21", {Kind::myNumber, Kind::cardPrint, Kind::both}, false,
       [](CardSurfaceRig& r) { r.files.csEf0004.assign(568, 0xFF); }},
      {"input-support certificate file without 7F21", {Kind::myNumber, Kind::cardPrint, Kind::both}, false,
       [](CardSurfaceRig& r) { r.files.supEf0004.assign(568, 0xFF); }},
      {"certificate record whose length runs past the file", {Kind::myNumber, Kind::cardPrint, Kind::both}, false,
       [](CardSurfaceRig& r) { r.files.csEf0004 = Bytes{0x7F, 0x21, 0x82, 0x7F, 0xFF, 0x5F, 0x4E}; }},
      {"surface file without any element", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0002.assign(5498, 0xFF); }},
      {"surface file without DF22", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0002 = withoutElement(r.files.csEf0002, 0xDF22); }},
      {"surface file without DF25", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0002 = withoutElement(r.files.csEf0002, 0xDF25); }},
      {"surface file cut inside the photo", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.csEf0002.resize(3000); }},
      {"basic items file without DF22", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.supEf0002 = withoutElement(r.files.supEf0002, 0xDF22); }},
      {"basic items file without DF25", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.supEf0002 = withoutElement(r.files.supEf0002, 0xDF25); }},
      {"basic items file whose FF20 length runs past its end", surfaceReaders, false,
       [](CardSurfaceRig& r) { r.files.supEf0002.resize(60); }},
      // Signatures are optional to the read, but a request cannot be sent without them.
      {"surface file without its signature DF28", surfaceReaders, true,
       [](CardSurfaceRig& r) { r.files.csEf0002 = withoutElement(r.files.csEf0002, 0xDF28); }},
      {"number image file without its signature DF43", numberReaders, true,
       [](CardSurfaceRig& r) { r.files.csEf0005 = withoutElement(r.files.csEf0005, 0xDF43); }},
      {"hash file without the signature DF33", {Kind::myNumber, Kind::cardPrint, Kind::promptedPii}, true,
       [](CardSurfaceRig& r) { r.files.supEf0003 = withoutElement(r.files.supEf0003, 0xDF33); }},
      {"input-support certificate file without 7F21, verified", {Kind::promptedPii}, true,
       [](CardSurfaceRig& r) { r.files.supEf0004.assign(568, 0xFF); }},
      {"basic items file without DF24, verified", {Kind::promptedPii}, true,
       [](CardSurfaceRig& r) { r.files.supEf0002 = withoutElement(r.files.supEf0002, 0xDF24); }},
      // The IC driving licence: files without a tag its format requires, or shorter than the
      // signed source needs (never a read past the end).
      {"licence common data without 46", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.commonData.resize(13); }},
      {"licence entries without 21", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.entries = withoutLicenceTag(r.licenceFiles.entries, 0x21); }},
      {"licence entries whose name length runs past the file", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.entries[4] = 0x7F; }},
      {"licence history with entries but without its flag 50", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.changedEntries[0] = 0x90; }},
      {"licence external characters with entries but without A0", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.changedExternalCharacters[0] = 0xA5; }},
      {"licence domicile history with entries but without AA", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.changedRegisteredDomicile[0] = 0xAF; }},
      {"licence signature file without B6", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.signature = withoutLicenceTag(r.licenceFiles.signature, 0xB6); }},
      {"licence photo file shorter than the signed source", {Kind::driverLicense}, true,
       [](CardSurfaceRig& r) { r.licenceFiles.photo.resize(1500); }},
      {"licence domicile file shorter than the signed source", {Kind::driverLicense}, false,
       [](CardSurfaceRig& r) { r.licenceFiles.registeredDomicile.resize(40); }},
  };
  return table;
}

TEST_P(DriverLicenseSharedTest, CardFilesThatCannotGiveWhatTheRequestNeeds) {
  std::size_t ran = 0;
  for (const auto& bad : badFiles()) {
    if (std::find(bad.readers.begin(), bad.readers.end(), GetParam()) == bad.readers.end()) continue;
    ++ran;
    CardSurfaceRig rig;
    if (bad.verifying) rig.startServer();
    bad.alter(rig);
    GetParam() == Kind::driverLicense ? rig.presentLicence() : rig.presentCard();
    const auto out = runReader(GetParam(), rig, bad.verifying);
    EXPECT_EQ(out.events, (std::vector<std::string>{"didGetPin()", "result(13999)"})) << bad.name;
    EXPECT_EQ(out.message, "カードの読み込みに失敗しました。") << bad.name;
    ASSERT_FALSE(out.sheet.empty());
    EXPECT_EQ(out.sheet.back(), "error") << bad.name;
    EXPECT_EQ(std::count(out.sheet.begin(), out.sheet.end(), "success"), 0) << bad.name;
    // The combined reader sends the card-surface request "13" before it finds the number side
    // incomplete; nothing is sent with a missing piece.
    const bool surfaceSentFirst = GetParam() == Kind::both && bad.name.find("DF43") != std::string::npos;
    EXPECT_EQ(out.requests, surfaceSentFirst ? 1u : 0u) << bad.name;
  }
  EXPECT_GT(ran, 0u);
}

INSTANTIATE_TEST_SUITE_P(Licence, DriverLicenseSharedTest,
                         ::testing::Values(Kind::driverLicense),
                         [](const auto& info) {
                           switch (info.param) {
                             case Kind::myNumber: return std::string("MyNumberInfoReader");
                             case Kind::cardPrint: return std::string("CardPrintInfoReader");
                             case Kind::both: return std::string("CardPrintInfoAndMyNumberInfoReader");
                             case Kind::promptedPii: return std::string("PromptedPiiReader");
                             case Kind::driverLicense: return std::string("DriverLicenseInfoReader");
                           }
                           return std::string("reader");
                         });

}  // namespace
}  // namespace ekyc::test
