#pragma once
// The external-character table a licence target looks its characters up in: the two files
// (DF1 EF 0003 and EF 0005) taken from the input as two pieces, as the licence reader reads them;
// an empty table when they do not give one, so that the rest of the input is still worked on.
#include <utility>

#include "DriverLicense/LicenseExternalCharacters.hpp"
#include "FuzzInput.hpp"

namespace ekyc::fuzz {

inline LicenseExternalCharacters licenseTable(FuzzInput& input) {
  const Bytes current = input.piece();
  const Bytes changed = input.piece();
  auto table = LicenseExternalCharacters::fromFiles(current, changed);
  return table ? std::move(*table) : LicenseExternalCharacters(false, {});
}

}  // namespace ekyc::fuzz
