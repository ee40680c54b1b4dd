#pragma once
// The PKCS #1 DigestInfo (RFC 8017, section 9.2) of data under a named hash, as the JPKI
// application's COMPUTE DIGITAL SIGNATURE takes it: the card pads and signs, it does not hash.
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class DigestInfo {
 public:
  // No check here; an unsupported hash name gives the fixed 12-byte value of create().
  DigestInfo(Bytes tbsData, std::string hashAlgorithm);

  // The data to be signed, not yet hashed.
  const Bytes& tbsData() const { return tbsData_; }
  // "SHA-256", "SHA-384" or "SHA-512" (compared case-sensitively).
  const std::string& hashAlgorithm() const { return hashAlgorithm_; }

  // DER: 30 Lt 30 La 06 Lo OID 05 00 04 Ld digest. For an unsupported name
  // 30 0A 30 05 06 01 00 05 00 04 01 00.
  Bytes create() const;
  // 256, 384 or 512; 256 for an unsupported name.
  int getDigestBitLength() const;

 private:
  Bytes tbsData_;
  std::string hashAlgorithm_;

  Bytes createDigest(const Bytes& data, const std::string& hashAlgorithm) const;
  Bytes getHashAlgorithmOidHex(const std::string& hashAlgorithm) const;
};

}  // namespace ekyc
