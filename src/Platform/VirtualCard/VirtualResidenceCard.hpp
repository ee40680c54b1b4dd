#pragma once
// A virtual residence card that does the card side of the residence card's secure messaging:
//   MF   SFI 0B common data (C0, 6 bytes), SFI 0A card type (C1, 3 bytes);
//        GET CHALLENGE (8 fresh bytes) and MUTUAL AUTHENTICATE: the terminal's MAC is checked under
//        kEnc = SHA-1(card number)[0..16) and its cryptogram must carry the pending challenge
//        (else the configured status, 6300 by default); the card answers
//        3DES(kEnc, rndIcc || rndIfd || kIcc) and its MAC, and both sides derive kSenc;
//   DF1  (D3 92 F0 00 4F 02 + ten 00) SFI 05 front image (D0, 00 fill to 7004 bytes) and SFI 06
//        photo (D1, 00 fill to 3004 bytes), readable only with the protected READ BINARY after
//        the protected VERIFY of the card number (6300 for another number), answered as
//        86 82 Hi Lo 01 || 3DES(kSenc, file || 80 00..);
//   DF2  (… 4F 03) SFI 01 address (D2 D3 D4, 342 bytes), 02 and 03 permissions (D5, D6, 122 bytes
//        each), 04 update status (D7, 3 bytes);
//   DF3  (… 4F 04) SFI 02 signatures (DA check code 256 bytes, DB certificate field 1200 bytes).
// The secure-messaging state lives for the card session (it survives selecting DF1).
//
// The check code is a real RSASSA-PKCS1-v1_5 SHA-256 signature, by a virtual issuer made once per
// process, over SHA-256(front image || photo), each 00-filled to 7000 / 3000 bytes; the issuer's
// certificate (DER, then 00 fill) sits in DB. Options play every variant a reader must handle.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class VirtualCard;

class VirtualResidenceCard {
 public:
  static inline const Bytes DF1_AID = {0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  static inline const Bytes DF2_AID = {0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  static inline const Bytes DF3_AID = {0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

  enum class Signatures {
    issued,         // a check code by the virtual issuer and its certificate
    zero,           // DA and DB all 00 (a card without signatures)
    fixedTest,      // the toolkit's fixed test values (a test card)
    fixedCheckCode  // the fixed test check code with the issued certificate
  };

  struct Options {
    std::string cardNumber = "AB12345678CD";
    std::string cardType = "1";  // the C1 value's text
    Bytes version = toBytes("0100");
    Bytes frontImage;  // 7000 bytes or fewer; a sample when empty
    Bytes photo;       // 3000 bytes or fewer; a sample when empty (3000 zero bytes: a card without photo)
    // The front-image / photo file as the card holds it, in place of the element of frontImage /
    // photo when not empty (a file without its element, one of another width).
    Bytes frontImageFile, photoFile;
    Bytes date = toBytes("20301231");
    Bytes code = toBytes("130001");
    Bytes address;                  // 320 bytes; a sample (UTF-8, blank fill) when empty
    Bytes comprehensivePermission;  // 120 bytes; a sample when empty
    Bytes individualPermission;     // 120 bytes; a sample when empty
    Bytes updateStatus = toBytes("1");
    Signatures signatures = Signatures::issued;
    // Card-side faults.
    std::size_t challengeLength = 8;       // bytes answered to GET CHALLENGE
    std::uint16_t authenticationFailure = 0x6300;  // the status for a terminal cryptogram refused
    bool wrongCardMac = false;             // the card's MAC on its cryptogram is off by one bit
    bool staleCryptogram = false;          // the card's cryptogram answers another challenge (a replay)
    bool tamperedPhoto = false;            // one photo byte changed after the check code was made
  };

  // The files as the card holds them, built from the options.
  struct Files {
    Bytes commonData, cardType, frontImage, photo, address, comprehensivePermission, individualPermission,
        updateStatus, signatures;
  };

  static std::shared_ptr<VirtualCard> make();
  static std::shared_ptr<VirtualCard> make(const Options& options);
  static Files files(const Options& options);
  // The issuer's certificate (DER) that the card's certificate field holds.
  static const Bytes& issuerCertificate();
  static Bytes sampleFrontImage();
  static Bytes samplePhoto();
};

}  // namespace ekyc
