// The partial SHA-256 against OpenSSL, and the licence signature source and offset (the parity hash
// is recomputed end to end in DriverLicenseInfoReaderTest).
#include <gtest/gtest.h>

#include "DriverLicense/OpensslState.hpp"
#include "Platform/Digest.hpp"
#include "Sign/SHA256WIP.hpp"
#include "Sign/Signature.hpp"
#include "Support/Hex.hpp"
#include "Utility/Utility.hpp"

namespace ekyc::test {
namespace {

Bytes pattern(std::size_t n, int seed = 1) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(i * 131 + seed * 17);
  return out;
}


TEST(SHA256WIPTest, EqualsSHA256OfEveryLengthUpTo200AndAtTheBlockEdges) {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 200; ++n) lengths.push_back(n);
  for (const std::size_t n : {247u, 248u, 255u, 256u, 1015u, 1016u, 1023u, 1024u, 1025u, 2967u}) lengths.push_back(n);
  for (const std::size_t n : lengths) {
    const Bytes message = pattern(n);
    const std::int64_t blocks = static_cast<std::int64_t>((n + 9 + 63) / 64);
    EXPECT_EQ(SHA256WIP(message, blocks).calculate32(), Digest::sha256(message)) << n;
    EXPECT_EQ(SHA256WIP(message, 1000).calculate32(), Digest::sha256(message)) << n;
    if (blocks > 1) {  // one block short: not the digest, but OpenSSL's state after those blocks when all data
      const Bytes partial = SHA256WIP(message, blocks - 1).calculate32();
      EXPECT_NE(partial, Digest::sha256(message)) << n;
      if (64 * static_cast<std::size_t>(blocks - 1) <= n) {
        EXPECT_EQ(partial, opensslState(message, blocks - 1)) << n;
      }
    }
    if (n >= 1024) {  // the licence's 16 blocks: the state after the first 1024 bytes, whatever follows them
      EXPECT_EQ(SHA256WIP(message, 16).calculate32(), opensslState(message, 16)) << n;
    }
  }
}

TEST(SHA256WIPTest, KnownAnswers) {
  const std::string h0 = "6A09E667BB67AE853C6EF372A54FF53A510E527F9B05688C1F83D9AB5BE0CD19";
  EXPECT_EQ(toHex(SHA256WIP({}, 0).calculate32()), h0);
  EXPECT_EQ(toHex(SHA256WIP(pattern(100), -3).calculate32()), h0);
}

// The block walk as a value over a temporary collection: 130 bytes give 64, 64 and 2, then nothing.
TEST(SHA256WIPTest, BytesSequenceOfATemporary) {
  const Bytes whole = pattern(130);
  auto blocks = BytesSequence<Bytes>(64, pattern(130)).makeIterator();
  for (const std::size_t at : {0, 64, 128}) {
    const auto block = blocks.next();
    ASSERT_TRUE(block) << at;
    EXPECT_EQ(Bytes(block->begin(), block->end()), Bytes(whole.begin() + at, whole.begin() + std::min<std::size_t>(at + 64, 130)));
  }
  EXPECT_FALSE(blocks.next());
}

TEST(LicenceSignatureSourceTest, OffsetAndSource) {
  const Signature s;
  struct Offset { std::int64_t overall, required, expected; };
  for (const auto& c : std::vector<Offset>{{2967, 962, 62}, {961, 962, 0}, {1024, 1024, 0}, {200, 65, 63}, {10, 0, 0}, {35, 15, 49}}) {
    EXPECT_EQ(s.calcOffset(c.overall, c.required), c.expected) << c.overall << "/" << c.required;
  }
  const Bytes entries = pattern(900, 1), domicile = pattern(82, 2), photo = pattern(2005, 3);
  const auto source = s.createVerifyDriverLicenseSrc(entries, domicile, photo);
  ASSERT_TRUE(source);
  Bytes expected(entries.begin(), entries.begin() + 880);  // only the first 880 entry bytes
  expected.insert(expected.end(), domicile.begin(), domicile.end());
  expected.insert(expected.end(), photo.begin(), photo.end());
  EXPECT_EQ(*source, expected);
  // A file shorter than its part of the source gives no source, never a read past its end.
  EXPECT_FALSE(s.createVerifyDriverLicenseSrc(pattern(879), domicile, photo));
  EXPECT_FALSE(s.createVerifyDriverLicenseSrc(entries, pattern(81), photo));
  EXPECT_FALSE(s.createVerifyDriverLicenseSrc(entries, domicile, pattern(2004)));
}

}  // namespace
}  // namespace ekyc::test
