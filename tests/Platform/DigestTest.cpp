// FIPS 180-4 known answers (the examples of NIST's Cryptographic Standards and Guidelines).
#include <gtest/gtest.h>

#include "Platform/Digest.hpp"
#include "Support/Hex.hpp"

using namespace ekyc;
using ekyc::test::hex;

namespace {

const Bytes kAbc = toBytes("abc");
const Bytes kTwoBlock448 = toBytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq");
const Bytes kTwoBlock896 = toBytes(
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
    "nopqrstu");

}  // namespace

TEST(Digest, Sha1KnownAnswers) {
  EXPECT_EQ(Digest::sha1(kAbc), hex("a9993e364706816aba3e25717850c26c9cd0d89d"));
  EXPECT_EQ(Digest::sha1(kTwoBlock448), hex("84983e441c3bd26ebaae4aa1f95129e5e54670f1"));
  EXPECT_EQ(Digest::sha1(Bytes(1000000, 'a')), hex("34aa973cd4c4daa4f61eeb2bdbad27316534016f"));
}

TEST(Digest, Sha256KnownAnswers) {
  EXPECT_EQ(Digest::sha256(Bytes{}), hex("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
  EXPECT_EQ(Digest::sha256(kAbc), hex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
  EXPECT_EQ(Digest::sha256(kTwoBlock448), hex("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"));
  EXPECT_EQ(Digest::sha256(Bytes(1000000, 'a')),
            hex("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"));
}

TEST(Digest, Sha384AndSha512KnownAnswers) {
  EXPECT_EQ(Digest::sha384(kAbc), hex("cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
                                      "8086072ba1e7cc2358baeca134c825a7"));
  EXPECT_EQ(Digest::sha384(kTwoBlock896), hex("09330c33f71147e83d192fc782cd1b4753111b173b3b05d22fa08086e3b0f712"
                                              "fcc7c71a557e2db966c3e9fa91746039"));
  EXPECT_EQ(Digest::sha512(kAbc), hex("ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                                      "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"));
  EXPECT_EQ(Digest::sha512(kTwoBlock896), hex("8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
                                              "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909"));
}
