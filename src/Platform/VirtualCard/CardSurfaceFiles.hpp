#pragma once
// The files of the card-surface application (AID D3 92 10 00 31 00 01 01 04 02) and of the
// input-support application (AID D3 92 10 00 31 00 01 01 04 08) of a virtual Individual Number
// Card, built from a sample holder and the card's keys. The integrity data is consistent the way
// a real card's is:
// - cs EF 0005: DF43 signs SHA-256(TLV DF41 || TLV DF42) with the card-surface key;
// - cs EF 0002: DF28 signs SHA-256 of the 96 bytes H(DF22 DF23 DF24) H(DF25 DF26) H(DF27), each
//   H over the whole elements (tag, length octets, value) with the card-surface key;
// - sup EF 0003: DF31 = SHA-256 of the 17 bytes of EF 0001 as read, DF32 = SHA-256 of the whole
//   elements DF22..DF25 of EF 0002, DF33 signs SHA-256(DF31 20 h1 DF32 20 h2) with the
//   input-support key;
// - EF 0004 of each: 7F21 { 5F4E <card-verifiable certificate body>, 5F37 <issuer signature over
//   the whole 5F4E element> }, the body carrying the application's RSA public key in 7F49.
// All signatures are RSASSA-PKCS1-v1_5 with SHA-256. Files are padded with FF to the length the
// readers ask for.
#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/CardSurfaceHolder.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"

namespace ekyc {

struct CardSurfaceFiles {
  // Card-surface application.
  Bytes csEf0002;  // 5498 bytes: FF20 { DF21 .. DF2A }
  Bytes csEf0004;  // 568 bytes: 7F21 { 5F4E, 5F37 }
  Bytes csEf0005;  // 1664 bytes: FF40 { DF41, DF42, DF43 }
  // Input-support application.
  Bytes supEf0001;  // 17 bytes: FF10 0C <12 digits> FF FF
  Bytes supEf0002;  // 1024 bytes: FF20 { DF21 .. DF25 }
  Bytes supEf0003;  // 336 bytes: FF30 { DF31, DF32, DF33 }
  Bytes supEf0004;  // 568 bytes: 7F21 { 5F4E, 5F37 }

  static CardSurfaceFiles build(const CardSurfaceHolder& holder, const CardSurfaceKeys& keys);

  // Nominal sizes, the lengths the readers' READ BINARY commands ask for.
  static constexpr std::size_t CS_EF0002_SIZE = 5498;
  static constexpr std::size_t CS_EF0004_SIZE = 568;
  static constexpr std::size_t CS_EF0005_SIZE = 1664;
  static constexpr std::size_t SUP_EF0001_SIZE = 17;
  static constexpr std::size_t SUP_EF0002_SIZE = 1024;
  static constexpr std::size_t SUP_EF0003_SIZE = 336;
  static constexpr std::size_t SUP_EF0004_SIZE = 568;

  // A BER-TLV element: tag bytes, definite length (short form, or 81 / 82 long form), value.
  static Bytes tlv(const Bytes& tag, const Bytes& value);
  // A card-verifiable certificate record (the EF 0004 contents, unpadded) for the public key of
  // `subject`, signed by `issuer`; `holderReference` names the application.
  static Bytes certificateRecord(const CardSurfaceKeys::Key& subject, const CardSurfaceKeys::Key& issuer,
                                 const std::string& holderReference);
  // A small greyscale picture (binary PGM) with a pattern drawn from the seed text.
  static Bytes picture(std::size_t width, std::size_t height, const std::string& seed);
};

}  // namespace ekyc
