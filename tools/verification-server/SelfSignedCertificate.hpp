#pragma once
// A key pair and a self-signed X.509 certificate for the stand-in's TLS, made fresh at start.
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct evp_pkey_st EVP_PKEY;
typedef struct x509_st X509;

namespace ekyc {

class SelfSignedCertificate {
 public:
  // An ECDSA P-256 key and a certificate valid from an hour ago for a day, naming `dnsNames` and
  // `ipAddresses` as subject alternative names. Absent when OpenSSL fails.
  static std::optional<SelfSignedCertificate> create(const std::vector<std::string>& dnsNames,
                                                     const std::vector<std::string>& ipAddresses);

  X509* certificate() const { return cert.get(); }
  EVP_PKEY* privateKey() const { return key.get(); }
  // The certificate in PEM form: what a client adds to its trust store.
  std::string certificatePem() const;

 private:
  SelfSignedCertificate(std::shared_ptr<X509> cert, std::shared_ptr<EVP_PKEY> key)
      : cert(std::move(cert)), key(std::move(key)) {}
  std::shared_ptr<X509> cert;
  std::shared_ptr<EVP_PKEY> key;
};

}  // namespace ekyc
