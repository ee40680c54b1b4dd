#include "Sign/Signature.hpp"

#include "Platform/Digest.hpp"
#include "Sign/SHA256WIP.hpp"
#include "Utility/ConstDataLength.hpp"

namespace ekyc {

Signature::Signature() : HS(SHA256WIP::initialHashValues()), KS(SHA256WIP::roundConstants()) {}

std::optional<Bytes> Signature::createVerifyDriverLicenseSrc(const Bytes& df1Ef01, const Bytes& df1Ef02,
                                                             const Bytes& df2Ef01) const {
  const ConstDataLength length;
  const std::size_t entries = static_cast<std::size_t>(length.LICENSE_ENTRIES);
  const std::size_t domicile = static_cast<std::size_t>(length.REGISTERED_DOMICILE);
  const std::size_t photo = static_cast<std::size_t>(length.PHOTO);
  if (df1Ef01.size() < entries || df1Ef02.size() < domicile || df2Ef01.size() < photo) return std::nullopt;
  Bytes source;
  source.reserve(static_cast<std::size_t>(length.DRIVER_LICENSE_RAWDATA));
  source.insert(source.end(), df1Ef01.begin(), df1Ef01.begin() + static_cast<std::ptrdiff_t>(entries));
  source.insert(source.end(), df1Ef02.begin(), df1Ef02.begin() + static_cast<std::ptrdiff_t>(domicile));
  source.insert(source.end(), df2Ef01.begin(), df2Ef01.begin() + static_cast<std::ptrdiff_t>(photo));
  return source;
}

std::optional<Bytes> Signature::createParityHashForDrierLicense(const Bytes& licenseEntriesRawData,
                                                                const Bytes& registeredDomicileRawData,
                                                                const Bytes& photoRawData) const {
  Bytes joined = licenseEntriesRawData;
  joined.insert(joined.end(), registeredDomicileRawData.begin(), registeredDomicileRawData.end());
  joined.insert(joined.end(), photoRawData.begin(), photoRawData.end());
  const Bytes wip = SHA256WIP(std::move(joined), ConstDataLength().DL_LOOP_TIME).calculate32();
  Bytes outer = licenseEntriesRawData;
  outer.insert(outer.end(), photoRawData.begin(), photoRawData.end());
  outer.insert(outer.end(), wip.begin(), wip.end());
  return Digest::sha256(outer);
}

std::int64_t Signature::calcOffset(std::int64_t overall, std::int64_t required) const {
  if (overall < required || required <= 0) return 0;
  const std::int64_t blocks = (required + 63) / 64;
  return 64 * blocks - required;
}

}  // namespace ekyc
