#include "Platform/VirtualCard/CardSurfaceFiles.hpp"

#include <openssl/evp.h>

#include <string>

namespace ekyc {

namespace {

Bytes sha256(const Bytes& data) {
  Bytes digest(32);
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) return {};
  digest.resize(length);
  return digest;
}

template <typename... Parts>
Bytes join(const Parts&... parts) {
  Bytes out;
  (out.insert(out.end(), parts.begin(), parts.end()), ...);
  return out;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes padded(Bytes data, std::size_t size) {
  if (data.size() < size) data.resize(size, 0xFF);
  return data;
}

// Tags of the card files.
const Bytes FF20{0xFF, 0x20}, FF30{0xFF, 0x30}, FF40{0xFF, 0x40}, FF10{0xFF, 0x10};
const Bytes DF21{0xDF, 0x21}, DF22{0xDF, 0x22}, DF23{0xDF, 0x23}, DF24{0xDF, 0x24}, DF25{0xDF, 0x25},
    DF26{0xDF, 0x26}, DF27{0xDF, 0x27}, DF28{0xDF, 0x28}, DF29{0xDF, 0x29}, DF2A{0xDF, 0x2A};
const Bytes DF31{0xDF, 0x31}, DF32{0xDF, 0x32}, DF33{0xDF, 0x33};
const Bytes DF41{0xDF, 0x41}, DF42{0xDF, 0x42}, DF43{0xDF, 0x43};

}  // namespace

Bytes CardSurfaceFiles::tlv(const Bytes& tag, const Bytes& value) {
  Bytes out = tag;
  const std::size_t n = value.size();
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else if (n <= 0xFF) {
    out.push_back(0x81);
    out.push_back(static_cast<std::uint8_t>(n));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n & 0xFF));
  }
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

Bytes CardSurfaceFiles::picture(std::size_t width, std::size_t height, const std::string& seed) {
  const std::string header = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Bytes out(header.begin(), header.end());
  // A gradient crossed by strokes that follow the seed's bytes: the same text gives the same
  // picture, different texts give different pictures.
  std::uint32_t state = 2166136261u;
  for (unsigned char c : seed) state = (state ^ c) * 16777619u;
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const unsigned char c = seed.empty() ? 0 : static_cast<unsigned char>(seed[(x / 4) % seed.size()]);
      const bool stroke = ((c >> (y % 8)) & 1u) != 0;
      state = state * 1103515245u + 12345u;
      const unsigned value = stroke ? 24u + ((state >> 24) & 15u) : 200u + (x * 40u) / (width ? width : 1);
      out.push_back(static_cast<std::uint8_t>(value > 255 ? 255 : value));
    }
  }
  return out;
}

Bytes CardSurfaceFiles::certificateRecord(const CardSurfaceKeys::Key& subject, const CardSurfaceKeys::Key& issuer,
                                          const std::string& holderReference) {
  // Card-verifiable certificate body: profile identifier, issuer reference, public key, holder
  // reference.
  const Bytes publicKey = tlv({0x7F, 0x49}, join(tlv({0x81}, CardSurfaceKeys::modulus(subject)),
                                                 tlv({0x82}, CardSurfaceKeys::publicExponent(subject))));
  const Bytes profile = tlv({0x5F, 0x29}, {0x00});
  const Bytes issuerReference = tlv({0x42}, text("JPNCSIS1"));
  const Bytes holder = tlv({0x5F, 0x20}, text(holderReference));
  const Bytes body = tlv({0x5F, 0x4E}, join(profile, issuerReference, publicKey, holder));
  const Bytes signature = tlv({0x5F, 0x37}, CardSurfaceKeys::signDigest(issuer, sha256(body)));
  return tlv({0x7F, 0x21}, join(body, signature));
}

CardSurfaceFiles CardSurfaceFiles::build(const CardSurfaceHolder& holder, const CardSurfaceKeys& keys) {
  CardSurfaceFiles files;

  // --- Card-surface application ---
  {
    const Bytes addressMap = tlv(DF21, {0x01, 0x00});
    const Bytes dateOfBirth = tlv(DF22, text(holder.printedDateOfBirth));
    const Bytes gender = tlv(DF23, text(holder.printedGender));
    const Bytes inCert = tlv(DF24, text("CS-IN-0001"));
    const Bytes nameImage = tlv(DF25, picture(96, 8, holder.name));
    const Bytes addressImage = tlv(DF26, picture(128, 10, holder.address));
    const Bytes photo = tlv(DF27, picture(48, 56, holder.name + holder.dateOfBirth));
    const Bytes group1 = join(dateOfBirth, gender, inCert);
    const Bytes group2 = join(nameImage, addressImage);
    const Bytes digests = join(sha256(group1), sha256(group2), sha256(photo));
    const Bytes signature = tlv(DF28, CardSurfaceKeys::signDigest(keys.cardSurface, sha256(digests)));
    const Bytes expireDate = tlv(DF29, text(holder.expireDate));
    const Bytes securityCode = tlv(DF2A, picture(24, 8, holder.securityCode));
    files.csEf0002 = padded(tlv(FF20, join(addressMap, dateOfBirth, gender, inCert, nameImage, addressImage,
                                           photo, signature, expireDate, securityCode)),
                            CS_EF0002_SIZE);
  }
  files.csEf0004 = padded(certificateRecord(keys.cardSurface, keys.issuer, "JPNCSAP001"), CS_EF0004_SIZE);
  {
    const Bytes numberImage = tlv(DF41, picture(120, 8, holder.myNumber));
    const Bytes internalKey = tlv(DF42, text("CS-KEY-REF-0001"));
    const Bytes signed_ = join(numberImage, internalKey);
    const Bytes signature = tlv(DF43, CardSurfaceKeys::signDigest(keys.cardSurface, sha256(signed_)));
    files.csEf0005 = padded(tlv(FF40, join(numberImage, internalKey, signature)), CS_EF0005_SIZE);
  }

  // --- Input-support application ---
  files.supEf0001 = padded(tlv(FF10, text(holder.myNumber)), SUP_EF0001_SIZE);
  Bytes basicItems;  // the whole elements DF22..DF25
  {
    const Bytes addressMap = tlv(DF21, {0x01, 0x00});
    const Bytes name = tlv(DF22, text(holder.name));
    const Bytes address = tlv(DF23, text(holder.address));
    const Bytes dateOfBirth = tlv(DF24, text(holder.dateOfBirth));
    const Bytes gender = tlv(DF25, text(holder.gender));
    basicItems = join(name, address, dateOfBirth, gender);
    files.supEf0002 = padded(tlv(FF20, join(addressMap, basicItems)), SUP_EF0002_SIZE);
  }
  {
    const Bytes h1 = tlv(DF31, sha256(files.supEf0001));
    const Bytes h2 = tlv(DF32, sha256(basicItems));
    const Bytes body = join(h1, h2);
    const Bytes signature = tlv(DF33, CardSurfaceKeys::signDigest(keys.inputSupport, sha256(body)));
    files.supEf0003 = padded(tlv(FF30, join(h1, h2, signature)), SUP_EF0003_SIZE);
  }
  files.supEf0004 = padded(certificateRecord(keys.inputSupport, keys.issuer, "JPNSUPAP01"), SUP_EF0004_SIZE);
  return files;
}

}  // namespace ekyc
