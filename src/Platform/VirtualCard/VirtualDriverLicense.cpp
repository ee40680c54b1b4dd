#include "Platform/VirtualCard/VirtualDriverLicense.hpp"

#include <openssl/x509.h>

#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

const Bytes VirtualDriverLicense::DF1_AID = {0xA0, 0x00, 0x00, 0x02, 0x31, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes VirtualDriverLicense::DF2_AID = {0xA0, 0x00, 0x00, 0x02, 0x31, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

namespace {

Bytes hex(const std::string& text) { return Utility().hexStringToBinary(text); }

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// One element with a one-byte tag (or 5F 40) and a BER length.
Bytes tlv(const Bytes& tag, const Bytes& value) {
  Bytes out = tag;
  const std::size_t n = value.size();
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else if (n < 0x100) {
    out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
  } else {
    out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
  }
  out.insert(out.end(), value.begin(), value.end());
  return out;
}
Bytes tlv(std::uint8_t tag, const Bytes& value) { return tlv(Bytes{tag}, value); }

// The file padded with FF to its size.
Bytes padded(Bytes file, std::size_t size) {
  if (file.size() < size) file.resize(size, 0xFF);
  return file;
}

// A history entry: edition 01, a 7-character date, the value, a 5-character commission name.
Bytes entry(const std::string& dateJis, const std::string& valueJis, const std::string& pscJis) {
  return join({{0x01}, hex(dateJis), hex(valueJis), hex(pscJis)});
}

// A 129-byte external character: size code 20 and a 128-byte bitmap that differs per key.
Bytes bitmap(std::uint8_t seed) {
  Bytes out{0x20};
  for (int i = 0; i < 128; ++i) out.push_back(static_cast<std::uint8_t>(seed * 31 + i * 7));
  return out;
}

constexpr const char* kDate1 = "4E614F422332472F2334376E2331";  // 令和２年４月１
constexpr const char* kDate2 = "4E614F422334472F2335376E2339";  // 令和４年５月９
constexpr const char* kPsc = "456C357E387830423051";             // 東京公安委

}  // namespace

DriverLicenseFiles DriverLicenseFiles::sample() {
  DriverLicenseFiles files;
  // Common data: format version "008", issued 2020-04-01, expiring 2025-04-01 (packed BCD);
  // card maker 1A, cryptographic functions 03.
  files.commonData = join({tlv(0x45, join({toBytes("008"), hex("20200401"), hex("20250401")})), tlv(0x46, hex("1A03"))});

  // Entries: tags 11 to 33 (1E, 1F and most categories absent).
  files.entries = padded(
      join({tlv(0x11, {0x01}),
            // FF F1, 野　花子, then the previous name 鈴木 between 214E and 214F.
            tlv(0x12, hex("FFF1" "4C6E212132563B52" "214E" "4E6B4C5A" "214F")),
            tlv(0x13, hex("254E2121254F254A2533")),           // ノ　ハナコ
            tlv(0x14, hex("244E244E" "FFF2")),                 // のの + FF F2
            tlv(0x15, hex("254F254A")),                        // ハナ
            tlv(0x16, toBytes("4010203")),
            tlv(0x17, hex("456C357E455440694265454436683262242C34582332244E2331" "FFF3" "2D35")),
            tlv(0x18, toBytes("5020401")),
            tlv(0x19, toBytes("12345")),
            tlv(0x1A, hex("4D254E49")),                        // 優良
            tlv(0x1B, toBytes("5070401")),
            tlv(0x1C, hex("346336404579")),                    // 眼鏡等
            tlv(0x1D, hex("FFFA" "3842446A")),                 // FF FA + 限定
            tlv(0x20, hex("456C357E455438783042305130773271")),  // 東京都公安委員会
            tlv(0x21, toBytes("123456789012")),
            tlv(0x22, toBytes("5020401")),
            tlv(0x25, toBytes("4100101")),
            tlv(0x2F, {})}),
      880);

  // Registered domicile: 北海道 FF F6 札幌市.
  files.registeredDomicile = padded(tlv(0x41, hex("4B4C3324463B" "FFF6" "3B254B5A3B54")), 82);

  files.externalCharacters = join({tlv(0x48, bitmap(1)), tlv(0x49, bitmap(2))});
  files.changedExternalCharacters = join({tlv(0xA0, {0x11}), tlv(0xA1, bitmap(3)), tlv(0xA2, bitmap(4)),
                                          tlv(0xA3, bitmap(5)), tlv(0xA4, bitmap(6)), tlv(0xA5, bitmap(7))});

  // Changed entries: two commission entries, a name with a previous name, a missing name tag (61),
  // a name starting with FF F4, a 25-byte call-name entry, an address starting with FF F1, a
  // condition, a cancelled condition, a remark and a spare.
  files.changedEntries = padded(
      join({tlv(0x50, {0x11}),
            tlv(0x51, entry(kDate1, "456C357E4554", kPsc)),
            tlv(0x52, entry(kDate2, "42673A65495C", kPsc)),
            tlv(0x60, entry(kDate1, "4C6E212132563B52" "214E" "4E6B4C5A" "214F", kPsc)),
            tlv(0x62, entry(kDate2, "FFF4" "4C6E", kPsc)),
            tlv(0x68, entry(kDate1, "", kPsc)),
            tlv(0x70, entry(kDate2, "FFF1" "3B54", kPsc)),
            tlv(0x78, entry(kDate1, "34633640", kPsc)),
            tlv(0x80, entry(kDate2, "3E72376F32723D7C", kPsc)),
            tlv(0x88, entry(kDate1, "4877394D", kPsc)),
            tlv(0x90, entry(kDate2, "4D3D4877", kPsc))}),
      640);

  files.changedRegisteredDomicile =
      padded(join({tlv(0xAA, {0x11}), tlv(0xAB, entry(kDate1, "456C357E4554", kPsc)),
                   tlv(0xAC, entry(kDate2, "FFF5" "3B54", kPsc))}),
             256);

  files.signature = padded(join({tlv(0xB1, Bytes(256, 0x00)), tlv(0xB2, toBytes("0A1B2C3D")),
                                 tlv(0xB3, toBytes("20230401-20330401")),
                                 tlv(0xB4, toBytes("CN=Virtual Licence Issuer CA,O=nfc-ekyc,C=JP")),
                                 tlv(0xB5, toBytes("CN=Virtual Licence Signer,O=nfc-ekyc,C=JP")),
                                 tlv(0xB6, VirtualDriverLicense::issuerSki())}),
                           578);

  // The photo: a JPEG 2000 signature box, then a pattern.
  Bytes photo = hex("0000000C6A5020200D0A870A");
  while (photo.size() < 2000) photo.push_back(static_cast<std::uint8_t>((photo.size() * 37 + 11) & 0xFF));
  files.photo = tlv(Bytes{0x5F, 0x40}, photo);

  files.sign();
  return files;
}

DriverLicenseFiles DriverLicenseFiles::withoutHistory() {
  DriverLicenseFiles files = sample();
  files.changedEntries = Bytes(640, 0xFF);
  files.changedExternalCharacters = Bytes(663, 0xFF);
  files.changedRegisteredDomicile = Bytes(256, 0xFF);
  return files;
}

Bytes DriverLicenseFiles::source() const {
  const auto first = [](const Bytes& data, std::size_t n) {
    return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(n, data.size())));
  };
  return join({first(entries, 880), first(registeredDomicile, 82), first(photo, 2005)});
}

void DriverLicenseFiles::sign() {
  const auto& key = VirtualDriverLicense::issuerKey();
  const Bytes value = CardSurfaceKeys::signDigest(key, Digest::sha256(source()));
  // B1 82 01 00 <256 bytes> opens the signature file.
  if (value.size() == 256 && signature.size() >= 4 + 256) std::copy(value.begin(), value.end(), signature.begin() + 4);
}

std::shared_ptr<VirtualCard> VirtualDriverLicense::makeCard() {
  return makeCard(DriverLicenseFiles::sample(), Options());
}

std::shared_ptr<VirtualCard> VirtualDriverLicense::makeCard(const DriverLicenseFiles& files, const Options& options) {
  auto card = std::make_shared<VirtualCard>("IC driving licence");
  const auto afterPin1 = VirtualAccess::afterMasterFilePin(PIN1);
  const auto afterBoth = VirtualAccess::custom([](const VirtualCardContext& context) {
    return context.isMasterFilePinVerified(PIN1) && context.isMasterFilePinVerified(PIN2);
  });
  card->masterFile()
      .addPin(PIN1, toBytes(options.pin1), options.pinTries)
      .addPin(PIN2, toBytes(options.pin2), options.pinTries)
      .addFile(0x2F01, files.commonData);
  card->addApplication(DF1, DF1_AID)
      .addFile(0x0001, files.entries, afterPin1)
      .addFile(0x0002, files.registeredDomicile, afterBoth)
      .addFile(0x0003, files.externalCharacters, afterPin1)
      .addFile(0x0004, files.changedEntries, afterPin1)
      .addFile(0x0005, files.changedExternalCharacters, afterPin1)
      .addFile(0x0006, files.changedRegisteredDomicile, afterBoth)
      .addFile(0x0007, files.signature, afterPin1);
  card->addApplication(DF2, DF2_AID).addFile(0x0001, files.photo, afterBoth);
  if (options.pin1TriesLeft) card->setPinTriesLeft(VirtualCard::MASTER_FILE, PIN1, *options.pin1TriesLeft);
  if (options.pin2TriesLeft) card->setPinTriesLeft(VirtualCard::MASTER_FILE, PIN2, *options.pin2TriesLeft);
  return card;
}

const std::shared_ptr<EVP_PKEY>& VirtualDriverLicense::issuerKey() {
  static const std::shared_ptr<EVP_PKEY> key = VirtualCertificateAuthority::generateRsaKey();
  return key;
}

Bytes VirtualDriverLicense::issuerSki() {
  const auto& key = issuerKey();
  if (!key) return Bytes(20, 0x00);
  unsigned char* der = nullptr;
  const int length = i2d_PublicKey(key.get(), &der);
  if (length <= 0) return Bytes(20, 0x00);
  const Bytes rsaPublicKey(der, der + length);
  OPENSSL_free(der);
  return Digest::sha1(rsaPublicKey);
}

Bytes VirtualDriverLicense::issuerPublicKeyInfo() {
  const auto& key = issuerKey();
  if (!key) return {};
  unsigned char* der = nullptr;
  const int length = i2d_PUBKEY(key.get(), &der);
  if (length <= 0) return {};
  Bytes out(der, der + length);
  OPENSSL_free(der);
  return out;
}

}  // namespace ekyc
