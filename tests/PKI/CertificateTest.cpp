// The subjectAltName item search: the six identifiers, short and long lengths, and data that is
// misaligned, truncated or runs past the end (never read past the end; the sanitizer run checks).
#include <gtest/gtest.h>

#include <openssl/objects.h>

#include "JpkiTestSupport.hpp"
#include "PKI/Certificate.hpp"

namespace ekyc {
namespace {

const Bytes GENDER_OID = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x03};

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// 06 0A <gender oid> A0 len 13 len value
Bytes genderEntry(const std::string& value) {
  const Bytes v = toBytes(value);
  return Bytes{0x06, 0x0A} + GENDER_OID + Bytes{0xA0, static_cast<std::uint8_t>(v.size() + 2), 0x13,
                                                static_cast<std::uint8_t>(v.size())} + v;
}

std::optional<std::string> gender(const Bytes& data) {
  auto value = Certificate().getSubjectAltNameCont(data, Certificate().OID_GENDER);
  if (!value) return std::nullopt;
  return std::string(value->begin(), value->end());
}

TEST(Certificate, ReadsTwoByteLongFormLengths) {
  auto options = VirtualJpkiContents::Options{};
  std::string address;
  while (address.size() < 300) address += "長";
  options.holder.address = address;
  const auto contents = VirtualJpkiContents::make(test::jpkiKeys(), options);
  const auto value = Certificate().getSubjectAltNameCont(contents.signingCertificateFile, Certificate().OID_ADDRESS);
  ASSERT_TRUE(value);
  EXPECT_EQ(std::string(value->begin(), value->end()), address);
}

TEST(Certificate, AbsentItemAndUnusableIdentifier) {
  const auto& contents = test::jpkiContents();
  EXPECT_FALSE(Certificate().getSubjectAltNameCont(contents.signingCertificateFile, "2A83088C9B5508050507"));
  EXPECT_FALSE(Certificate().getSubjectAltNameCont(contents.signingCertificateFile, ""));
  EXPECT_FALSE(Certificate().getSubjectAltNameCont(contents.signingCertificateFile, "2A8"));
}

TEST(Certificate, SearchIsByteAligned) {
  // The identifier's hex text occurs at an odd nibble offset: 12 A8 30 88 C9 B5 50 80 50 50 3? ...
  const Bytes misaligned = {0x04, 0x0C, 0x12, 0xA8, 0x30, 0x88, 0xC9, 0xB5, 0x50, 0x80, 0x50, 0x50, 0x3A, 0x04};
  EXPECT_FALSE(gender(misaligned + Bytes{0x13, 0x02, 0x39, 0x39}));
  EXPECT_EQ(gender(misaligned + genderEntry("2")), "2");
}

TEST(Certificate, TakesOnlyAnIdentifierThatIsAnOtherNameEntry) {
  // The identifier's bytes inside an octet string, then the real entry.
  const Bytes stray = Bytes{0x04, 0x0E} + GENDER_OID + Bytes{0xA0, 0x02, 0x13, 0x01};
  EXPECT_EQ(gender(stray + genderEntry("1")), "1");
  // Not followed by the context tag A0.
  EXPECT_FALSE(gender(Bytes{0x06, 0x0A} + GENDER_OID + Bytes{0xA1, 0x03, 0x13, 0x01, 0x31}));
  // A constructed inner value is not a string.
  EXPECT_FALSE(gender(Bytes{0x06, 0x0A} + GENDER_OID + Bytes{0xA0, 0x03, 0x30, 0x01, 0x31}));
}

TEST(Certificate, NeverReadsPastTheEnd) {
  const Bytes head = Bytes{0x06, 0x0A} + GENDER_OID;
  const Bytes cases[] = {
      head,                                                   // identifier at the very end
      head + Bytes{0xA0},                                     // no outer length
      head + Bytes{0xA0, 0x82, 0x01},                         // long-form length cut short
      head + Bytes{0xA0, 0x03, 0x13, 0x01},                   // outer length past the end
      head + Bytes{0xA0, 0x81, 0xFF, 0x13, 0x01, 0x31},       // long-form outer length past the end
      head + Bytes{0xA0, 0x02, 0x13, 0x05, 0x31},             // inner length past the outer element
      head + Bytes{0xA0, 0x03, 0x13, 0x02, 0x31, 0x31},       // inner length past the outer element
      head + Bytes{0xA0, 0x01, 0x13},                         // no inner length
      head + Bytes{0xA0, 0x80, 0x13, 0x01, 0x31, 0x00, 0x00}, // indefinite length
      head + Bytes{0xA0, 0x85, 0x00, 0x00, 0x00, 0x00, 0x03}, // more length octets than supported
      head + Bytes{0xA0, 0x02, 0x13, 0x81, 0x01, 0x31},       // inner length octets past the outer element
  };
  for (const auto& data : cases) {
    // Exactly sized copy, so the sanitizer sees any read past the end.
    const Bytes exact(data.begin(), data.end());
    EXPECT_FALSE(gender(exact)) << "case of " << exact.size() << " bytes";
  }
  // A one-byte value with long-form lengths is fine.
  EXPECT_EQ(gender(head + Bytes{0xA0, 0x81, 0x04, 0x13, 0x81, 0x01, 0x33}), "3");
  // An empty value is present and empty.
  EXPECT_EQ(gender(head + Bytes{0xA0, 0x02, 0x13, 0x00}), "");
}

TEST(Certificate, FillAfterTheCertificateIsNotSearched) {
  // A DER element that fits, followed by an entry in what would be the file's fill.
  const Bytes element = {0x30, 0x03, 0x02, 0x01, 0x05};
  EXPECT_FALSE(gender(element + genderEntry("2")));
  // A leading element whose length runs past the data: the whole data is searched.
  EXPECT_EQ(gender(Bytes{0x30, 0x82, 0x7F, 0xFF} + genderEntry("2")), "2");
}

}  // namespace
}  // namespace ekyc
