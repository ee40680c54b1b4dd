// The stand-in's verifier helpers: base64, digests, JSON forms of the request members, BER-TLV and
// RSA PKCS#1 v1.5 verification with keys in each form a card carries.
#include <gtest/gtest.h>

#include <memory>

#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include "Support/Tlv.hpp"
#include "verification-server/RsaPublicKey.hpp"
#include "verification-server/VerifierKit.hpp"

using namespace ekyc;
using namespace ekyc::test;

namespace {

// One RSA-2048 key for the whole suite (generation is the slow part).
EVP_PKEY* signingKey() {
  static std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_RSA_gen(2048), EVP_PKEY_free);
  return key.get();
}

Bytes signDigest(const Bytes& digest) {
  std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new(signingKey(), nullptr),
                                                                   EVP_PKEY_CTX_free);
  EVP_PKEY_sign_init(ctx.get());
  EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING);
  EVP_PKEY_CTX_set_signature_md(ctx.get(), EVP_sha256());
  std::size_t length = 0;
  EVP_PKEY_sign(ctx.get(), nullptr, &length, digest.data(), digest.size());
  Bytes signature(length);
  EXPECT_EQ(EVP_PKEY_sign(ctx.get(), signature.data(), &length, digest.data(), digest.size()), 1);
  signature.resize(length);
  return signature;
}

Bytes subjectPublicKeyInfo() {
  unsigned char* der = nullptr;
  const int length = i2d_PUBKEY(signingKey(), &der);
  Bytes out(der, der + length);
  OPENSSL_free(der);
  return out;
}

Bytes certificateDer() {
  std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
  X509_set_version(cert.get(), X509_VERSION_3);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 7);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(cert.get()), "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("card"), -1, -1, 0);
  X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get()));
  X509_set_pubkey(cert.get(), signingKey());
  X509_sign(cert.get(), signingKey(), EVP_sha256());
  unsigned char* der = nullptr;
  const int length = i2d_X509(cert.get(), &der);
  Bytes out(der, der + length);
  OPENSSL_free(der);
  return out;
}

}  // namespace

TEST(RsaPublicKey, VerifiesPkcs1v15InEveryKeyForm) {
  const Bytes message = toBytes("card data");
  const Bytes digest = VerifierKit::sha256(message);
  const Bytes signature = signDigest(digest);
  const Bytes spki = subjectPublicKeyInfo();
  Bytes certificateWithFill = certificateDer();
  certificateWithFill.resize(certificateWithFill.size() + 200, 0x00);

  const auto fromSpki = RsaPublicKey::fromSubjectPublicKeyInfo(spki);
  ASSERT_TRUE(fromSpki.has_value());
  const Bytes modulus = fromSpki->modulus();  // checked below against the other forms
  const Bytes exponent{0x01, 0x00, 0x01};      // EVP_RSA_gen's public exponent

  // Card-verifiable certificates: 5F4E holding a SubjectPublicKeyInfo, or a body with 7F49 { 81, 82 }.
  const Bytes issuerSignature(256, 0x5A);
  const Bytes cvWithSpki = tlv("7F21", concat({tlv("5F4E", spki), tlv("5F37", issuerSignature)}));
  const Bytes cvBody = concat({tlv("42", toBytes("JPKI-CA")), tlv("5F20", toBytes("CARD")),
                               tlv("7F49", concat({tlv("81", modulus), tlv("82", exponent)}))});
  const Bytes cvWithKeyElement =
      tlv("7F21", concat({tlv("5F4E", cvBody), tlv("5F37", issuerSignature)}));
  const Bytes cvValueOnly = VerifierKit::parseTlv(cvWithKeyElement)[0].value;

  const std::vector<std::pair<std::string, std::optional<RsaPublicKey>>> forms = {
      {"spki", fromSpki},
      {"certificate", RsaPublicKey::fromCertificate(certificateWithFill)},
      {"modulus/exponent", RsaPublicKey::fromModulusExponent(modulus, exponent)},
      {"7F21 with SPKI", RsaPublicKey::fromCardCertificate(cvWithSpki)},
      {"7F21 with 7F49", RsaPublicKey::fromCardCertificate(cvWithKeyElement)},
      {"7F21 value", RsaPublicKey::fromCardCertificate(cvValueOnly)},
      {"any: certificate", RsaPublicKey::fromAnyForm(certificateWithFill)},
      {"any: 7F21", RsaPublicKey::fromAnyForm(cvWithKeyElement)},
  };
  for (const auto& [name, key] : forms) {
    ASSERT_TRUE(key.has_value()) << name;
    EXPECT_EQ(key->bits(), 2048) << name;
    EXPECT_EQ(key->modulus(), modulus) << name;
    EXPECT_TRUE(key->verifyDigest("SHA256", digest, signature)) << name;
    EXPECT_TRUE(key->verifyMessage("SHA256", message, signature)) << name;
  }

  const RsaPublicKey& key = *forms[0].second;
  // RFC 8017 section 9.2: DigestInfo for SHA-256 is this prefix followed by the digest.
  const Bytes digestInfo = concat({hex("3031300D060960864801650304020105000420"), digest});
  EXPECT_TRUE(key.verifyPayload(digestInfo, signature));

  Bytes wrongDigest = digest;
  wrongDigest[0] ^= 1;
  Bytes wrongSignature = signature;
  wrongSignature[100] ^= 1;
  EXPECT_FALSE(key.verifyDigest("SHA256", wrongDigest, signature));
  EXPECT_FALSE(key.verifyDigest("SHA256", digest, wrongSignature));
  EXPECT_FALSE(key.verifyDigest("SHA1", Bytes(digest.begin(), digest.begin() + 20), signature));
  EXPECT_FALSE(key.verifyDigest("SHA256", digest, Bytes(signature.begin(), signature.end() - 1)));
  EXPECT_FALSE(key.verifyMessage("SHA256", toBytes("card datA"), signature));
  EXPECT_FALSE(key.verifyPayload(digest, signature));
}

TEST(RsaPublicKey, RefusesWhatIsNotAnRsaKey) {
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> ec(EVP_EC_gen("P-256"), EVP_PKEY_free);
  unsigned char* der = nullptr;
  const int length = i2d_PUBKEY(ec.get(), &der);
  const Bytes ecSpki(der, der + length);
  OPENSSL_free(der);
  EXPECT_FALSE(RsaPublicKey::fromSubjectPublicKeyInfo(ecSpki).has_value());

  Bytes spkiWithTail = subjectPublicKeyInfo();
  spkiWithTail.push_back(0x00);
  EXPECT_FALSE(RsaPublicKey::fromSubjectPublicKeyInfo(spkiWithTail).has_value());
  EXPECT_FALSE(RsaPublicKey::fromModulusExponent({}, {0x01, 0x00, 0x01}).has_value());
  EXPECT_FALSE(RsaPublicKey::fromModulusExponent({0x00}, {0x03}).has_value());
  EXPECT_FALSE(RsaPublicKey::fromCardCertificate(tlv("7F21", tlv("5F37", Bytes(256, 1)))).has_value());
  EXPECT_FALSE(RsaPublicKey::fromAnyForm(Bytes(64, 0xFF)).has_value());
}
