#include "verification-server/SelfSignedCertificate.hpp"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace ekyc {

namespace {

struct BioDeleter {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct ExtensionDeleter {
  void operator()(X509_EXTENSION* ext) const { X509_EXTENSION_free(ext); }
};

bool addExtension(X509* cert, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  std::unique_ptr<X509_EXTENSION, ExtensionDeleter> ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str()));
  return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

}  // namespace

std::optional<SelfSignedCertificate> SelfSignedCertificate::create(const std::vector<std::string>& dnsNames,
                                                                   const std::vector<std::string>& ipAddresses) {
  std::shared_ptr<EVP_PKEY> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  std::shared_ptr<X509> cert(X509_new(), X509_free);
  if (!key || !cert) {
    return std::nullopt;
  }
  X509* x = cert.get();

  unsigned char serialBytes[16];
  if (RAND_bytes(serialBytes, sizeof serialBytes) != 1) {
    return std::nullopt;
  }
  serialBytes[0] &= 0x7F;  // positive
  BIGNUM* serial = BN_bin2bn(serialBytes, sizeof serialBytes, nullptr);
  const bool serialSet = serial != nullptr && BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(x)) != nullptr;
  BN_free(serial);
  if (!serialSet || X509_set_version(x, X509_VERSION_3) != 1 ||
      X509_gmtime_adj(X509_getm_notBefore(x), -3600) == nullptr ||
      X509_gmtime_adj(X509_getm_notAfter(x), 24L * 3600) == nullptr || X509_set_pubkey(x, key.get()) != 1) {
    return std::nullopt;
  }
  X509_NAME* name = X509_get_subject_name(x);
  const auto* commonName = reinterpret_cast<const unsigned char*>("ekyc verification stand-in");
  if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0) != 1 ||
      X509_set_issuer_name(x, name) != 1) {
    return std::nullopt;
  }
  std::string altNames;
  for (const std::string& dns : dnsNames) {
    altNames += (altNames.empty() ? "" : ",") + std::string("DNS:") + dns;
  }
  for (const std::string& ip : ipAddresses) {
    altNames += (altNames.empty() ? "" : ",") + std::string("IP:") + ip;
  }
  if (!addExtension(x, NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(x, NID_key_usage, "critical,digitalSignature,keyCertSign") ||
      !addExtension(x, NID_ext_key_usage, "serverAuth") ||
      !addExtension(x, NID_subject_key_identifier, "hash") ||
      (!altNames.empty() && !addExtension(x, NID_subject_alt_name, altNames))) {
    return std::nullopt;
  }
  if (X509_sign(x, key.get(), EVP_sha256()) <= 0) {
    return std::nullopt;
  }
  return SelfSignedCertificate(std::move(cert), std::move(key));
}

std::string SelfSignedCertificate::certificatePem() const {
  std::unique_ptr<BIO, BioDeleter> bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_X509(bio.get(), cert.get()) != 1) {
    return {};
  }
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace ekyc
