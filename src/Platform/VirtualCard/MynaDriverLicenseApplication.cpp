#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"

#include <openssl/x509.h>

#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

namespace {

using Elements = std::vector<std::pair<Bytes, Bytes>>;

Bytes hex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

Bytes tag(std::uint16_t t) {
  if (t > 0xFF) return {static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t & 0xFF)};
  return {static_cast<std::uint8_t>(t)};
}

Bytes photo() {
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE0};
  for (std::size_t i = 0; jpeg.size() < 2000; ++i) jpeg.push_back(static_cast<std::uint8_t>((i * 31 + 7) & 0xFF));
  jpeg.push_back(0xFF);
  jpeg.push_back(0xD9);
  return jpeg;
}

Elements entryElements(MynaDriverLicenseApplication::Variant variant) {
  using V = MynaDriverLicenseApplication::Variant;
  Elements e;
  e.push_back({tag(0xC2), variant == V::invalidUtf8 ? Bytes{0xFF, 0xFE, 0x32} : toBytes("20240401")});
  e.push_back({tag(0xC3), variant == V::emptyItems ? Bytes{} : Bytes{0x12, 0x34}});
  e.push_back({tag(0xC4), hex("2534213C256B2549")});                                  // ゴールド
  e.push_back({tag(0xC5), toBytes("20290101")});
  e.push_back({tag(0xC6), hex("346336404579")});                                      // 眼鏡等
  e.push_back({tag(0xCA), Bytes{0x30, 0x21}});
  e.push_back({tag(0xCC), hex("4366373F3C56244F4366373F3C56214A23382374214B244B3842246B")});
  e.push_back({tag(0xD4), Bytes{}});
  e.push_back({tag(0xD7), hex("4877394D4D732D36")});                                  // 備考欄Ⅱ
  e.push_back({tag(0xDF), hex("4D3D4877")});                                          // 予備
  e.push_back({tag(0xE7), toBytes("123456789012")});
  e.push_back({tag(0xE8), toBytes("01")});
  if (variant == V::length80) e.push_back({Bytes{0xE9, 0x80}, {}});                   // marker, see below
  if (variant != V::emptyItems) e.push_back({tag(0xE9), toBytes("20100401")});
  e.push_back({tag(0xEB), toBytes("20150401")});
  e.push_back({tag(0xEC), Bytes{0x01}});
  e.push_back({tag(0xF0), Bytes{0x02, 0x03}});
  e.push_back({tag(0xFB), Bytes{0xAA}});
  e.push_back({tag(0x0100), Bytes{0xBB, 0xCC}});
  if (variant == V::repeatedColorClass) e.push_back({tag(0xC4), hex("2556256B213C")});  // ブルー
  e.push_back({tag(0x0107), variant == V::emptyItems ? Bytes{} : photo()});
  return e;
}

Bytes serialise(const Elements& elements, std::size_t size) {
  Bytes file;
  for (const auto& [t, value] : elements) {
    // The length byte 80 marker: the tag byte followed by 80 and nothing else.
    const Bytes piece = t.size() == 2 && t[1] == 0x80 && t[0] != 0x01 ? t : MynaDriverLicenseApplication::element(t, value);
    file.insert(file.end(), piece.begin(), piece.end());
  }
  file.resize(size, 0x00);
  return file;
}

}  // namespace

Bytes MynaDriverLicenseApplication::element(const Bytes& t, const Bytes& value) {
  Bytes out = t;
  const std::size_t n = value.size();
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else if (n <= 0xFF) {
    out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
  } else {
    out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
  }
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

const MynaDriverLicenseApplication::Issuer& MynaDriverLicenseApplication::issuer() {
  static const Issuer made = [] {
    Issuer i;
    i.key = VirtualCertificateAuthority::generateRsaKey();
    unsigned char* der = nullptr;
    const int length = i2d_PUBKEY(i.key.get(), &der);
    if (length > 0) {
      i.subjectPublicKeyInfo.assign(der, der + length);
      OPENSSL_free(der);
    }
    // The subjectPublicKey BIT STRING's contents: the SPKI's last element, after its unused-bits byte.
    const X509_PUBKEY* pub = nullptr;
    const unsigned char* p = i.subjectPublicKeyInfo.data();
    X509_PUBKEY* parsed = d2i_X509_PUBKEY(nullptr, &p, static_cast<long>(i.subjectPublicKeyInfo.size()));
    pub = parsed;
    const unsigned char* bits = nullptr;
    int bitsLength = 0;
    if (pub && X509_PUBKEY_get0_param(nullptr, &bits, &bitsLength, nullptr, pub) == 1) {
      const auto digest = Digest::sha1(std::span<const std::uint8_t>(bits, static_cast<std::size_t>(bitsLength)));
      i.ski = digest;
    }
    X509_PUBKEY_free(parsed);
    return i;
  }();
  return made;
}

MynaDriverLicenseApplication::Contents MynaDriverLicenseApplication::make(Variant variant) {
  Contents c;
  c.entryElements = entryElements(variant);
  c.entries = serialise(c.entryElements, ENTRIES_SIZE);
  if (variant == Variant::length80) {
    // Drop the marker from the elements the card is said to hold: nothing after it is read.
    std::erase_if(c.entryElements, [](const auto& e) { return e.first == Bytes{0xE9, 0x80}; });
  }
  const Issuer& signer = issuer();
  const Bytes signature = CardSurfaceKeys::signDigest(signer.key, Digest::sha256(c.entries));
  Elements s;
  if (variant == Variant::signatureFile010E) s.push_back({Bytes{0x01, 0x0E}, Bytes{0x00}});
  if (variant != Variant::missingSignature) s.push_back({tag(0x0108), variant == Variant::emptySignature ? Bytes{} : signature});
  s.push_back({tag(0x0109), toBytes("SN-0001-VIRTUAL")});
  s.push_back({tag(0x010A), Bytes{0x00, 0x01}});
  s.push_back({tag(0x010B), toBytes("Virtual Public Safety Commission")});
  s.push_back({tag(0x010C), toBytes("Virtual Licence Holder")});
  if (variant != Variant::missingSki) s.push_back({tag(0x010D), signer.ski});
  c.signatureElements = s;
  c.signatureFile = serialise(s, SIGNATURE_SIZE);
  return c;
}

void MynaDriverLicenseApplication::install(VirtualCard& card, const Contents& contents) {
  card.addApplication(NAME, aid())
      .addPin(EF_PIN, toBytes(contents.pin), contents.pinTries)
      .addFile(EF_ENTRIES, contents.entries, VirtualAccess::afterPin(EF_PIN))
      .addFile(EF_SIGNATURE, contents.signatureFile, VirtualAccess::afterPin(EF_PIN));
}

std::shared_ptr<VirtualCard> MynaDriverLicenseApplication::makeCard(const Contents& contents) {
  auto card = std::make_shared<VirtualCard>("Individual Number Card (licence data)");
  install(*card, contents);
  return card;
}

}  // namespace ekyc
