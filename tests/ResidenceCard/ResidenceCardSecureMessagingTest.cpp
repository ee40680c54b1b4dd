// The residence card's secure messaging against independently computed vectors, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/FixedRandomSource.hpp"
#include "Platform/RandomSource.hpp"
#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"
#include "Support/Hex.hpp"
#include "Utility/Crypt.hpp"

namespace ekyc::test {
namespace {

const std::string NUMBER = "AB12345678CD";
const Bytes RND_ICC = hex("1011121314151617");
const Bytes CARD_ANSWER = hex(
    "A93E35C2B21BC7C257A54AC2B92A48A97309C1F378875ADD6EA408DBEADEA3BE"
    "83506B766E9352C4");

// rndIfd then kIfd, as the terminal draws them.
FixedRandomSource vectorRandom() { return FixedRandomSource(hex("0001020304050607 202122232425262728292A2B2C2D2E2F")); }

struct Authenticated {
  ResidenceCardSecureMessaging sm;
  std::optional<NFCISO7816APDU> mutual;
  bool accepted = false;
  explicit Authenticated(const Bytes& answer = CARD_ANSWER) {
    auto random = vectorRandom();
    mutual = sm.mutualAuthenticate(NUMBER, RND_ICC, random);
    accepted = sm.acceptCardAuthentication(answer);
  }
};

TEST(ResidenceCardSecureMessagingTest, MatchesTheVectors) {
  Authenticated a;
  ASSERT_TRUE(a.mutual.has_value());
  EXPECT_EQ(a.sm.kEnc(), hex("6C073AFC65039738D0A658F40FC1D82B"));
  EXPECT_EQ(a.mutual->encoded(), hex("0082000028 C205C329E57E8931482BA0C77AA72133F46F47DF3F440779AA546D568BB2919B"
                                     "A7151B7BDC4448F8 00"));
  ASSERT_TRUE(a.accepted);
  EXPECT_EQ(a.sm.kIcc(), hex("404142434445464748494A4B4C4D4E4F"));
  EXPECT_EQ(a.sm.kSenc(), hex("5C5CDB6A2E15820B39971CA37F39478F"));
  const auto verify = a.sm.verify(NUMBER);
  ASSERT_TRUE(verify.has_value());
  EXPECT_EQ(verify->encoded(), hex("082000861386110117376EED7CCACF35325E49082DD4877D"));
  EXPECT_EQ(ResidenceCardSecureMessaging::read(0x85).encoded(), hex("08B0850000000496020000 0000"));
}

// Refusals the virtual card cannot play (a 7-byte challenge, a wrong MAC, a replayed or short
// answer are played end to end): a long challenge, a failing random source, no challenge at all,
// any one byte of the card's answer changed.
TEST(ResidenceCardSecureMessagingTest, BuildsNothingItCannotBuild) {
  ResidenceCardSecureMessaging sm;
  auto random = vectorRandom();
  EXPECT_FALSE(sm.mutualAuthenticate(NUMBER, hex("101112131415161718"), random).has_value());
  FixedRandomSource failing({});
  failing.setFailing(true);
  EXPECT_FALSE(sm.mutualAuthenticate(NUMBER, RND_ICC, failing).has_value());
  EXPECT_FALSE(sm.acceptCardAuthentication(CARD_ANSWER)) << "no challenge pending";
  EXPECT_FALSE(sm.verify(NUMBER).has_value());
  // Every byte of the card's answer counts, the MAC's last as much as its first.
  for (std::size_t i = 0; i < CARD_ANSWER.size(); ++i) {
    Bytes answer = CARD_ANSWER;
    answer[i] ^= 0x01;
    EXPECT_FALSE(Authenticated(answer).accepted) << i;
  }
  // Two sessions on the same challenge draw their own randoms: different cryptograms.
  ResidenceCardSecureMessaging first, second;
  const auto a = first.mutualAuthenticate(NUMBER, RND_ICC, *RandomSource::system());
  const auto b = second.mutualAuthenticate(NUMBER, RND_ICC, *RandomSource::system());
  ASSERT_TRUE(a && b);
  EXPECT_NE(first.eIfd(), second.eIfd());
}

Bytes wrap(const Bytes& kSenc, const Bytes& file, std::size_t extraPadding = 0) {
  const Crypt crypt;
  Bytes plain = crypt.padding7816_4(file, 0, file.size());
  plain.insert(plain.end(), extraPadding, 0x00);
  const Bytes cipher = crypt.TDES(kSenc, plain, Bytes(8, 0), crypt.ENCRYPT);
  const std::size_t length = cipher.size() + 1;
  Bytes out = cipher;
  out.insert(out.begin(), {0x86, 0x82, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF), 0x01});
  return out;
}

// The head and the padding of a protected answer are not examined: the file is the first bytes
// of what decrypts, whatever comes before and after them. Only an answer too short for the file,
// one that is not whole cipher blocks, or one before authentication gives nothing.
TEST(ResidenceCardSecureMessagingTest, UnwrapsWhatItCanDecrypt) {
  Authenticated a;
  ASSERT_TRUE(a.accepted);
  const Bytes file = hex("D1820004 00000000");
  const std::size_t length = file.size();
  const Bytes good = wrap(a.sm.kSenc(), file);

  const auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes b = good;
    b[at] = value;
    return b;
  };
  Bytes unpadded = good;  // the padding block decrypts to something that is no 7816 padding
  unpadded[unpadded.size() - 1] ^= 0x55;
  Bytes zeroHead = good;
  std::fill(zeroHead.begin(), zeroHead.begin() + 5, 0x00);
  const Bytes taken[] = {
      good, changed(0, 0x87), changed(1, 0x81), changed(3, 0x20), changed(4, 0x02), zeroHead, unpadded,
      wrap(a.sm.kSenc(), file, 8),                  // 80 and fifteen 00: padding longer than a block
      Bytes(good.begin(), good.end() - 8),          // no padding at all
  };
  for (std::size_t i = 0; i < std::size(taken); ++i) EXPECT_EQ(a.sm.unwrap(taken[i], length), file) << i;
  Bytes extra = good;
  extra.push_back(0x99);
  const Bytes refused[] = {{}, Bytes(good.begin(), good.begin() + 5), Bytes(good.begin(), good.begin() + 12), extra};
  for (std::size_t i = 0; i < std::size(refused); ++i) EXPECT_FALSE(a.sm.unwrap(refused[i], length).has_value()) << i;
  EXPECT_FALSE(a.sm.unwrap(good, length + 9).has_value()) << "a file longer than the answer";
  ResidenceCardSecureMessaging fresh;
  EXPECT_FALSE(fresh.unwrap(good, length).has_value()) << "before authentication";
}

}  // namespace
}  // namespace ekyc::test
