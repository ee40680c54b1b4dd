// The virtual card-surface and input-support files: layout, sizes, and integrity data that holds
// when checked independently of the builder (own TLV walk, OpenSSL verification).
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <map>
#include <string>

#include "Platform/VirtualCard/CardSurfaceFiles.hpp"

namespace ekyc {
namespace {

struct Element {
  Bytes tag;
  Bytes whole;  // tag, length octets, value
  Bytes value;
};

// Reads one element at `pos` (tags of one or two bytes, definite lengths up to 82).
bool readElement(const Bytes& data, std::size_t& pos, Element& out) {
  if (pos >= data.size()) return false;
  const std::size_t start = pos;
  std::size_t p = pos;
  out.tag = {data[p]};
  if ((data[p++] & 0x1F) == 0x1F) {
    if (p >= data.size()) return false;
    out.tag.push_back(data[p++]);
  }
  if (p >= data.size()) return false;
  std::size_t length = data[p++];
  if (length == 0x81 || length == 0x82) {
    const std::size_t count = length - 0x80;
    length = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (p >= data.size()) return false;
      length = (length << 8) | data[p++];
    }
  }
  if (p + length > data.size()) return false;
  out.value.assign(data.begin() + static_cast<long>(p), data.begin() + static_cast<long>(p + length));
  out.whole.assign(data.begin() + static_cast<long>(start), data.begin() + static_cast<long>(p + length));
  pos = p + length;
  return true;
}

// The elements inside a constructed value, stopping at FF FF fill or the end.
std::vector<Element> children(const Bytes& value) {
  std::vector<Element> out;
  std::size_t pos = 0;
  Element e;
  while (pos + 1 < value.size() && !(value[pos] == 0xFF && value[pos + 1] == 0xFF) && readElement(value, pos, e)) {
    out.push_back(e);
  }
  return out;
}

std::map<Bytes, Element> byTag(const std::vector<Element>& elements) {
  std::map<Bytes, Element> out;
  for (const auto& e : elements) out[e.tag] = e;
  return out;
}

Element outer(const Bytes& file) {
  Element e;
  std::size_t pos = 0;
  EXPECT_TRUE(readElement(file, pos, e));
  return e;
}

Bytes sha256(const Bytes& data) {
  Bytes d(32);
  unsigned int n = 0;
  EVP_Digest(data.data(), data.size(), d.data(), &n, EVP_sha256(), nullptr);
  return d;
}

bool verifies(const CardSurfaceKeys::Key& key, const Bytes& digest, const Bytes& signature) {
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key.get(), nullptr);
  const bool ok = EVP_PKEY_verify_init(ctx) == 1 && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) == 1 &&
                  EVP_PKEY_CTX_set_signature_md(ctx, EVP_sha256()) == 1 &&
                  EVP_PKEY_verify(ctx, signature.data(), signature.size(), digest.data(), digest.size()) == 1;
  EVP_PKEY_CTX_free(ctx);
  return ok;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes T(std::initializer_list<std::uint8_t> b) { return Bytes(b); }

class CardSurfaceFilesTest : public ::testing::Test {
 protected:
  const CardSurfaceKeys& keys = CardSurfaceKeys::shared();
  CardSurfaceHolder holder = CardSurfaceHolder::sample();
  CardSurfaceFiles files = CardSurfaceFiles::build(holder, keys);
};

TEST_F(CardSurfaceFilesTest, FilesHaveTheLengthsTheReadersAskFor) {
  EXPECT_EQ(files.csEf0002.size(), 5498u);
  EXPECT_EQ(files.csEf0004.size(), 568u);
  EXPECT_EQ(files.csEf0005.size(), 1664u);
  EXPECT_EQ(files.supEf0001.size(), 17u);
  EXPECT_EQ(files.supEf0002.size(), 1024u);
  EXPECT_EQ(files.supEf0003.size(), 336u);
  EXPECT_EQ(files.supEf0004.size(), 568u);
  // The certificate records and the hash file fill their files exactly, without fill.
  EXPECT_EQ(outer(files.csEf0004).whole.size(), 568u);
  EXPECT_EQ(outer(files.supEf0004).whole.size(), 568u);
  EXPECT_EQ(outer(files.supEf0003).whole.size(), 336u);
}

TEST_F(CardSurfaceFilesTest, NumberFileIsTheElementAndTwoFillBytes) {
  Bytes expected{0xFF, 0x10, 0x0C};
  expected.insert(expected.end(), holder.myNumber.begin(), holder.myNumber.end());
  expected.push_back(0xFF);
  expected.push_back(0xFF);
  EXPECT_EQ(files.supEf0001, expected);
}

TEST_F(CardSurfaceFilesTest, CardSurfaceFileHoldsTheTenElementsWithLongFormLengths) {
  const Element ff20 = outer(files.csEf0002);
  EXPECT_EQ(ff20.tag, T({0xFF, 0x20}));
  const auto elements = children(ff20.value);
  ASSERT_EQ(elements.size(), 10u);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    EXPECT_EQ(elements[i].tag, T({0xDF, static_cast<std::uint8_t>(i < 9 ? 0x21 + i : 0x2A)}));
  }
  const auto e = byTag(elements);
  EXPECT_EQ(e.at(T({0xDF, 0x25})).whole[2], 0x82);  // name image
  EXPECT_EQ(e.at(T({0xDF, 0x27})).whole[2], 0x82);  // photo
  EXPECT_EQ(e.at(T({0xDF, 0x2A})).whole[2], 0x81);  // security-code image
  EXPECT_EQ(e.at(T({0xDF, 0x28})).value.size(), 256u);
  // Everything after the element is fill.
  for (std::size_t i = ff20.whole.size(); i < files.csEf0002.size(); ++i) ASSERT_EQ(files.csEf0002[i], 0xFF);
}

TEST_F(CardSurfaceFilesTest, CardSurfaceSignatureCoversTheThreeDigestsOfWholeElements) {
  const auto e = byTag(children(outer(files.csEf0002).value));
  auto whole = [&](std::uint8_t t) { return e.at(T({0xDF, t})).whole; };
  const Bytes source = cat({sha256(cat({whole(0x22), whole(0x23), whole(0x24)})),
                            sha256(cat({whole(0x25), whole(0x26)})), sha256(whole(0x27))});
  ASSERT_EQ(source.size(), 96u);
  EXPECT_TRUE(verifies(keys.cardSurface, sha256(source), e.at(T({0xDF, 0x28})).value));
  // Digests over values only (without tags and lengths) do not verify.
  auto value = [&](std::uint8_t t) { return e.at(T({0xDF, t})).value; };
  const Bytes wrong = cat({sha256(cat({value(0x22), value(0x23), value(0x24)})),
                           sha256(cat({value(0x25), value(0x26)})), sha256(value(0x27))});
  EXPECT_FALSE(verifies(keys.cardSurface, sha256(wrong), e.at(T({0xDF, 0x28})).value));
}

TEST_F(CardSurfaceFilesTest, NumberImageSignatureCoversImageAndKeyElements) {
  const Element ff40 = outer(files.csEf0005);
  EXPECT_EQ(ff40.tag, T({0xFF, 0x40}));
  const auto elements = children(ff40.value);
  ASSERT_EQ(elements.size(), 3u);
  const auto e = byTag(elements);
  EXPECT_EQ(e.at(T({0xDF, 0x41})).whole[2], 0x82);
  const Bytes source = cat({e.at(T({0xDF, 0x41})).whole, e.at(T({0xDF, 0x42})).whole});
  EXPECT_TRUE(verifies(keys.cardSurface, sha256(source), e.at(T({0xDF, 0x43})).value));
  EXPECT_FALSE(verifies(keys.inputSupport, sha256(source), e.at(T({0xDF, 0x43})).value));
}

TEST_F(CardSurfaceFilesTest, InputSupportHashesAndSignatureAreConsistent) {
  const auto items = byTag(children(outer(files.supEf0002).value));
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items.at(T({0xDF, 0x23})).whole[2], 0x81);  // the address takes a long-form length
  const Bytes basic = cat({items.at(T({0xDF, 0x22})).whole, items.at(T({0xDF, 0x23})).whole,
                           items.at(T({0xDF, 0x24})).whole, items.at(T({0xDF, 0x25})).whole});
  const auto hashes = children(outer(files.supEf0003).value);
  ASSERT_EQ(hashes.size(), 3u);
  EXPECT_EQ(hashes[0].value, sha256(files.supEf0001));  // all 17 bytes, fill included
  EXPECT_EQ(hashes[1].value, sha256(basic));
  const Bytes body = cat({hashes[0].whole, hashes[1].whole});
  ASSERT_EQ(body.size(), 70u);
  EXPECT_TRUE(verifies(keys.inputSupport, sha256(body), hashes[2].value));
}

TEST_F(CardSurfaceFilesTest, CertificateRecordsCarryTheApplicationKeySignedByTheIssuer) {
  for (const auto& [file, key] : {std::pair{files.csEf0004, keys.cardSurface}, {files.supEf0004, keys.inputSupport}}) {
    const Element record = outer(file);
    EXPECT_EQ(record.tag, T({0x7F, 0x21}));
    const auto parts = children(record.value);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].tag, T({0x5F, 0x4E}));
    EXPECT_EQ(parts[1].tag, T({0x5F, 0x37}));
    EXPECT_TRUE(verifies(keys.issuer, sha256(parts[0].whole), parts[1].value));
    const auto body = byTag(children(parts[0].value));
    const auto publicKey = byTag(children(body.at(T({0x7F, 0x49})).value));
    EXPECT_EQ(publicKey.at(T({0x81})).value, CardSurfaceKeys::modulus(key));
    EXPECT_EQ(publicKey.at(T({0x82})).value, (Bytes{0x01, 0x00, 0x01}));
  }
}

TEST(CardSurfaceHolderTest, SampleWithPreviousNameDiffersOnlyInTheName) {
  const auto plain = CardSurfaceHolder::sample();
  const auto previous = CardSurfaceHolder::sampleWithPreviousName();
  EXPECT_NE(previous.name.find("［"), std::string::npos);
  EXPECT_NE(previous.name.find("］"), std::string::npos);
  EXPECT_EQ(plain.name.find("［"), std::string::npos);
  EXPECT_EQ(plain.myNumber, previous.myNumber);
  EXPECT_EQ(plain.myNumberPin.size(), 12u);
  EXPECT_EQ(plain.cardPrintInfoPin.size(), 14u);
  EXPECT_EQ(plain.promptedPiiPin.size(), 4u);
}

TEST(CardSurfaceFilesTlvTest, LengthFormsFollowTheValueSize) {
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x7F, 0)).size(), 2u + 1u + 0x7Fu);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x80, 0))[2], 0x81);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x100, 0))[2], 0x82);
  EXPECT_EQ(CardSurfaceFiles::tlv({0xDF, 0x22}, Bytes(0x100, 0))[3], 0x01);
}

}  // namespace
}  // namespace ekyc
