// The virtual JPKI application's contents: certificates that OpenSSL reads back, a subjectAltName
// with the six items in the encodings the readers must cope with, and a card-side signature that
// verifies as PKCS #1 v1.5.
#include <gtest/gtest.h>

#include <algorithm>

#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "JpkiTestSupport.hpp"
#include "Platform/VirtualCard/VirtualJpkiContents.hpp"

namespace ekyc {
namespace {

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};

std::unique_ptr<X509, X509Free> parse(const Bytes& der) {
  const unsigned char* p = der.data();
  return std::unique_ptr<X509, X509Free>(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
}

// Position of needle in haystack, or npos.
std::size_t find(const Bytes& haystack, const Bytes& needle) {
  auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
  return it == haystack.end() ? std::string::npos : static_cast<std::size_t>(it - haystack.begin());
}

TEST(VirtualJpkiContents, CertificatesChainToTheVirtualCa) {
  const auto& c = test::jpkiContents();
  auto ca = parse(c.caCertificate);
  auto auth = parse(c.userAuthCertificate);
  auto sign = parse(c.signingCertificate);
  ASSERT_TRUE(ca && auth && sign);
  EVP_PKEY* caKey = X509_get0_pubkey(ca.get());
  EXPECT_EQ(X509_verify(auth.get(), caKey), 1);
  EXPECT_EQ(X509_verify(sign.get(), caKey), 1);
  EXPECT_EQ(EVP_PKEY_eq(X509_get0_pubkey(sign.get()), c.signingKey.get()), 1);
  EXPECT_EQ(EVP_PKEY_eq(X509_get0_pubkey(auth.get()), c.userAuthKey.get()), 1);
  EXPECT_EQ(EVP_PKEY_get_bits(c.signingKey.get()), 2048);
}

TEST(VirtualJpkiContents, CertificateFilesArePaddedAfterTheDerElement) {
  const auto& c = test::jpkiContents();
  ASSERT_EQ(c.signingCertificateFile.size(), VirtualJpkiContents::CERT_FILE_SIZE);
  ASSERT_LT(c.signingCertificate.size(), VirtualJpkiContents::CERT_FILE_SIZE);
  EXPECT_TRUE(std::equal(c.signingCertificate.begin(), c.signingCertificate.end(), c.signingCertificateFile.begin()));
  EXPECT_TRUE(std::all_of(c.signingCertificateFile.begin() + static_cast<long>(c.signingCertificate.size()),
                          c.signingCertificateFile.end(), [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(c.userAuthCertificateFile.size(), VirtualJpkiContents::CERT_FILE_SIZE);
}

TEST(VirtualJpkiContents, SubjectAltNameHoldsTheSixItemsAsOtherNames) {
  const auto& c = test::jpkiContents();
  auto sign = parse(c.signingCertificate);
  ASSERT_TRUE(sign);
  auto* names = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(sign.get(), NID_subject_alt_name, nullptr, nullptr));
  ASSERT_NE(names, nullptr);
  ASSERT_EQ(sk_GENERAL_NAME_num(names), 6);
  const auto& h = c.options.holder;
  const std::string expected[] = {*h.name, *h.nameSubChar, *h.gender, *h.dateOfBirth, *h.address, *h.addressSubChar};
  for (int i = 0; i < 6; ++i) {
    GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
    ASN1_OBJECT* oid = nullptr;
    ASN1_TYPE* value = nullptr;
    ASSERT_EQ(GENERAL_NAME_get0_otherName(name, &oid, &value), 1);
    char text[64];
    OBJ_obj2txt(text, sizeof text, oid, 1);
    EXPECT_EQ(std::string(text), "1.2.392.200149.8.5.5." + std::to_string(i + 1));
    const ASN1_STRING* s = value->value.asn1_string;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
                          static_cast<std::size_t>(ASN1_STRING_length(s))),
              expected[i]);
  }
  GENERAL_NAMES_free(names);
}

TEST(VirtualJpkiContents, SampleHolderUsesLongFormLengthsForTheAddress) {
  const auto& c = test::jpkiContents();
  const std::string& address = *c.options.holder.address;
  ASSERT_GT(address.size(), 127u);
  ASSERT_LT(address.size(), 256u);
  // OID of the address, then A0 81 len, 0C 81 len, value.
  Bytes pattern = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x05, 0xA0, 0x81,
                   static_cast<std::uint8_t>(address.size() + 3), 0x0C, 0x81, static_cast<std::uint8_t>(address.size())};
  Bytes withValue = pattern;
  withValue.insert(withValue.end(), address.begin(), address.end());
  EXPECT_NE(find(c.signingCertificate, withValue), std::string::npos);
  // The name stays short form: A0 len 0C len.
  const std::string& name = *c.options.holder.name;
  Bytes nameItem = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x01, 0xA0,
                    static_cast<std::uint8_t>(name.size() + 2), 0x0C, static_cast<std::uint8_t>(name.size())};
  nameItem.insert(nameItem.end(), name.begin(), name.end());
  EXPECT_NE(find(c.signingCertificate, nameItem), std::string::npos);
}

TEST(VirtualJpkiContents, MissingItemsAreLeftOutOfTheCertificate) {
  auto options = VirtualJpkiContents::Options{};
  options.holder.gender.reset();
  options.holder.addressSubChar.reset();
  const auto c = VirtualJpkiContents::make(test::jpkiKeys(), options);
  const Bytes gender = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x03};
  const Bytes positions = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x06};
  const Bytes address = {0x2A, 0x83, 0x08, 0x8C, 0x9B, 0x55, 0x08, 0x05, 0x05, 0x05};
  EXPECT_EQ(find(c.signingCertificate, gender), std::string::npos);
  EXPECT_EQ(find(c.signingCertificate, positions), std::string::npos);
  EXPECT_NE(find(c.signingCertificate, address), std::string::npos);
}

TEST(VirtualJpkiContents, CardSignatureIsPkcs1OverTheGivenDigestInfo) {
  const auto& c = test::jpkiContents();
  const Bytes data = toBytes("abc");
  Bytes digestInfo = {0x30, 0x31, 0x30, 0x0D, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01,
                      0x65, 0x03, 0x04, 0x02, 0x01, 0x05, 0x00, 0x04, 0x20};
  const Bytes digest = test::sha(data, "SHA256");
  digestInfo.insert(digestInfo.end(), digest.begin(), digest.end());
  const auto signature = VirtualJpkiContents::sign(c.signingKey.get(), digestInfo);
  ASSERT_TRUE(signature);
  EXPECT_EQ(signature->size(), 256u);
  EXPECT_TRUE(test::verifySignature(c.signingCertificate, "SHA256", data, *signature));
  EXPECT_FALSE(test::verifySignature(c.userAuthCertificate, "SHA256", data, *signature));
  // Longer than a 2048-bit key can carry with type-1 padding.
  EXPECT_FALSE(VirtualJpkiContents::sign(c.signingKey.get(), Bytes(246, 0x01)));
  EXPECT_TRUE(VirtualJpkiContents::sign(c.signingKey.get(), Bytes(245, 0x01)));
}

}  // namespace
}  // namespace ekyc
