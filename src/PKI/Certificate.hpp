#pragma once
// The subjectAltName items of the JPKI signature certificate: the four basic items of the holder
// and the substitute-character positions of the name and the address, each an otherName entry
// whose identifier is 1.2.392.200149.8.5.5.n.
#include <cstddef>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Certificate {
 public:
  Certificate();

  // Upper-case hex of the DER content octets of 1.2.392.200149.8.5.5.1 to .6.
  const std::string OID_COMMON_NAME;                           // name
  const std::string OID_SUB_STITUTE_CHARACTER_OF_COMMON_NAME;  // substitute characters of the name
  const std::string OID_GENDER;                                // gender
  const std::string OID_DATE_OF_BIRTH;                         // date of birth
  const std::string OID_ADDRESS;                               // address
  const std::string OID_SUB_STITUTE_CHARACTER_OF_ADDRESS;      // substitute characters of the address

  // The value bytes of the otherName entry with the given identifier (hex of its content octets):
  //   06 len <identifier> A0 <length> <string tag> <length> <value>
  // Lengths may take the short or the long form. The identifier is searched byte by byte inside
  // the certificate's DER element when the data starts with one that fits (the card file's fill
  // after it is not searched), else inside the whole data. Every step stays inside the data: an
  // entry that does not have this shape or runs past the end is not taken, and the search goes on
  // to the next occurrence. Absent when no occurrence has the shape.
  std::optional<Bytes> getSubjectAltNameCont(const Bytes& certificateData, const std::string& oid) const;

  // Whether `der` is one X.509 certificate whose DER element parses and spans exactly these bytes.
  static bool isWholeCertificate(const Bytes& der);
  // The length in bytes of the modulus of the certificate's RSA public key (the length of every
  // signature that key makes); absent when `der` is not a whole certificate or its key is not RSA.
  static std::optional<std::size_t> rsaModulusLength(const Bytes& der);
};

}  // namespace ekyc
