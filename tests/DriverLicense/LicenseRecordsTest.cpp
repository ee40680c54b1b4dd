// The licence records on their own: what absent, empty, short, odd or unknown data gives.
#include <gtest/gtest.h>

#include "DriverLicense/ChangedEntry.hpp"
#include "DriverLicense/DriverLicense.hpp"
#include "Support/Tlv.hpp"
#include "Utility/Utility.hpp"

namespace ekyc::test {
namespace {

Bytes seq(std::size_t n, std::uint8_t first) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(first + i);
  return out;
}

LicenseEntries entries(Bytes name, std::vector<Bytes> conditions, std::optional<Bytes> previousName) {
  return LicenseEntries({0x01}, std::move(name), {}, {}, {}, {}, {}, {}, {}, {}, {}, std::move(conditions), {}, {}, {},
                        LicenseExternalCharacters(false, {}), std::move(previousName));
}

TEST(LicenseRecordsTest, DriverLicenseWithAbsentEmptyOrShortParts) {
  const DriverLicense none(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                           std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_FALSE(none.getLicenseEntries() || none.getLicenseSignature() || none.getPhoto() || none.getRegisteredDomicile() ||
               none.indexesOfExternalCharInRegisteredDomicile() || none.getExternalCharInRegisteredDomicile(0));
  EXPECT_FALSE(none.getSignature() || none.getLicenseVerifyingParams() || none.getLicenseHashData() ||
               none.getWIPHash() || none.getParityHash() || none.getPhotoRawData() || none.verifyingParams);
  EXPECT_EQ(none.getOffset(), 0);

  // Raw files shorter than their parts of the verification source: no source, never a read past the end.
  const DriverLicense small(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                            std::nullopt, std::nullopt, seq(10, 0), seq(5, 10), seq(20, 15));
  EXPECT_TRUE(!small.getLicenseHashData() && small.getParityHash());

  const LicenseSignature signature(seq(4, 0), {0xFF, 0xFE}, toBytes("issuer"), {}, seq(20, 0));
  EXPECT_TRUE(signature.getSerial() == "" && signature.getSubject() == "");  // not UTF-8: the empty text, not absent
}

// The common data's getters on values of every length around their fields: the fields are told
// apart by their values, so a getter that reads the wrong bytes gives a wrong text; what is too
// short for a field, or a date that is not BCD, gives absent; bytes after the fields are ignored.
TEST(LicenseRecordsTest, CommonDataGettersReadTheirOwnBytesOrGiveAbsent) {
  using Texts = std::vector<std::optional<std::string>>;
  const std::nullopt_t no = std::nullopt;
  const Bytes issuer = concat({toBytes("123"), hex("19991231"), hex("20300102")});
  const auto cut = [&](std::size_t n) { return Bytes(issuer.begin(), issuer.begin() + long(n)); };
  const struct {
    const char* name;
    Bytes issuer, issueBefore;
    Texts want;  // version, issue date, expiry date, maker, cryptographic functions
  } rows[] = {
      {"the layout", issuer, hex("0AB7"), {"123", "19991231", "20300102", "0A", "B7"}},
      {"bytes after the fields", concat({issuer, hex("FFFF")}), hex("0AB7FF"), {"123", "19991231", "20300102", "0A", "B7"}},
      {"expiry one byte short", cut(10), hex("0A"), {"123", "19991231", no, "0A", no}},
      {"issue date one byte short", cut(6), {}, {"123", no, no, no, no}},
      {"version one byte short", cut(2), {}, {no, no, no, no, no}},
      {"a nibble above 9 in the issue date", concat({toBytes("008"), hex("2020A401"), hex("20250401")}), hex("1A03"),
       {"008", no, "20250401", "1A", "03"}},
      {"a high nibble above 9 in the expiry", concat({toBytes("008"), hex("20200401"), hex("F0250401")}), hex("1A03"),
       {"008", "20200401", no, "1A", "03"}},
      {"a version that is not text", concat({hex("300038"), hex("20200401"), hex("20250401")}), hex("1A03"),
       {no, "20200401", "20250401", "1A", "03"}},
  };
  for (const auto& row : rows) {
    const LicenseCommonData d(row.issuer, row.issueBefore);
    EXPECT_EQ((Texts{d.getVersion(), d.getIssueDate(), d.getExpireDate(), d.getManufacturerID(), d.getEncryptionID()}),
              row.want)
        << row.name;
  }
}

TEST(LicenseRecordsTest, ExternalCharacterTables) {
  const auto bitmap = [](std::uint8_t size) { Bytes v{size}; v.resize(129, 0x55); return v; };
  // EF 0003 with 48 only; EF 0005 with A0 = 11 and A1, A2, A4, A5 (A3 missing).
  const Bytes b48 = bitmap(0x20), current = tlv("48", b48);
  Bytes history = concat({hex("A00111"), tlv("A1", b48), tlv("A2", b48), tlv("A4", b48), tlv("A5", b48)});
  const auto table = LicenseExternalCharacters::fromFiles(current, history);
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->isChanged());
  const auto first = table->getExternalCharacter("FFF1");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->getExternalCharacterSize(), "20");  // the bitmaps are compared end to end
  for (const std::string key : {"FFF2", "FFF5"}) {  // filled in empty
    ASSERT_TRUE(table->getExternalCharacter(key)) << key;
    EXPECT_FALSE(table->getExternalCharacter(key)->getExternalCharacter()) << key;
    EXPECT_FALSE(table->getExternalCharacter(key)->getExternalCharacterSize()) << key;
  }
  EXPECT_FALSE(table->getExternalCharacter("FFFA"));
  history[2] = 0x10;
  const auto unchanged = LicenseExternalCharacters::fromFiles(current, history);
  EXPECT_TRUE(unchanged && !unchanged->isChanged());
  EXPECT_FALSE(LicenseExternalCharacters::fromFiles(current, Bytes{0xA1, 0x01, 0x00}));  // entries without A0
  EXPECT_EQ(LicenseExternalCharacter({0x20}).getExternalCharacter(), Bytes{});      // a size code alone
}

TEST(LicenseRecordsTest, EntriesWithEmptyItemsAndOddText) {
  const auto e = entries({}, {}, Bytes{});
  EXPECT_FALSE(e.getCommonName() || e.indexesOfExternalCharInCommonName() || e.getExternalCharInCommonName(0));
  EXPECT_FALSE(e.getConditions() || e.indexesOfExternalCharInCondition(0) || e.getExternalCharInCondition(0, 0));
  EXPECT_TRUE(e.isIncludePreviousName() && e.getPreviousName() == "");
  EXPECT_EQ(entries({}, {Bytes{}}, std::nullopt).getConditions(), (std::vector<std::string>{""}));
  // Text: an unknown code, then a half character; a Roman numeral.
  EXPECT_EQ(entries(hex("4C6E" "7F7F" "30"), {}, std::nullopt).getCommonName(), "野\uFFFD\uFFFD");
  EXPECT_FALSE(entries(hex("FF"), {}, std::nullopt).indexesOfExternalCharInCommonName());
  // An external-looking code that is not one of the eight: not a position, and U+FFFD as text.
  EXPECT_FALSE(entries(hex("FFF8"), {}, std::nullopt).indexesOfExternalCharInCommonName());
  EXPECT_EQ(entries(hex("FFF8"), {}, std::nullopt).getCommonName(), "\uFFFD");
  EXPECT_FALSE(entries(hex("FFF1"), {}, std::nullopt).getExternalCharInCommonName(-1));
  // The entries file: a name without 214E keeps itself, no previous name; 1C to 1F absent: no conditions.
  Bytes file;
  for (int tag = 0x11; tag <= 0x21; ++tag) {
    if (tag >= 0x1C && tag <= 0x1F) continue;
    file.insert(file.end(), {std::uint8_t(tag), 0x02, 0x4C, 0x6E});
  }
  const auto parsed = LicenseEntries::fromFile(file, LicenseExternalCharacters(false, {}));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->getCommonName(), "野");
  EXPECT_FALSE(parsed->isIncludePreviousName() || parsed->getConditions() || parsed->getCategories());
}

TEST(LicenseRecordsTest, HistoryEntriesAndLists) {
  // The parts of an entry and the latest one are compared end to end. One too short for its fixed
  // parts is none; a list skips empty elements, and one with none left is none.
  const Utility u;
  EXPECT_FALSE(u.createChangedEntry(seq(24, 0x21)));
  const auto list = u.createChangedEntryList(std::vector<Bytes>{{}, seq(30, 0x21), seq(26, 0x30)});
  EXPECT_EQ(list ? list->size() : 0u, 2u);
  EXPECT_FALSE(u.createChangedEntryList(std::vector<Bytes>{{}}));
  const LicenseChangedEntries history(true, std::vector<Bytes>{}, std::nullopt, std::nullopt, std::vector<Bytes>{Bytes{}, seq(12, 0x21)},
                                      std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                      std::nullopt, std::nullopt);
  EXPECT_EQ(history.getChangeDates(), std::vector<std::string>{});
  EXPECT_FALSE(history.getChangeDateLatest());
  EXPECT_FALSE(history.getCommonNames() || history.isIncludePreviousNames() || history.getExternalCharInAddress(0, 0));
  EXPECT_EQ(history.getAddresses(), (std::vector<std::string>{"", ""}));  // an empty and a short element
  EXPECT_FALSE(history.indexesOfExternalCharInAddress(1) || history.indexesOfExternalCharInAddress(9));
}

}  // namespace
}  // namespace ekyc::test
