#pragma once
// The licence's common data (EF 2F01 of the master file): the values of tags 45 and 46, kept
// unchanged.
#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseCommonData {
 public:
  LicenseCommonData(Bytes issuer, Bytes issueBefore);

  // The value bytes of tag 45.
  const Bytes& issuer() const { return issuer_; }
  // The value bytes of tag 46.
  const Bytes& issueBefore() const { return issueBefore_; }

  bool operator==(const LicenseCommonData&) const = default;

 private:
  Bytes issuer_;
  Bytes issueBefore_;
};

}  // namespace ekyc
