#include <gtest/gtest.h>
#include "Support/Tlv.hpp"
#include "TLV/Ber.hpp"

using namespace ekyc;
using namespace ekyc::test;

namespace {

const std::vector<std::string> kCardPrintInfo = {"FF20", "DF21", "DF22", "DF23", "DF24", "DF25",
                                                 "DF26", "DF27", "DF28", "DF29", "DF2A"};

struct CardSurface {
  Bytes file;
  std::vector<Bytes> items;  // values of DF21..DF2A in order
  Bytes element;             // the FF20 element alone
};

// A card-surface file as the card holds it: FF20 with a two-byte long-form length around DF21..DF2A
// (a large photo among them), then FF filler up to the 5498 bytes that one READ BINARY returns.
CardSurface cardSurface() {
  CardSurface cs;
  const std::size_t sizes[] = {11, 9, 1, 48, 700, 1200, 2900, 256, 8, 40};
  Bytes inner;
  for (std::size_t i = 0; i < 10; ++i) {
    cs.items.push_back(pattern(sizes[i], static_cast<std::uint8_t>(i * 31)));
    const char tag[] = {'D', 'F', '2', "123456789A"[i], 0};
    const Bytes element = tlv(tag, cs.items.back());
    inner.insert(inner.end(), element.begin(), element.end());
  }
  cs.element = tlv("FF20", inner);
  cs.file = padTo(cs.element, 5498, 0xFF);
  return cs;
}

}  // namespace

TEST(Ber, CardSurfaceFileEnteredWithSkip) {
  const auto cs = cardSurface();
  const auto dic = Ber().parse(cs.file, kCardPrintInfo, true);
  ASSERT_EQ(dic.size(), 10u);
  EXPECT_EQ(dic.count("FF20"), 0u);
  EXPECT_EQ(dic.at("DF23"), cs.items[2]);
  EXPECT_EQ(dic.at("DF27"), cs.items[6]);  // 82 0B 54
  EXPECT_EQ(dic.at("DF2A"), cs.items[9]);
  // Without the skip the first element is stored whole under its own tag; parseToTLV stores it with
  // its tag and length, byte for byte.
  const auto outer = Ber().parse(cs.file, kCardPrintInfo, false);
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_EQ(outer.at("FF20"), Bytes(cs.element.begin() + 5, cs.element.end()));
  EXPECT_EQ(Ber().parseToTLV(cs.file, kCardPrintInfo, false).at("FF20"), cs.element);
  EXPECT_EQ(Ber().parseToTLV(cs.file, kCardPrintInfo, true).at("DF27"), concat({hex("DF27 82 0B54"), cs.items[6]}));
}

TEST(Ber, WalkEndsAtFillerUnlistedTagAndIndefiniteLength) {
  const std::vector<std::string> list = {"DF31", "DF32", "DF33"};
  const Bytes a = tlv("DF31", hex("0102"));
  const Bytes b = tlv("DF32", hex("0304"));
  // Filler FF FF between elements ends the walk.
  EXPECT_EQ(Ber().parse(concat({a, hex("FFFF"), b}), list, false).size(), 1u);
  // An unlisted tag ends it, even when listed tags follow.
  EXPECT_EQ(Ber().parse(concat({a, tlv("DF40", hex("00")), b}), list, false).size(), 1u);
  // So does a length byte 80.
  EXPECT_EQ(Ber().parse(concat({a, hex("DF32 80 0304 0000"), b}), list, false).size(), 1u);
  // A padding byte 80 after a decrypted element is a tag that is not listed.
  EXPECT_EQ(Ber().parse(concat({tlv("D0", pattern(20, 0)), hex("80 000000")}), {"D0"}, false).at("D0"), pattern(20, 0));
  // A repeated tag keeps its last value; nothing listed gives an empty dictionary.
  EXPECT_EQ(Ber().parse(concat({a, tlv("DF31", hex("09"))}), list, false).at("DF31"), hex("09"));
  EXPECT_TRUE(Ber().parse(hex("FFFF FFFF"), list, true).empty());
  // 1F stays a one-byte tag; 5F 4E is two.
  EXPECT_EQ(Ber().parse(hex("1F 01 AA 5F4E 01 BB"), {"1F", "5F4E"}, false).size(), 2u);
}

TEST(Ber, TruncatedAndAbsurdInputNeverReadsPastTheEnd) {
  const auto cs = cardSurface();
  const std::vector<std::string> list = {"DF31", "DF32"};
  // A short read cuts the photo: the items before it stay, the cut one and those after are missing.
  const std::size_t photoOffset = 5 + (3 + 11) + (3 + 9) + (3 + 1) + (3 + 48) + (5 + 700) + (5 + 1200);
  const Bytes shortRead(cs.file.begin(), cs.file.begin() + static_cast<std::ptrdiff_t>(photoOffset + 100));
  const auto dic = Ber().parse(shortRead, kCardPrintInfo, true);
  EXPECT_EQ(dic.size(), 6u);
  EXPECT_EQ(dic.count("DF27"), 0u);
  // Every prefix of the file is walked safely (the sanitizer build checks the reads).
  for (std::size_t n = 0; n < 3200; n += 37) {
    const Bytes prefix(cs.file.begin(), cs.file.begin() + static_cast<std::ptrdiff_t>(n));
    const auto part = Ber().parse(prefix, kCardPrintInfo, true);
    for (const auto& [tag, value] : part) EXPECT_LE(value.size(), n) << tag;
  }
  // Lengths past the end, with long forms of absurd size, and cut tags or lengths.
  const Bytes cases[] = {
      hex("DF31 05 0102"),             hex("DF31 82 FFFF 00"),        hex("DF31 84 FFFFFFFF 00"),
      hex("DF31 88 FFFFFFFFFFFFFFFF"), hex("DF31 8F 0000000000000000"), hex("DF31 FF 00"),
      hex("DF31 82 01"),               hex("DF"),                     hex("DF31"),
      hex("DF31 81"),
  };
  for (const auto& data : cases) {
    EXPECT_TRUE(Ber().parse(data, list, false).empty()) << toHex(data);
    EXPECT_FALSE(Ber().isWhole(data, false)) << toHex(data);
  }
  // Whole: any tags up to the end or the filler; an entered first element must not run past the data.
  EXPECT_TRUE(Ber().isWhole(hex("DF40 01 00 DF31 00 FFFF 05"), false));
  EXPECT_FALSE(Ber().isWhole(hex("FF30 05 DF31 01 01"), true));
  EXPECT_FALSE(Ber().isWhole(hex("FF30 05 DF31 04 01 FFFF"), true));
  // A long form with leading zero octets is still a definite length.
  EXPECT_EQ(Ber().parse(hex("DF31 83 000002 AABB"), list, false).at("DF31"), hex("AABB"));
  // The first element's own length running past the data: its contents are walked as far as they go.
  EXPECT_EQ(Ber().parse(concat({hex("FF30 82 0100"), tlv("DF31", hex("01"))}), {"FF30", "DF31"}, true).at("DF31"),
            hex("01"));
  EXPECT_TRUE(Ber().parse(hex("FF30 80 DF31 01 01"), {"FF30", "DF31"}, true).empty());
}

TEST(Ber, EnteredElementBoundsTheWalk) {
  // Bytes after the constructed element are not its contents.
  const Bytes file = concat({tlv("FF30", tlv("DF31", hex("01"))), tlv("DF32", hex("02"))});
  const auto dic = Ber().parse(file, {"FF30", "DF31", "DF32"}, true);
  EXPECT_EQ(dic.size(), 1u);
  EXPECT_EQ(dic.at("DF31"), hex("01"));
}

TEST(Ber, DriverLicenceTagRule) {
  // Only 5F 40 forms a two-byte tag: 1F and DF are tags of one byte.
  std::vector<std::string> list;
  for (int t = 0x11; t <= 0x33; ++t) list.push_back(toHex({static_cast<std::uint8_t>(t)}));
  const Bytes file = padTo(concat({tlv("11", hex("01")), tlv("1F", hex("2422")), tlv("33", toBytes("2024"))}), 880, 0xFF);
  EXPECT_EQ(Ber().parseForDriverLicense(file, list, false).size(), 3u);
  EXPECT_EQ(Ber().parseForDriverLicense(tlv("5F40", pattern(200, 9)), {"5F40"}, false).at("5F40"), pattern(200, 9));
  // 5F followed by something else is the one-byte tag 5F.
  EXPECT_EQ(Ber().parseForDriverLicense(hex("5F 01 AA"), {"5F"}, false).at("5F"), hex("AA"));
}

TEST(Ber, MynaDriverLicenceTagRule) {
  std::vector<std::string> list;
  for (int t = 0xC2; t <= 0xFF; ++t) list.push_back(toHex({static_cast<std::uint8_t>(t)}));
  for (int t = 0x00; t <= 0x07; ++t) list.push_back(toHex({0x01, static_cast<std::uint8_t>(t)}));
  const Bytes entries = padTo(concat({tlv("C2", toBytes("2024")), tlv("DF", hex("3021")), tlv("0107", pattern(300, 4))}), 600, 0x00);
  const auto dic = Ber().parseForMynaDriverLicense(entries, list, false);
  ASSERT_EQ(dic.size(), 3u);
  EXPECT_EQ(dic.at("DF"), hex("3021"));  // DF is a one-byte tag here
  // 01 0E is the one-byte tag 01 (not listed): the walk ends.
  EXPECT_TRUE(Ber().parseForMynaDriverLicense(hex("01 0E 01 AA"), {"0108", "010E"}, false).empty());
  // FF is a listed tag here; FF FF (which would announce 127 length bytes) still ends the walk.
  EXPECT_EQ(Ber().parseForMynaDriverLicense(hex("FF 01 AA FF FF 00"), list, false).at("FF"), hex("AA"));
}
