#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"

#include <openssl/crypto.h>

#include "Platform/RandomSource.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/Crypt.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

constexpr std::size_t BLOCK = 8;
constexpr std::size_t KEY_LENGTH = 16;
constexpr std::size_t CRYPTOGRAM_LENGTH = 32;
constexpr std::size_t CARD_NUMBER_LENGTH = 12;
const Bytes ZERO_IV(BLOCK, 0x00);

Bytes slice(const Bytes& data, std::size_t from, std::size_t count) {
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
               data.begin() + static_cast<std::ptrdiff_t>(from + count));
}

bool sameBytes(const Bytes& a, const Bytes& b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

void wipe(Bytes& data) {
  if (!data.empty()) OPENSSL_cleanse(data.data(), data.size());
  data.clear();
}

}  // namespace

ResidenceCardSecureMessaging::~ResidenceCardSecureMessaging() { clear(); }

void ResidenceCardSecureMessaging::clear() {
  for (Bytes* value : {&kEnc_, &rndIcc_, &rndIfd_, &kIfd_, &eIfd_, &mIfd_, &eIcc_, &mIcc_, &kIcc_, &kSenc_}) wipe(*value);
}

Bytes ResidenceCardSecureMessaging::generateKEnc(const Bytes& pin) { return Crypt().sha1(pin); }

std::optional<NFCISO7816APDU> ResidenceCardSecureMessaging::mutualAuthenticate(const std::string& cardNumber,
                                                                                const Bytes& challenge,
                                                                                RandomSource& random) {
  clear();
  if (challenge.size() != static_cast<std::size_t>(ConstDataLength().GET_CHALLENGE_DATA_LENGTH)) return std::nullopt;
  Bytes digest = generateKEnc(toBytes(cardNumber));
  kEnc_ = slice(digest, 0, KEY_LENGTH);
  wipe(digest);
  rndIcc_ = challenge;
  auto rndIfd = random.randomBytes(BLOCK);
  auto kIfd = random.randomBytes(KEY_LENGTH);
  if (!rndIfd || rndIfd->size() != BLOCK || !kIfd || kIfd->size() != KEY_LENGTH) {
    clear();
    return std::nullopt;
  }
  rndIfd_ = std::move(*rndIfd);
  kIfd_ = std::move(*kIfd);

  Bytes s = rndIfd_;
  s.insert(s.end(), rndIcc_.begin(), rndIcc_.end());
  s.insert(s.end(), kIfd_.begin(), kIfd_.end());
  const Crypt crypt;
  eIfd_ = crypt.TDES(kEnc_, s, ZERO_IV, crypt.ENCRYPT);
  wipe(s);
  mIfd_ = crypt.getRetailMac(eIfd_, kEnc_);
  if (eIfd_.size() != CRYPTOGRAM_LENGTH || mIfd_.size() != BLOCK) {
    clear();
    return std::nullopt;
  }
  return ConstApduCmd().getMutualAuthenticateAdpuCmd(eIfd_, mIfd_);
}

bool ResidenceCardSecureMessaging::acceptCardAuthentication(const Bytes& answer) {
  if (kEnc_.empty() || rndIfd_.empty() ||
      answer.size() != static_cast<std::size_t>(ConstDataLength().MUTUAL_AUTH_DATA_LENGTH)) {
    return false;
  }
  const Crypt crypt;
  Bytes eIcc = slice(answer, 0, CRYPTOGRAM_LENGTH);
  Bytes mIcc = slice(answer, CRYPTOGRAM_LENGTH, BLOCK);
  if (!sameBytes(crypt.getRetailMac(eIcc, kEnc_), mIcc)) return false;
  Bytes r = crypt.TDES(kEnc_, eIcc, ZERO_IV, crypt.DECRYPT);
  // The card's cryptogram must answer this session's challenges, in the order the card sends them.
  const bool bound = r.size() == CRYPTOGRAM_LENGTH && sameBytes(slice(r, 0, BLOCK), rndIcc_) &&
                     sameBytes(slice(r, BLOCK, BLOCK), rndIfd_);
  if (!bound) {
    wipe(r);
    return false;
  }
  eIcc_ = std::move(eIcc);
  mIcc_ = std::move(mIcc);
  kIcc_ = slice(r, 2 * BLOCK, KEY_LENGTH);
  wipe(r);
  Bytes seed = Utility().xorUInt8Array(kIfd_, kIcc_);
  seed.insert(seed.end(), {0x00, 0x00, 0x00, 0x01});
  Bytes digest = crypt.sha1(seed);
  wipe(seed);
  kSenc_ = slice(digest, 0, KEY_LENGTH);
  wipe(digest);
  return true;
}

std::optional<NFCISO7816APDU> ResidenceCardSecureMessaging::verify(const std::string& cardNumber) const {
  if (!isAuthenticated() || cardNumber.size() != CARD_NUMBER_LENGTH) return std::nullopt;
  auto command = ConstApduCmd().getVerifyForResidenceCardAdpuCmd(toBytes(cardNumber), kSenc_);
  // 86 11 01 and a 16-byte cryptogram; a failed cipher step leaves the cryptogram empty.
  if (command.data().size() != 3 + KEY_LENGTH) return std::nullopt;
  return command;
}

NFCISO7816APDU ResidenceCardSecureMessaging::read(std::uint8_t p1) {
  return ConstApduCmd().getReadSMResidenceCardApduCmd(0, p1);
}

std::optional<Bytes> ResidenceCardSecureMessaging::unwrap(const Bytes& answer, std::size_t length) const {
  // The head (86 82 Hi Lo 01) is dropped unexamined; so is the padding after the file, which its
  // fixed length cuts off.
  constexpr std::size_t HEAD = 5;
  if (!isAuthenticated() || answer.size() < HEAD) return std::nullopt;
  const std::size_t cipherLength = answer.size() - HEAD;
  if (cipherLength < length || cipherLength % BLOCK != 0) return std::nullopt;
  const Crypt crypt;
  Bytes plain = crypt.TDES(kSenc_, slice(answer, HEAD, cipherLength), ZERO_IV, crypt.DECRYPT);
  if (plain.size() != cipherLength) return std::nullopt;
  plain.resize(length);
  return plain;
}

}  // namespace ekyc
