#include "Sign/SignatureData.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Utility/Const.hpp"

namespace ekyc {

SignatureData::SignatureData(std::optional<Bytes> signature, std::optional<Bytes> signingCert,
                             std::optional<Bytes> tbsData, std::optional<std::string> hashAlgOid)
    : signature_(std::move(signature)),
      signingCert_(std::move(signingCert)),
      tbsData_(std::move(tbsData)),
      hashAlgOid_(std::move(hashAlgOid)) {}

SignatureData::SignatureData(std::optional<std::string> fourInfoConsentApply,
                             std::optional<std::string> fourInfoConsentRevokeApply)
    : fourInfoConsentApply_(std::move(fourInfoConsentApply)),
      fourInfoConsentRevokeApply_(std::move(fourInfoConsentRevokeApply)) {}

std::optional<std::string> SignatureData::getExpectedHash() const {
  if (!tbsData_ || !hashAlgOid_) return std::nullopt;
  const Const c;
  if (*hashAlgOid_ == c.OID_SHA256) return Base64::encode(Digest::sha256(*tbsData_));
  if (*hashAlgOid_ == c.OID_SHA384) return Base64::encode(Digest::sha384(*tbsData_));
  if (*hashAlgOid_ == c.OID_SHA512) return Base64::encode(Digest::sha512(*tbsData_));
  return std::nullopt;
}

}  // namespace ekyc
