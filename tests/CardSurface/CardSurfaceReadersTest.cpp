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

class CardSurfaceReadersTest : public ::testing::TestWithParam<Kind> {};

TEST_P(CardSurfaceReadersTest, SessionEndBeforeTheFirstCommandIsMappedOnceWithTheCodesTextAlone) {
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

TEST_P(CardSurfaceReadersTest, StatusWordsBeginningWith90PassEveryCheck) {
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
  const std::vector<Kind> surface{Kind::cardPrint, Kind::both};                          // cs EF 0002
  const std::vector<Kind> image{Kind::myNumber, Kind::both};                             // cs EF 0005
  const std::vector<Kind> csCert{Kind::myNumber, Kind::cardPrint, Kind::both};           // cs EF 0004
  const std::vector<Kind> number{Kind::myNumber, Kind::both, Kind::promptedPii};         // sup EF 0001
  const std::vector<Kind> items{Kind::cardPrint, Kind::both, Kind::promptedPii};         // sup EF 0002
  const std::vector<Kind> all{Kind::myNumber, Kind::cardPrint, Kind::both, Kind::promptedPii};  // sup EF 0003, 0004
  const auto drop = [](Bytes CardSurfaceFiles::*file, int tag) {
    return [file, tag](CardSurfaceRig& r) { r.files.*file = withoutElement(r.files.*file, tag); };
  };
  const auto set = [](Bytes CardSurfaceFiles::*file, int tag, Bytes value) {
    return [file, tag, value](CardSurfaceRig& r) { r.files.*file = withValue(r.files.*file, tag, value); };
  };
  const auto oneShort = [](Bytes CardSurfaceFiles::*file) {
    return [file](CardSurfaceRig& r) { r.files.*file = outerLengthOneShort(r.files.*file); };
  };
  const auto numberFile = [](std::string digits) {
    return [digits](CardSurfaceRig& r) {
      r.files.supEf0001 = CardSurfaceFiles::tlv({0xFF, 0x10}, toBytes(digits));
      r.files.supEf0001.resize(17, 0xFF);
    };
  };
  using F = CardSurfaceFiles;
  static const std::vector<BadFile> table{
      // Card-surface EF 0005: DF41, DF42 and the signature DF43.
      {"number image file without DF41", image, false, drop(&F::csEf0005, 0xDF41)},
      {"number image file without DF42", image, false, drop(&F::csEf0005, 0xDF42)},
      {"number image file without its signature DF43", image, false, drop(&F::csEf0005, 0xDF43)},
      {"number image file with an empty DF41", image, false, set(&F::csEf0005, 0xDF41, {})},
      {"number image file cut inside DF41", image, false, [](CardSurfaceRig& r) { r.files.csEf0005.resize(200); }},
      {"number image file whose FF40 length is one short", image, true, oneShort(&F::csEf0005)},
      // Input-support EF 0001: FF10 with exactly 12 ASCII digits.
      {"number file without FF10", number, false, [](CardSurfaceRig& r) { r.files.supEf0001 = Bytes(17, 0xFF); }},
      {"number file whose length runs past its end", number, false, [](CardSurfaceRig& r) { r.files.supEf0001[2] = 0x40; }},
      {"number of 11 digits", number, false, numberFile("12345678901")},
      {"number of 13 digits", number, false, numberFile("1234567890123")},
      {"number with a letter", number, false, numberFile("12345678901A")},
      {"empty number file", number, false, [](CardSurfaceRig& r) { r.files.supEf0001.clear(); }},
      // EF 0004 of either application: 7F21 { 5F4E, 5F37 }.
      {"card-surface certificate file without 7F21", csCert, false,
       [](CardSurfaceRig& r) { r.files.csEf0004.assign(568, 0xFF); }},
      {"certificate record whose length runs past the file", csCert, false,
       [](CardSurfaceRig& r) { r.files.csEf0004 = Bytes{0x7F, 0x21, 0x82, 0x7F, 0xFF, 0x5F, 0x4E}; }},
      {"card-surface certificate without 5F37", csCert, false, drop(&F::csEf0004, 0x5F37)},
      {"input-support certificate file without 7F21", all, false,
       [](CardSurfaceRig& r) { r.files.supEf0004.assign(568, 0xFF); }},
      {"input-support certificate whose 7F21 length is one short", all, true, oneShort(&F::supEf0004)},
      // Card-surface EF 0002: DF22 to DF2A (DF28 the signature; DF29, DF2A outside the signed source).
      {"surface file without any element", surface, false, [](CardSurfaceRig& r) { r.files.csEf0002.assign(5498, 0xFF); }},
      {"surface file without DF22", surface, false, drop(&F::csEf0002, 0xDF22)},
      {"surface file without DF25", surface, false, drop(&F::csEf0002, 0xDF25)},
      {"surface file without its signature DF28", surface, false, drop(&F::csEf0002, 0xDF28)},
      {"surface file without DF29", surface, false, drop(&F::csEf0002, 0xDF29)},
      {"surface file without DF2A", surface, false, drop(&F::csEf0002, 0xDF2A)},
      {"surface file with an empty DF2A", surface, false, set(&F::csEf0002, 0xDF2A, {})},
      {"surface file cut inside the photo", surface, false, [](CardSurfaceRig& r) { r.files.csEf0002.resize(3000); }},
      {"surface file whose FF20 length is one short", surface, true, oneShort(&F::csEf0002)},
      // Input-support EF 0002: DF22 to DF25.
      {"basic items file without DF22", items, false, drop(&F::supEf0002, 0xDF22)},
      {"basic items file without DF24", items, true, drop(&F::supEf0002, 0xDF24)},
      {"basic items file without DF25", items, false, drop(&F::supEf0002, 0xDF25)},
      {"basic items file with an empty name", items, false, set(&F::supEf0002, 0xDF22, {})},
      {"basic items file whose FF20 length runs past its end", items, false,
       [](CardSurfaceRig& r) { r.files.supEf0002.resize(60); }},
      {"empty basic items file", items, false, [](CardSurfaceRig& r) { r.files.supEf0002.clear(); }},
      // Input-support EF 0003: DF31, DF32 (32-byte digests) and the signature DF33.
      {"hash file without DF31", all, false, drop(&F::supEf0003, 0xDF31)},
      {"hash file without DF32", all, false, drop(&F::supEf0003, 0xDF32)},
      {"hash file without the signature DF33", all, true, drop(&F::supEf0003, 0xDF33)},
      {"hash file with a 31-byte DF31", all, false, set(&F::supEf0003, 0xDF31, Bytes(31, 0x11))},
      {"hash file cut inside DF33", all, false, [](CardSurfaceRig& r) { r.files.supEf0003.resize(80); }},
      {"hash file whose FF30 length is one short", all, true, oneShort(&F::supEf0003)},
      {"empty hash file", all, false, [](CardSurfaceRig& r) { r.files.supEf0003.clear(); }},
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

TEST_P(CardSurfaceReadersTest, CardFilesThatCannotGiveWhatTheRequestNeeds) {
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
    EXPECT_EQ(out.requests, 0u) << bad.name;
  }
  EXPECT_GT(ran, 0u);
}

INSTANTIATE_TEST_SUITE_P(AllReaders, CardSurfaceReadersTest,
                         ::testing::Values(Kind::myNumber, Kind::cardPrint, Kind::both, Kind::promptedPii,
                                           Kind::driverLicense),
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
