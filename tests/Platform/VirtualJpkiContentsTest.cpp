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

}  // namespace
}  // namespace ekyc
