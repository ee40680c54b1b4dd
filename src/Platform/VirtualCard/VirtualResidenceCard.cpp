#include "Platform/VirtualCard/VirtualResidenceCard.hpp"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"
#include "Utility/Crypt.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

constexpr std::uint16_t SW_OK = 0x9000;
constexpr std::uint16_t SW_WRONG_LENGTH = 0x6700;
constexpr std::uint16_t SW_SECURITY = 0x6982;
constexpr std::uint16_t SW_CONDITIONS = 0x6985;
constexpr std::uint16_t SW_NOT_FOUND = 0x6A82;
constexpr std::uint16_t SW_NUMBER_REFUSED = 0x6300;
const Bytes ZERO_IV(8, 0x00);

// Card-session values.
const std::string CHALLENGE = "residence rndIcc";
const std::string SESSION_KEY = "residence kSenc";
const std::string VERIFIED = "residence verified";

struct Issuer {
  EvpPkeyPtr key;
  Bytes certificate;
};

const Issuer& issuer() {
  static const Issuer made = [] {
    auto key = VirtualCertificateAuthority::generateRsaKey();
    VirtualCertificateAuthority authority("nfc-ekyc virtual residence card issuer", key);
    return Issuer{key, authority.certificate()};
  }();
  return made;
}

Bytes element(std::uint8_t tag, const Bytes& value) {
  Bytes out{tag};
  const std::size_t n = value.size();
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else if (n < 0x100) {
    out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
  } else {
    out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n & 0xFF)});
  }
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

Bytes filled(Bytes value, std::size_t width) {
  value.resize(width, 0x00);
  return value;
}

// A text filled with blanks to its field's width.
Bytes text(const std::string& value, std::size_t width) {
  Bytes out = toBytes(value);
  out.resize(width, 0x20);
  return out;
}

Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
  return out;
}

Bytes fresh(std::size_t count) {
  Bytes out(count);
  if (count > 0 && RAND_bytes(out.data(), static_cast<int>(count)) != 1) out.clear();
  return out;
}

Bytes slice(const Bytes& data, std::size_t from, std::size_t count) {
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from), data.begin() + static_cast<std::ptrdiff_t>(from + count));
}

bool same(const Bytes& a, const Bytes& b) { return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0; }

// ---- Card side of the secure messaging ---------------------------------------------------------

std::optional<VirtualResponse> getChallenge(const VirtualResidenceCard::Options& options, VirtualCardContext& context) {
  Bytes challenge = fresh(options.challengeLength);
  auto& values = context.cardValues();
  values.erase(SESSION_KEY);
  values.erase(VERIFIED);
  values[CHALLENGE] = challenge;
  return VirtualResponse::ok(std::move(challenge));
}

std::optional<VirtualResponse> mutualAuthenticate(const VirtualResidenceCard::Options& options,
                                                  const VirtualCommand& command, VirtualCardContext& context) {
  auto& values = context.cardValues();
  const auto pending = values.find(CHALLENGE);
  if (pending == values.end() || pending->second.size() != 8) return VirtualResponse::status(SW_CONDITIONS);
  const Bytes rndIcc = pending->second;
  values.erase(pending);  // one answer per challenge
  if (command.data.size() != 40) return VirtualResponse::status(SW_WRONG_LENGTH);
  const Crypt crypt;
  const Bytes kEnc = slice(crypt.sha1(toBytes(options.cardNumber)), 0, 16);
  const Bytes eIfd = slice(command.data, 0, 32);
  if (!same(crypt.getRetailMac(eIfd, kEnc), slice(command.data, 32, 8))) {
    return VirtualResponse::status(options.authenticationFailure);
  }
  const Bytes s = crypt.TDES(kEnc, eIfd, ZERO_IV, crypt.DECRYPT);
  if (s.size() != 32 || !same(slice(s, 8, 8), rndIcc)) return VirtualResponse::status(options.authenticationFailure);
  const Bytes rndIfd = slice(s, 0, 8);
  const Bytes kIfd = slice(s, 16, 16);
  const Bytes kIcc = fresh(16);
  Bytes r = rndIcc;
  if (options.staleCryptogram) r[7] ^= 0x01;  // the challenge of another session
  r.insert(r.end(), rndIfd.begin(), rndIfd.end());
  r.insert(r.end(), kIcc.begin(), kIcc.end());
  Bytes answer = crypt.TDES(kEnc, r, ZERO_IV, crypt.ENCRYPT);
  Bytes mac = crypt.getRetailMac(answer, kEnc);
  if (options.wrongCardMac) mac[0] ^= 0x01;
  answer.insert(answer.end(), mac.begin(), mac.end());
  Bytes seed = Utility().xorUInt8Array(kIfd, kIcc);
  seed.insert(seed.end(), {0x00, 0x00, 0x00, 0x01});
  values[SESSION_KEY] = slice(crypt.sha1(seed), 0, 16);
  return VirtualResponse::ok(std::move(answer));
}

std::optional<VirtualResponse> protectedVerify(const VirtualResidenceCard::Options& options,
                                               const VirtualCommand& command, VirtualCardContext& context) {
  if (command.cla != 0x08) return std::nullopt;
  auto& values = context.cardValues();
  const auto key = values.find(SESSION_KEY);
  if (key == values.end()) return VirtualResponse::status(SW_SECURITY);
  const Bytes& data = command.data;
  if (data.size() != 19 || data[0] != 0x86 || data[1] != 0x11 || data[2] != 0x01) {
    return VirtualResponse::status(SW_WRONG_LENGTH);
  }
  const Crypt crypt;
  Bytes plain = crypt.TDES(key->second, slice(data, 3, 16), ZERO_IV, crypt.DECRYPT);
  while (!plain.empty() && plain.back() == 0x00) plain.pop_back();
  if (plain.empty() || plain.back() != 0x80) return VirtualResponse::status(SW_NUMBER_REFUSED);
  plain.pop_back();
  if (!same(plain, toBytes(options.cardNumber))) return VirtualResponse::status(SW_NUMBER_REFUSED);
  values[VERIFIED] = {0x01};
  return VirtualResponse::ok();
}

std::optional<VirtualResponse> protectedRead(const VirtualCommand& command, VirtualCardContext& context) {
  if (command.cla != 0x08) return std::nullopt;
  auto& values = context.cardValues();
  const auto key = values.find(SESSION_KEY);
  if (key == values.end() || values.count(VERIFIED) == 0) return VirtualResponse::status(SW_SECURITY);
  if ((command.p1 & 0x80) == 0) return VirtualResponse::status(SW_NOT_FOUND);
  const VirtualFile* file = context.application().fileByShortId(command.p1 & 0x1F);
  if (file == nullptr) return VirtualResponse::status(SW_NOT_FOUND);
  const Crypt crypt;
  const Bytes cipher =
      crypt.TDES(key->second, crypt.padding7816_4(file->contents, 0, file->contents.size()), ZERO_IV, crypt.ENCRYPT);
  const std::size_t length = cipher.size() + 1;
  Bytes answer{0x86, 0x82, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF), 0x01};
  answer.insert(answer.end(), cipher.begin(), cipher.end());
  return VirtualResponse::ok(std::move(answer));
}

}  // namespace

const Bytes& VirtualResidenceCard::issuerCertificate() { return issuer().certificate; }

Bytes VirtualResidenceCard::sampleFrontImage() { return pattern(7000, 0x31); }
Bytes VirtualResidenceCard::samplePhoto() { return pattern(3000, 0xA5); }

VirtualResidenceCard::Files VirtualResidenceCard::files(const Options& options) {
  const Bytes front = options.frontImage.empty() ? sampleFrontImage() : options.frontImage;
  const Bytes photo = options.photo.empty() ? samplePhoto() : options.photo;
  const Bytes address = options.address.empty() ? text("東京都千代田区霞が関１－１－１", 320) : options.address;
  const Bytes comprehensive = options.comprehensivePermission.empty()
                                  ? text("資格外活動許可（週28時間以内）", 120)
                                  : options.comprehensivePermission;
  const Bytes individual =
      options.individualPermission.empty() ? text("個別許可なし", 120) : options.individualPermission;

  Bytes checkCode(256, 0x00), certificateField(1200, 0x00);
  const Utility utility;
  switch (options.signatures) {
    case Signatures::issued:
    case Signatures::fixedCheckCode: {
      Bytes signed_ = filled(front, 7000);
      const Bytes photoValue = filled(photo, 3000);
      signed_.insert(signed_.end(), photoValue.begin(), photoValue.end());
      checkCode = CardSurfaceKeys::signDigest(issuer().key, Digest::sha256(signed_));
      certificateField = filled(issuer().certificate, 1200);
      if (options.signatures == Signatures::fixedCheckCode) {
        checkCode = utility.hexStringToBinary(std::string(Utility::RESIDENCE_CARD_TEST_CHECK_CODE()));
      }
      break;
    }
    case Signatures::zero:
      break;
    case Signatures::fixedTest:
      checkCode = utility.hexStringToBinary(std::string(Utility::RESIDENCE_CARD_TEST_CHECK_CODE()));
      certificateField = utility.hexStringToBinary(std::string(Utility::RESIDENCE_CARD_TEST_CERTIFICATE()));
      break;
  }
  Files f;
  f.commonData = element(0xC0, options.version);
  f.cardType = element(0xC1, toBytes(options.cardType));
  f.frontImage = options.frontImageFile.empty() ? filled(element(0xD0, front), 7004) : options.frontImageFile;
  f.photo = options.photoFile.empty() ? filled(element(0xD1, photo), 3004) : options.photoFile;
  if (options.tamperedPhoto) f.photo[100] ^= 0x01;
  f.address = element(0xD2, options.date);
  for (const auto& part : {element(0xD3, options.code), element(0xD4, address)}) {
    f.address.insert(f.address.end(), part.begin(), part.end());
  }
  f.comprehensivePermission = element(0xD5, comprehensive);
  f.individualPermission = element(0xD6, individual);
  f.updateStatus = element(0xD7, options.updateStatus);
  f.signatures = element(0xDA, checkCode);
  const Bytes db = element(0xDB, certificateField);
  f.signatures.insert(f.signatures.end(), db.begin(), db.end());
  return f;
}

std::shared_ptr<VirtualCard> VirtualResidenceCard::make(const Options& options) {
  const Files f = files(options);
  auto card = std::make_shared<VirtualCard>("virtual residence card");
  card->masterFile()
      .addFile(0x000B, f.commonData, VirtualAccess(), 0x0B)
      .addFile(0x000A, f.cardType, VirtualAccess(), 0x0A);
  card->addApplication("DF1", DF1_AID)
      .addFile(0x0005, f.frontImage, VirtualAccess::never(), 0x05)
      .addFile(0x0006, f.photo, VirtualAccess::never(), 0x06);
  card->addApplication("DF2", DF2_AID)
      .addFile(0x0001, f.address, VirtualAccess(), 0x01)
      .addFile(0x0002, f.comprehensivePermission, VirtualAccess(), 0x02)
      .addFile(0x0003, f.individualPermission, VirtualAccess(), 0x03)
      .addFile(0x0004, f.updateStatus, VirtualAccess(), 0x04);
  card->addApplication("DF3", DF3_AID).addFile(0x0002, f.signatures, VirtualAccess(), 0x02);
  card->onInstruction(0x84, [options](const VirtualCommand&, VirtualCardContext& context) {
         return getChallenge(options, context);
       })
      .onInstruction(0x82, [options](const VirtualCommand& command, VirtualCardContext& context) {
        return mutualAuthenticate(options, command, context);
      })
      .onInstruction(0x20, [options](const VirtualCommand& command, VirtualCardContext& context) {
        return protectedVerify(options, command, context);
      })
      .onInstruction(0xB0, [](const VirtualCommand& command, VirtualCardContext& context) {
        return protectedRead(command, context);
      });
  return card;
}

}  // namespace ekyc

namespace ekyc {
std::shared_ptr<VirtualCard> VirtualResidenceCard::make() { return make(Options()); }
}  // namespace ekyc
