// The IC driving-licence reader end to end: reader -> session -> virtual licence (-> the stand-in),
// every decoded item compared with what the virtual licence holds, the integrity data recomputed
// here. What it shares with the card-surface readers (PIN rules, dialogs and refusals, session end,
// 90xx, unreadable files, every verification outcome) runs in their tables.
#include <atomic>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "DriverLicense/OpensslState.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Support/Tlv.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
using Texts = std::vector<std::optional<std::string>>;


// The value of the element at `offset` of a licence file whose length is 81 81 (a bitmap).
Bytes bitmapAt(const Bytes& file, std::size_t offset) {
  return Bytes(file.begin() + long(offset) + 4, file.begin() + long(offset) + 3 + 129);
}

class DriverLicenseInfoReaderTest : public ::testing::Test {
 protected:
  CardSurfaceRig rig;
  std::shared_ptr<DriverLicenseResults> results = std::make_shared<DriverLicenseResults>(rig.log);

  // Runs when the result is delivered, with the reader as it is then.
  std::function<void(const DriverLicenseInfoReader&)> inspect;
  std::atomic<bool> inspected{false};  // set on the session's queue, read by the test

  // One request with the card's own PINs, verified when an application id is given.
  void fetch(std::optional<std::string> appId = std::nullopt) {
    const auto& o = rig.licenceOptions;
    rig.run<DriverLicenseInfoReader>(results, [&](DriverLicenseInfoReader& reader) {
      results->onResult = [this, r = &reader] {
        inspected = true;
        if (inspect) inspect(*r);
      };
      appId ? reader.fetchDriverLicense(appId, o.pin1, o.pin2) : reader.fetchDriverLicense(o.pin1, o.pin2);
    });
  }

  std::optional<DriverLicense> record() const {
    const auto last = results->last();
    if (!last || !*last) return std::nullopt;
    return **last;
  }
  // The bitmap stored for an external code: FFF1, FFF2 in EF 0003, FFF3..FFF7 in EF 0005.
  Bytes bitmap(int code) const {
    const auto& f = rig.licenceFiles;
    return code <= 2 ? bitmapAt(f.externalCharacters, 132 * std::size_t(code - 1))
                     : bitmapAt(f.changedExternalCharacters, 3 + 132 * std::size_t(code - 3));
  }
};

TEST_F(DriverLicenseInfoReaderTest, ReadsEveryFileOnceInOrderDecodesEveryItemAndHasTheSignedSourceVerified) {
  auto& server = rig.startServer();
  rig.presentLicence();
  // The reader's own fields when it delivers: each file's elements, the bitmaps by key and the
  // change flag, the previous names; the record it delivers is not kept.
  inspect = [this](const DriverLicenseInfoReader& r) {
    const auto element = [](const Bytes& value) { return concat({{0x20}, value}); };
    EXPECT_FALSE(r.driverLicense);
    EXPECT_EQ(r.dicExternalCharacters, (std::map<std::string, Bytes>{{"48", element(bitmap(1))}, {"49", element(bitmap(2))}}));
    ASSERT_TRUE(r.dicChangedExternalCharacter && r.dicChangedLicenseEntries && r.dicChangedRegisteredDomicile);
    EXPECT_EQ(r.dicChangedExternalCharacter->size(), 6u);
    EXPECT_EQ(r.dicChangedExternalCharacter->at("A5"), element(bitmap(7)));
    EXPECT_TRUE(r.externalCharacterChanged);
    Strings keys;
    for (const auto& [key, character] : r.dicExternalCharactersKey) {
      keys.push_back(key);
      EXPECT_EQ(character->getExternalCharacter(), bitmap(key.back() - '0')) << key;
    }
    EXPECT_EQ(keys, (Strings{"FFF1", "FFF2", "FFF3", "FFF4", "FFF5", "FFF6", "FFF7"}));
    EXPECT_TRUE(r.dicChangedLicenseEntries->contains("62") && !r.dicChangedLicenseEntries->contains("61"));
    EXPECT_EQ(r.dicChangedRegisteredDomicile->at("AA"), Bytes{0x11});
    EXPECT_EQ(r.previousName, hex("4E6B4C5A"));  // 鈴木
    const std::nullopt_t none = std::nullopt;
    EXPECT_EQ(r.flagPreviousNames, (std::vector<std::optional<bool>>{true, none, false, none, none, none, none, none}));
    ASSERT_TRUE(r.previousNames && r.previousNames->size() == 2);
    EXPECT_EQ(r.previousNames->back(), Bytes{});
    EXPECT_EQ(r.previousNames->front()->size(), 15u + 4 + 10);  // head, 鈴木, commission
  };
  fetch("tenant");
  EXPECT_TRUE(inspected);
  const std::string df1 = "00A4040C10A0000002310100000000000000000000";
  const std::string df2 = "00A4040C10A0000002310200000000000000000000";
  EXPECT_EQ(rig.commands(),
            (Strings{"00A40000", selectEf("0001"), verify("1234"), selectEf("0002"), verify("5678"), selectEf("2F01"),
                     read(17), df1, selectEf("0003"), read(264), selectEf("0005"), read(663), selectEf("0001"),
                     read(880), selectEf("0002"), read(82), selectEf("0004"), read(640), selectEf("0006"), read(256),
                     selectEf("0007"), read(578), df2, selectEf("0001"), read(2005)}));
  EXPECT_EQ(rig.log->events(), (Strings{"didGetPin()", "result(ok)"}));
  EXPECT_EQ(rig.alerts->texts(), (Strings{"initial", "reading", "success"}));
  const auto licence = record();
  ASSERT_TRUE(licence) << "no licence delivered";
  ASSERT_TRUE(licence->getLicenseEntries() && licence->getLicenseChangedEntries() &&
              licence->getLicenseChangedRegisteredDomicile() && licence->getLicenseSignature() &&
              licence->getLicenseExternalCharacters() && licence->getLicenseCommonData());
  const auto& common = *licence->getLicenseCommonData();
  EXPECT_EQ((Texts{common.getVersion(), common.getIssueDate(), common.getExpireDate(), common.getManufacturerID(),
                   common.getEncryptionID()}),
            (Texts{"008", "20200401", "20250401", "1A", "03"}));

  const auto& e = *licence->getLicenseEntries();
  const std::vector<std::pair<std::optional<std::string>, std::string>> items{
      {e.getJisX0208Year(), "01"},          {e.getCommonName(), "□野　花子"},  {e.getPreviousName(), "鈴木"},
      {e.getKana(), "ノ　ハナコ"},          {e.getAliasName(), "のの□"},       {e.getCallName(), "ハナ"},
      {e.getDateOfBirth(), "4010203"},      {e.getAddress(), "東京都千代田区霞が関２の１□Ⅰ"},
      {e.getIssueDate(), "5020401"},        {e.getRefNumber(), "12345"},       {e.getColorClass(), "優良"},
      {e.getExpireDate(), "5070401"},       {e.getPscName(), "東京都公安委員会"},
      {e.getLicenseNumber(), "123456789012"}, {licence->getRegisteredDomicile(), "北海道□札幌市"}};
  for (const auto& [got, want] : items) EXPECT_EQ(got, want);
  EXPECT_TRUE(e.isIncludePreviousName());
  EXPECT_EQ(e.getConditions(), (Strings{"眼鏡等", "□限定"}));  // 1E and 1F absent: no gaps
  EXPECT_EQ(e.getCategories(), (Strings{"5020401", "4100101", ""}));

  // External characters: positions and the bitmap stored under each code.
  using Positions = std::optional<std::vector<int>>;
  const auto at = [](std::vector<int> v) { return Positions(std::move(v)); };
  EXPECT_EQ(e.indexesOfExternalCharInCommonName(), at({0}));
  EXPECT_EQ(e.indexesOfExternalCharInAliasName(), at({2}));
  EXPECT_EQ(e.indexesOfExternalCharInAddress(), at({13}));
  EXPECT_EQ(e.indexesOfExternalCharInCondition(1), at({0}));
  EXPECT_FALSE(e.indexesOfExternalCharInCondition(0) || e.indexesOfExternalCharInPreviousName());
  EXPECT_EQ(licence->indexesOfExternalCharInRegisteredDomicile(), at({3}));
  const auto bitmapOf = [](const std::optional<LicenseExternalCharacter>& c) {
    return c ? c->getExternalCharacter().value_or(Bytes{0xEE}) : Bytes{};
  };
  const auto& h = *licence->getLicenseChangedEntries();
  const auto& d = *licence->getLicenseChangedRegisteredDomicile();
  const std::vector<std::pair<std::optional<LicenseExternalCharacter>, int>> stored{
      {e.getExternalCharInCommonName(0), 1}, {e.getExternalCharInAliasName(2), 2}, {e.getExternalCharInAddress(13), 3},
      {licence->getExternalCharInRegisteredDomicile(3), 6}, {h.getExternalCharInCommonName(1, 0), 4},
      {h.getExternalCharInAddress(0, 0), 1}, {d.getExternalCharInRegisteredDomicile(1, 0), 5}};
  for (const auto& [got, code] : stored) EXPECT_EQ(bitmapOf(got), bitmap(code)) << code;
  EXPECT_FALSE(e.getExternalCharInCommonName(1));        // an ordinary character
  EXPECT_FALSE(e.getExternalCharInCondition(1, 0));      // FF FA has no bitmap
  EXPECT_FALSE(e.getExternalCharInCondition(7, 0));      // no such condition
  EXPECT_TRUE(licence->getLicenseExternalCharacters()->isChanged());
  for (int code = 1; code <= 7; ++code) {
    EXPECT_EQ(bitmapOf(licence->getLicenseExternalCharacters()->getExternalCharacter("FFF" + std::to_string(code))),
              bitmap(code));
  }

  // History: entries, latest values, the previous name split, the 25-byte entry and the missing 61.
  EXPECT_TRUE(h.isChanged() && d.isChanged());
  const std::vector<std::pair<std::optional<Strings>, Strings>> lists{
      {h.getChangeDates(), {"令和２年４月１", "令和４年５月９"}}, {h.getPscNames(), {"東京公安委", "東京公安委"}},
      {h.getCommonNames(), {"野　花子", "□野"}}, {h.getPreviousNames(), {"鈴木", ""}}, {h.getCallNames(), {""}},
      {h.getAddresses(), {"□市"}}, {h.getCancelConditions(), {"条件解除"}},
      {d.getChangedRegisteredDomiciles(), {"東京都", "□市"}}};
  for (const auto& [got, want] : lists) EXPECT_EQ(got, want);
  const auto psc = h.getPscNameChangedEntryLatest();
  EXPECT_TRUE(psc && psc->getValue() == "大阪府");
  EXPECT_EQ(h.getCommonNamesLatest(), "□野");
  EXPECT_EQ(h.isIncludePreviousNames(), (std::vector<bool>{true, false}));
  const auto call = h.getCallNameChangedEntryLatest();
  ASSERT_TRUE(call);  // a 25-byte entry has no value, not the commission name
  EXPECT_EQ((Texts{call->getValue(), call->getPscName(), call->getChangeDate(), call->getJisYear()}),
            (Texts{"", "東京公安委", "令和２年４月１", "01"}));
  EXPECT_EQ(h.indexesOfExternalCharInCommonName(1), at({0}));
  EXPECT_EQ(h.indexesOfExternalCharInAddress(0), at({0}));
  EXPECT_FALSE(h.getExternalCharInAddress(5, 0));
  EXPECT_EQ(d.getChangedRegisteredDomicileLatest(), "□市");

  // Signature file and photo.
  const auto& s = *licence->getLicenseSignature();
  EXPECT_EQ((Texts{s.getSerial(), s.getSubject()}), (Texts{"0A1B2C3D", "CN=Virtual Licence Signer,O=nfc-ekyc,C=JP"}));
  EXPECT_EQ(s.getSubjectKeyIdentifier(), VirtualDriverLicense::issuerSki());
  const auto& f = rig.licenceFiles;
  EXPECT_EQ(licence->getPhoto(), Bytes(f.photo.begin() + 5, f.photo.end()));

  // Integrity data, recomputed here.
  const Bytes joined = concat({f.entries, f.registeredDomicile, f.photo});
  const Bytes state = opensslState(joined, 16);
  const Bytes outer = concat({f.entries, f.photo, state});
  EXPECT_EQ(licence->getLicenseHashData(), Base64::encode(Digest::sha256(joined)));
  EXPECT_EQ(licence->getWIPHash(), Base64::encode(state));
  EXPECT_EQ(licence->getParityHash(), Base64::encode(Digest::sha256(outer)));
  EXPECT_EQ(licence->getOffset(), 62);
  EXPECT_EQ(licence->getSignature(), Base64::encode(Bytes(f.signature.begin() + 4, f.signature.begin() + 260)));
  EXPECT_EQ(licence->getLicenseEntriesRawData(), Base64::encode(f.entries));
  const auto params = Base64::decode(licence->getLicenseVerifyingParams().value_or("!"));
  ASSERT_TRUE(params);
  const auto json = nlohmann::json::parse(std::string(params->begin(), params->end()));
  EXPECT_EQ(json, (nlohmann::json{{"ski", Base64::encode(VirtualDriverLicense::issuerSki())}}));

  // One verification request, which the stand-in (checking the signature over the signed source's
  // hash with the issuer named by its SKI) found valid.
  EXPECT_EQ(server.receivedRequestTypes(), Strings{"11"});
}

// Without history the records say unchanged; without the domicile and photo tags only their raw files stay.
TEST_F(DriverLicenseInfoReaderTest, WithoutHistoryAndWithoutDomicileAndPhotoTags) {
  rig.licenceFiles = DriverLicenseFiles::withoutHistory();
  rig.licenceFiles.registeredDomicile[0] = 0x42;
  rig.licenceFiles.photo[1] = 0x41;
  rig.presentLicence();
  inspect = [](const DriverLicenseInfoReader& r) {
    EXPECT_FALSE(r.externalCharacterChanged);
    EXPECT_EQ(r.dicExternalCharactersKey.size(), 2u);
    EXPECT_TRUE(r.dicChangedExternalCharacter && r.dicChangedExternalCharacter->empty());
    EXPECT_TRUE(r.dicChangedLicenseEntries && r.dicChangedLicenseEntries->empty());
    EXPECT_TRUE(r.flagPreviousNames.empty() && r.previousNames && r.previousNames->empty());
  };
  fetch();
  EXPECT_TRUE(inspected);
  const auto licence = record();
  ASSERT_TRUE(licence && licence->getLicenseChangedEntries() && licence->getLicenseChangedRegisteredDomicile());
  EXPECT_FALSE(licence->getRegisteredDomicile() || licence->getPhoto());
  EXPECT_EQ(licence->photoRawData(), rig.licenceFiles.photo);
  const auto& h = *licence->getLicenseChangedEntries();
  EXPECT_FALSE(h.isChanged());
  EXPECT_FALSE(h.getCommonNames() || h.getChangeDates() || h.getPscNameChangedEntryList() || h.isIncludePreviousNames());
  EXPECT_TRUE(h.licenseExternalCharacters());
  EXPECT_FALSE(licence->getLicenseChangedRegisteredDomicile()->isChanged());
  EXPECT_FALSE(licence->getLicenseChangedRegisteredDomicile()->licenseExternalCharacters());
  const auto& table = *licence->getLicenseExternalCharacters();
  EXPECT_FALSE(table.isChanged());
  EXPECT_EQ(table.externalCharacters().size(), 2u);  // FFF1 and FFF2 only
}

}  // namespace
}  // namespace ekyc::test
