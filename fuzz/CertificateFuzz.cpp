// The certificate item search and the DER checks over any certificate file: each item found lies
// inside the data, and a whole certificate has a key whose modulus fits in it.
// fuzz-sources: PKI/Certificate.cpp
// fuzz-parser: PKI/Certificate.cpp
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "PKI/Certificate.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Certificate certificate;
  const Bytes file(data, data + size);
  for (const auto* oid : {&certificate.OID_COMMON_NAME, &certificate.OID_SUB_STITUTE_CHARACTER_OF_COMMON_NAME,
                          &certificate.OID_GENDER, &certificate.OID_DATE_OF_BIRTH, &certificate.OID_ADDRESS,
                          &certificate.OID_SUB_STITUTE_CHARACTER_OF_ADDRESS}) {
    const auto item = certificate.getSubjectAltNameCont(file, *oid);
    if (item && (item->size() >= size ||
                 std::search(file.begin(), file.end(), item->begin(), item->end()) == file.end())) {
      __builtin_trap();
    }
  }
  const bool whole = Certificate::isWholeCertificate(file);
  const auto modulus = Certificate::rsaModulusLength(file);
  if (modulus && (!whole || *modulus == 0 || *modulus >= size)) __builtin_trap();
  return 0;
}
