#pragma once
// Block-cipher, MAC, padding and SHA-1 helpers of the residence card's secure messaging.
#include <cstdint>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Crypt {
 public:
  const int ENCRYPT;
  const int DECRYPT;

  Crypt();

  // Triple DES in CBC mode without padding. mode ENCRYPT (0) encrypts, any other value decrypts.
  // A 16-byte key K1|K2 is used as K1|K2|K1; a 24-byte key as it is. Empty when the key is neither,
  // the IV is not 8 bytes, or the message is not a whole number of 8-byte blocks.
  Bytes TDES(const Bytes& key, const Bytes& message, const Bytes& iv, int mode) const;

  // Single DES with an 8-byte key. options as the platform's cipher options: 0 is CBC without
  // padding (what every caller passes); bit 0 adds PKCS#7 padding, bit 1 selects ECB (the IV is
  // then ignored). Empty on any error.
  Bytes DES(const Bytes& key, const Bytes& message, const Bytes& iv, int mode, int options) const;

  // DES CBC-MAC under the first 8 bytes of the key over the whole 8-byte blocks of src (a trailing
  // partial block is ignored), from a zero chaining value: 8 bytes. Short data gives 8 zero bytes;
  // a key shorter than 8 bytes gives empty.
  Bytes getCBCMac(const Bytes& src, const Bytes& key) const;

  // ISO/IEC 9797-1 MAC algorithm 3 (the retail MAC) with padding method 2, for data of whole
  // blocks: the CBC-MAC under K1, then the padding block 80 00 .. 00, then DES-decrypt under K2 and
  // DES-encrypt under K1. Key K1|K2 (16 bytes); empty for another key size.
  Bytes getRetailMac(const Bytes& src, const Bytes& key) const;

  // data[offset..<length] followed by 80 and 00 bytes up to the next multiple of 8 (ISO/IEC 7816-4
  // padding; a whole block of padding when the part is already a multiple of 8). The range is
  // clamped to the data.
  Bytes padding7816_4(const Bytes& data, std::size_t offset, std::size_t length) const;

  // The 20-byte SHA-1 digest.
  Bytes sha1(const Bytes& data) const;
};

}  // namespace ekyc
