#pragma once
// The residence card's secure messaging, with no I/O: the reader hands it the card's answers and
// sends the commands it builds.
//
//   kEnc   = SHA-1(card number)[0..16)
//   S      = rndIfd(8) || rndIcc(8) || kIfd(16);  eIfd = 3DES-CBC(kEnc, S);  mIfd = MAC(kEnc, eIfd)
//   MUTUAL AUTHENTICATE 00 82 00 00 28 || eIfd || mIfd || 00
//   answer eIcc(32) || mIcc(8): mIcc = MAC(kEnc, eIcc);  R = 3DES-CBC^-1(kEnc, eIcc)
//          = rndIcc || rndIfd || kIcc(16)
//   kSenc  = SHA-1((kIfd XOR kIcc) || 00 00 00 01)[0..16)
//   VERIFY 08 20 00 86 13 || 86 11 01 || 3DES-CBC(kSenc, number || 80 00 00 00)
//   READ   08 B0 P1 00 00 00 04 96 02 00 00 00 00; answer 86 82 Hi Lo 01 || 3DES-CBC(kSenc, file || pad),
//          the file the first 7004 (front image) or 3004 (photo) bytes of the decrypted cryptogram
// 3DES is two-key triple DES (K1 K2 K1) in CBC mode with a zero IV; MAC is the retail MAC of
// ISO/IEC 9797-1 (algorithm 3, padding method 2); both are the toolkit's (Crypt, over OpenSSL).
//
// The card's cryptogram is checked before it is used: it must be 40 bytes, carry a matching MAC and
// echo this session's two challenges (an answer recorded in another session is refused). A
// protected answer carries no MAC: its head and its padding are not examined (the file is cut at
// its fixed length, so they can corrupt nothing); it must only hold whole cipher blocks, enough for
// the file, so that nothing is read past it. Each step that cannot go on gives an absent result and
// builds no command.
//
// No key, random value or card number leaves this object; the values are kept only for the one
// request and overwritten with zeros when it is destroyed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"

namespace ekyc {

class RandomSource;

class ResidenceCardSecureMessaging {
 public:
  ResidenceCardSecureMessaging() = default;
  ResidenceCardSecureMessaging(const ResidenceCardSecureMessaging&) = delete;
  ResidenceCardSecureMessaging& operator=(const ResidenceCardSecureMessaging&) = delete;
  ~ResidenceCardSecureMessaging();

  // SHA-1 of the card number's bytes (20 bytes); kEnc is its first 16.
  static Bytes generateKEnc(const Bytes& pin);

  // Step 1-3: from the card number (upper-cased by the reader) and the GET CHALLENGE answer, draws
  // rndIfd and kIfd from `random` and builds MUTUAL AUTHENTICATE. Absent when the challenge is not
  // 8 bytes, the random source fails or a cipher step fails.
  std::optional<NFCISO7816APDU> mutualAuthenticate(const std::string& cardNumber, const Bytes& challenge,
                                                   RandomSource& random);

  // Steps 5-6: checks the card's answer (40 bytes, MAC, both challenges echoed) and derives the
  // session key. False when any check fails; nothing is kept then.
  bool acceptCardAuthentication(const Bytes& answer);

  // Step 7: the protected VERIFY of the card number; absent before authentication or when the
  // number does not give one 16-byte cryptogram (it is not 12 bytes).
  std::optional<NFCISO7816APDU> verify(const std::string& cardNumber) const;

  // Step 8: the protected READ BINARY of a file by its P1 (80 + short file identifier).
  static NFCISO7816APDU read(std::uint8_t p1);

  // Step 9: the first `length` bytes of the decrypted cryptogram after the 5-byte head; absent
  // before authentication, when the cryptogram is not whole cipher blocks or is shorter than
  // `length`, and when the decryption fails.
  std::optional<Bytes> unwrap(const Bytes& answer, std::size_t length) const;

  bool isAuthenticated() const { return !kSenc_.empty(); }

  // The values of a session, for known-answer tests.
  const Bytes& kEnc() const { return kEnc_; }
  const Bytes& eIfd() const { return eIfd_; }
  const Bytes& mIfd() const { return mIfd_; }
  const Bytes& kIcc() const { return kIcc_; }
  const Bytes& kSenc() const { return kSenc_; }

 private:
  void clear();

  Bytes kEnc_, rndIcc_, rndIfd_, kIfd_, eIfd_, mIfd_, eIcc_, mIcc_, kIcc_, kSenc_;
};

}  // namespace ekyc
