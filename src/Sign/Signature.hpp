#pragma once
// The signed bytes of an IC driving licence and two values derived from the same three files (the
// entries DF1 EF 0001, the registered domicile DF1 EF 0002, the photo DF2 EF 0001):
//   - the verification source: the first 880, 82 and 2005 bytes of the three files joined (2967
//     bytes), whose SHA-256 the licence reader sends as the expected hash;
//   - the parity hash: SHA-256 of the entries, the photo and the 16-block partial SHA-256 of the
//     three files joined (the domicile enters only through the partial hash);
//   - the offset: the bytes from `required` up to the next multiple of 64.
// No state between calls.
#include <array>
#include <cstdint>
#include <optional>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Signature {
 public:
  // FIPS 180-4 H(0) and K; nothing reads them (the partial SHA-256 has its own).
  const std::array<std::uint32_t, 8>& HS;
  const std::array<std::uint32_t, 64>& KS;

  Signature();
  virtual ~Signature() = default;

  // The 2967-byte source; absent when an input is shorter than its fixed size (a card that
  // answered with less than the file holds), so nothing is ever read past an input's end.
  virtual std::optional<Bytes> createVerifyDriverLicenseSrc(const Bytes& df1Ef01, const Bytes& df1Ef02,
                                                            const Bytes& df2Ef01) const;
  // The 32-byte parity hash over the whole inputs; always present.
  virtual std::optional<Bytes> createParityHashForDrierLicense(const Bytes& licenseEntriesRawData,
                                                               const Bytes& registeredDomicileRawData,
                                                               const Bytes& photoRawData) const;
  // 0 when overall < required, else 64 * ceil(required / 64) - required (0 for required <= 0).
  virtual std::int64_t calcOffset(std::int64_t overall, std::int64_t required) const;
};

}  // namespace ekyc
