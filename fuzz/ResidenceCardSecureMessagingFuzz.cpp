// libFuzzer target: the residence card's secure messaging on whatever a card answers. The target
// plays the card's side with the keys it can work out, so that the fuzzer gets past the MACs:
//   mode byte   bit 0 the challenge is 8 bytes (else its length is the next byte modulo 12);
//               bit 1 the answer to MUTUAL AUTHENTICATE is built (else it is a piece of the input);
//               bit 2 the built answer echoes this session's challenges (else 32 bytes of input);
//               bit 3 the built answer carries its correct MAC (else 8 bytes of input);
//               bit 4 the protected READ answer is built (else it is the rest of the input);
//               bit 5 the built READ answer has the head 86 82 Hi Lo 01 (else 5 bytes of input);
//               bit 6 the card number is a piece of the input (else "AB12345678CD")
//   then the terminal's 24 random bytes, the challenge, kIcc (16 bytes) when the echoes are built,
//   for a built READ answer the plain file with its padding (a piece: whole blocks are encrypted
//   under the session key, the bytes past them appended as they are), then the length of the file
//   (two bytes) and, for an answer not built, the answer.
// Nothing may crash or read past the end; a well-formed exchange must be taken, the session key
// must be the one both sides derive, and a built READ answer must give back the first bytes of its
// plain data, whatever its head and padding, exactly when it has enough of them.
// fuzz-sources: ResidenceCard/ResidenceCardSecureMessaging.cpp Platform/FixedRandomSource.cpp
// fuzz-sources: Platform/BlockCipher.cpp Utility/Crypt.cpp
// fuzz-parser: ResidenceCard/ResidenceCardSecureMessaging.cpp
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzInput.hpp"
#include "Platform/FixedRandomSource.hpp"
#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"
#include "Utility/Crypt.hpp"

namespace {

using ekyc::Bytes;

Bytes join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes first16(const Bytes& digest) { return Bytes(digest.begin(), digest.begin() + std::min<std::size_t>(16, digest.size())); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  fuzz::FuzzInput input(data, size);
  const std::uint8_t mode = input.byte();
  const auto bit = [mode](int n) { return (mode >> n & 1) != 0; };
  const Crypt crypt;
  const Bytes zeroIv(8, 0x00);

  const Bytes random = input.fixed(24);
  const Bytes challenge = bit(0) ? input.fixed(8) : input.fixed(input.byte() % 12);
  std::string cardNumber = "AB12345678CD";
  if (bit(6)) {
    const Bytes text = input.piece();
    cardNumber.assign(text.begin(), text.end());
  }

  ResidenceCardSecureMessaging sm;
  FixedRandomSource randomSource(random);
  const auto mutual = sm.mutualAuthenticate(cardNumber, challenge, randomSource);
  if (mutual.has_value() != (challenge.size() == 8)) __builtin_trap();
  if (mutual && mutual->encoded().size() != 46) __builtin_trap();
  const Bytes kEnc = first16(crypt.sha1(Bytes(cardNumber.begin(), cardNumber.end())));
  if (mutual && sm.kEnc() != kEnc) __builtin_trap();

  // The card's answer: 3DES(kEnc, rndIcc || rndIfd || kIcc) and its retail MAC.
  const Bytes rndIfd(random.begin(), random.begin() + 8), kIfd(random.begin() + 8, random.end());
  Bytes kIcc, answer;
  const bool builtAnswer = bit(1) && mutual;
  if (builtAnswer) {
    kIcc = bit(2) ? input.fixed(16) : Bytes{};
    const Bytes r = bit(2) ? join(join(challenge, rndIfd), kIcc) : input.fixed(32);
    const Bytes eIcc = crypt.TDES(kEnc, r, zeroIv, crypt.ENCRYPT);
    answer = join(eIcc, bit(3) ? crypt.getRetailMac(eIcc, kEnc) : input.fixed(8));
  } else {
    answer = input.piece();
  }
  const bool accepted = sm.acceptCardAuthentication(answer);
  if (builtAnswer && bit(2) && bit(3) && !accepted) __builtin_trap();
  if (accepted != sm.isAuthenticated()) __builtin_trap();
  Bytes kSenc;
  if (accepted) {
    const auto verify = sm.verify(cardNumber);
    if (verify.has_value() != (cardNumber.size() == 12)) __builtin_trap();
    if (verify && verify->encoded().size() != 24) __builtin_trap();
    if (builtAnswer && bit(2)) {
      Bytes seed(16);
      for (std::size_t i = 0; i < 16; ++i) seed[i] = kIfd[i] ^ kIcc[i];
      kSenc = first16(crypt.sha1(join(seed, {0x00, 0x00, 0x00, 0x01})));
      if (sm.kSenc() != kSenc) __builtin_trap();
    }
    kSenc = sm.kSenc();
  }

  // The protected READ answer: 86 82 Hi Lo 01 || 3DES(kSenc, file || padding).
  Bytes readAnswer;
  bool checkable = false;  // a built answer of whole blocks under the session key
  Bytes blocks;
  if (bit(4)) {
    const Bytes plain = input.piece();
    const std::size_t whole = plain.size() - plain.size() % 8;
    blocks.assign(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(whole));
    const Bytes tail(plain.begin() + static_cast<std::ptrdiff_t>(whole), plain.end());
    Bytes cipher = accepted && !blocks.empty() ? crypt.TDES(kSenc, blocks, zeroIv, crypt.ENCRYPT) : blocks;
    cipher.insert(cipher.end(), tail.begin(), tail.end());
    const std::size_t stated = cipher.size() + 1;
    const Bytes head = bit(5) ? Bytes{0x86, 0x82, static_cast<std::uint8_t>(stated >> 8), static_cast<std::uint8_t>(stated), 0x01}
                              : input.fixed(5);
    readAnswer = join(head, cipher);
    checkable = accepted && tail.empty() && !blocks.empty();
  }
  std::size_t length = static_cast<std::size_t>(input.byte()) << 8;
  length |= input.byte();
  if (!bit(4)) readAnswer = input.rest();
  if (ResidenceCardSecureMessaging::read(0x85).encoded().size() != 13) __builtin_trap();
  const auto file = sm.unwrap(readAnswer, length);
  if (file && (!accepted || file->size() != length || length + 5 > readAnswer.size())) __builtin_trap();
  if (checkable) {
    const std::optional<Bytes> expected =
        blocks.size() >= length ? std::optional(Bytes(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(length)))
                                : std::nullopt;
    if (expected != file) __builtin_trap();
  }
  return 0;
}
