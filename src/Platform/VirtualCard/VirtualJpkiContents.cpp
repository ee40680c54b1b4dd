#include "Platform/VirtualCard/VirtualJpkiContents.hpp"

#include <openssl/asn1.h>
#include <openssl/rsa.h>

namespace ekyc {

namespace {

// One character of positions text per UTF-8 character of the given text, all "0".
std::string plainPositions(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) out.push_back('0');
  }
  return out;
}

constexpr const char* OID_PREFIX = "1.2.392.200149.8.5.5.";

}  // namespace

VirtualJpkiContents::Holder VirtualJpkiContents::Holder::sample() {
  Holder h;
  // 9 characters; the first (髙) and the seventh (齋) are substitute characters.
  h.name = "髙橋　花子［齋藤］";
  h.nameSubChar = "100000100";
  h.gender = "2";
  h.dateOfBirth = "319850412";
  // 46 characters, 138 bytes: its DER lengths take the long form.
  h.address = "北海道札幌市中央区北一条西二丁目一番地　札幌市中央区役所本庁舎南側通り沿い第三号棟一二三四号室";
  h.addressSubChar = plainPositions(*h.address);
  return h;
}

VirtualJpkiContents::Holder VirtualJpkiContents::Holder::plain() {
  Holder h;
  h.name = "山田　太郎";
  h.nameSubChar = "00000";
  h.gender = "1";
  h.dateOfBirth = "419920101";
  h.address = "東京都千代田区永田町一丁目７番１号";
  h.addressSubChar = plainPositions(*h.address);
  return h;
}

VirtualJpkiContents::Keys VirtualJpkiContents::Keys::generate() {
  Keys k;
  k.ca = VirtualCertificateAuthority::generateRsaKey();
  k.userAuth = VirtualCertificateAuthority::generateRsaKey();
  k.signing = VirtualCertificateAuthority::generateRsaKey();
  return k;
}

Bytes VirtualJpkiContents::certificateFile(const Bytes& der) {
  Bytes file = der;
  if (file.size() < CERT_FILE_SIZE) file.resize(CERT_FILE_SIZE, 0xFF);
  return file;
}

VirtualJpkiContents VirtualJpkiContents::make(const Keys& keys) { return make(keys, Options{}); }

VirtualJpkiContents VirtualJpkiContents::make(const Keys& keys, const Options& options) {
  VirtualJpkiContents c;
  c.options = options;
  c.userAuthKey = keys.userAuth;
  c.signingKey = keys.signing;
  VirtualCertificateAuthority ca("Virtual JPKI CA", keys.ca);
  c.caCertificate = ca.certificate();

  // The user-authentication certificate names nobody.
  c.userAuthCertificate = ca.issue("Virtual JPKI user authentication", keys.userAuth.get(), {}, 1001);

  using OtherName = VirtualCertificateAuthority::OtherName;
  std::vector<OtherName> items;
  const Holder& h = options.holder;
  const auto add = [&](int index, int type, const std::optional<std::string>& value) {
    if (value) items.push_back(OtherName{OID_PREFIX + std::to_string(index), type, toBytes(*value)});
  };
  add(1, V_ASN1_UTF8STRING, h.name);
  add(2, V_ASN1_PRINTABLESTRING, h.nameSubChar);
  add(3, V_ASN1_PRINTABLESTRING, h.gender);
  add(4, V_ASN1_PRINTABLESTRING, h.dateOfBirth);
  add(5, V_ASN1_UTF8STRING, h.address);
  add(6, V_ASN1_IA5STRING, h.addressSubChar);
  c.signingCertificate = ca.issue("Virtual JPKI signing", keys.signing.get(), items, 1002);

  c.userAuthCertificateFile =
      options.userAuthCertificateFile ? *options.userAuthCertificateFile : certificateFile(c.userAuthCertificate);
  c.signingCertificateFile =
      options.signingCertificateFile ? *options.signingCertificateFile : certificateFile(c.signingCertificate);
  return c;
}

std::optional<Bytes> VirtualJpkiContents::sign(EVP_PKEY* key, const Bytes& digestInfo) {
  if (key == nullptr) return std::nullopt;
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
  if (ctx == nullptr) return std::nullopt;
  std::optional<Bytes> result;
  size_t len = 0;
  if (EVP_PKEY_sign_init(ctx) == 1 && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) == 1 &&
      EVP_PKEY_sign(ctx, nullptr, &len, digestInfo.data(), digestInfo.size()) == 1) {
    Bytes sig(len);
    if (EVP_PKEY_sign(ctx, sig.data(), &len, digestInfo.data(), digestInfo.size()) == 1) {
      sig.resize(len);
      result = std::move(sig);
    }
  }
  EVP_PKEY_CTX_free(ctx);
  return result;
}

}  // namespace ekyc
