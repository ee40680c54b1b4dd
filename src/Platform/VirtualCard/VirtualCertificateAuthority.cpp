#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"

#include <mutex>
#include <optional>

#include <openssl/asn1.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace ekyc {

namespace {

struct X509Deleter {
  void operator()(X509* x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Deleter>;

Bytes toDer(X509* cert) {
  const int len = i2d_X509(cert, nullptr);
  if (len <= 0) return {};
  Bytes out(static_cast<std::size_t>(len));
  unsigned char* p = out.data();
  if (i2d_X509(cert, &p) != len) return {};
  return out;
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (ext == nullptr) return false;
  const bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

bool setName(X509_NAME* name, const std::string& commonName) {
  return X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("JP"), -1, -1,
                                    0) == 1 &&
         X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                    reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0) == 1;
}

// The fixed keys and time of useFixedKeys, shared by every thread that makes a card.
struct FixedKeys {
  std::mutex mutex;
  std::optional<std::time_t> madeAt;  // set: keys and time are fixed
  std::vector<EvpPkeyPtr> keys;
  std::size_t next = 0;
};

FixedKeys& fixed() {
  static FixedKeys state;
  return state;
}

EvpPkeyPtr freshRsaKey(int bits) {
  EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits));
  return EvpPkeyPtr(key, EVP_PKEY_free);
}

std::time_t certificateTime() {
  FixedKeys& state = fixed();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.madeAt ? *state.madeAt : std::time(nullptr);
}

// A certificate with subject, public key, serial and validity set; not yet signed.
X509Ptr makeBody(const std::string& subjectCommonName, EVP_PKEY* subjectKey, long serial) {
  X509Ptr cert(X509_new());
  std::time_t madeAt = certificateTime();
  if (!cert || X509_set_version(cert.get(), 2) != 1 || ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial) != 1 ||
      X509_time_adj(X509_getm_notBefore(cert.get()), -86400L, &madeAt) == nullptr ||
      X509_time_adj(X509_getm_notAfter(cert.get()), 5L * 365 * 86400, &madeAt) == nullptr ||
      X509_set_pubkey(cert.get(), subjectKey) != 1 || !setName(X509_get_subject_name(cert.get()), subjectCommonName)) {
    return nullptr;
  }
  return cert;
}

bool addOtherNames(X509* cert, const std::vector<VirtualCertificateAuthority::OtherName>& altNames) {
  GENERAL_NAMES* names = sk_GENERAL_NAME_new_null();
  if (names == nullptr) return false;
  bool ok = true;
  for (const auto& item : altNames) {
    ASN1_OBJECT* oid = OBJ_txt2obj(item.oid.c_str(), 1);
    ASN1_STRING* text = ASN1_STRING_type_new(item.stringType);
    ASN1_TYPE* value = ASN1_TYPE_new();
    GENERAL_NAME* name = GENERAL_NAME_new();
    if (oid == nullptr || text == nullptr || value == nullptr || name == nullptr ||
        ASN1_STRING_set(text, item.value.data(), static_cast<int>(item.value.size())) != 1) {
      ASN1_OBJECT_free(oid);
      ASN1_STRING_free(text);
      ASN1_TYPE_free(value);
      GENERAL_NAME_free(name);
      ok = false;
      break;
    }
    ASN1_TYPE_set(value, item.stringType, text);
    if (GENERAL_NAME_set0_othername(name, oid, value) != 1) {
      ASN1_OBJECT_free(oid);
      ASN1_TYPE_free(value);
      GENERAL_NAME_free(name);
      ok = false;
      break;
    }
    if (sk_GENERAL_NAME_push(names, name) <= 0) {
      GENERAL_NAME_free(name);
      ok = false;
      break;
    }
  }
  if (ok && sk_GENERAL_NAME_num(names) > 0) {
    ok = X509_add1_ext_i2d(cert, NID_subject_alt_name, names, 0, X509V3_ADD_DEFAULT) == 1;
  }
  GENERAL_NAMES_free(names);
  return ok;
}

}  // namespace

EvpPkeyPtr VirtualCertificateAuthority::generateRsaKey(int bits) {
  FixedKeys& state = fixed();
  std::unique_lock<std::mutex> lock(state.mutex);
  if (!state.madeAt) {
    lock.unlock();  // fresh keys are made side by side
    return freshRsaKey(bits);
  }
  // A fixed key of another size is passed over.
  while (state.next < state.keys.size() && EVP_PKEY_get_bits(state.keys[state.next].get()) != bits) ++state.next;
  if (state.next == state.keys.size()) {
    EvpPkeyPtr key = freshRsaKey(bits);
    if (!key) return key;
    state.keys.push_back(std::move(key));
  }
  return state.keys[state.next++];
}

void VirtualCertificateAuthority::useFixedKeys(std::vector<EvpPkeyPtr> keys, std::time_t madeAt) {
  FixedKeys& state = fixed();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::erase(keys, nullptr);
  state.keys = std::move(keys);
  state.next = 0;
  state.madeAt = madeAt;
}

std::vector<EvpPkeyPtr> VirtualCertificateAuthority::fixedKeys() {
  FixedKeys& state = fixed();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.keys;
}

std::vector<EvpPkeyPtr> VirtualCertificateAuthority::readKeys(const std::string& pemFile) {
  std::vector<EvpPkeyPtr> keys;
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(pemFile.c_str(), "r"), BIO_free);
  while (bio) {
    EvpPkeyPtr key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    if (!key) break;
    keys.push_back(std::move(key));
  }
  return keys;
}

bool VirtualCertificateAuthority::writeKeys(const std::string& pemFile, const std::vector<EvpPkeyPtr>& keys) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(pemFile.c_str(), "w"), BIO_free);
  if (!bio) return false;
  for (const auto& key : keys) {
    if (PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) return false;
  }
  return true;
}

VirtualCertificateAuthority::VirtualCertificateAuthority(std::string commonName, EvpPkeyPtr key)
    : commonName_(std::move(commonName)), key_(key ? std::move(key) : generateRsaKey()) {
  if (!key_) return;
  X509Ptr cert = makeBody(commonName_, key_.get(), 1);
  if (!cert || X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get())) != 1 ||
      !addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
      !addExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash") ||
      X509_sign(cert.get(), key_.get(), EVP_sha256()) <= 0) {
    return;
  }
  certificate_ = toDer(cert.get());
}

Bytes VirtualCertificateAuthority::issue(const std::string& subjectCommonName, EVP_PKEY* subjectKey,
                                         const std::vector<OtherName>& altNames, long serial) const {
  if (!key_ || certificate_.empty() || subjectKey == nullptr) return {};
  const unsigned char* p = certificate_.data();
  X509Ptr caCert(d2i_X509(nullptr, &p, static_cast<long>(certificate_.size())));
  X509Ptr cert = makeBody(subjectCommonName, subjectKey, serial);
  if (!caCert || !cert || X509_set_issuer_name(cert.get(), X509_get_subject_name(caCert.get())) != 1 ||
      !addExtension(cert.get(), caCert.get(), NID_basic_constraints, "critical,CA:FALSE") ||
      !addExtension(cert.get(), caCert.get(), NID_key_usage, "critical,digitalSignature,nonRepudiation") ||
      !addExtension(cert.get(), caCert.get(), NID_authority_key_identifier, "keyid:always") ||
      !addOtherNames(cert.get(), altNames) || X509_sign(cert.get(), key_.get(), EVP_sha256()) <= 0) {
    return {};
  }
  return toDer(cert.get());
}

}  // namespace ekyc
