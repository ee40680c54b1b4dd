#pragma once
// The consent-revoke document and its enveloped XML signature, built from one-line templates.
//
// Every value is put in at its placeholder's place in the template in one pass, so a value that
// contains a placeholder word stays as it is. Values are escaped for XML text content the way
// Canonical XML 1.0 writes text ("&", "<", ">" and carriage return as references), so the document
// is well-formed and each part of it is already in canonical form: the digest of the application
// document and the signature over SignedInfo hold for a verifier that canonicalizes first.
// Characters that XML cannot carry (C0 controls other than tab, line feed and carriage return,
// U+FFFE, U+FFFF, bytes that are not UTF-8) become U+FFFD.
#include <string>

namespace ekyc {

class ConsentXmlUtility {
 public:
  ConsentXmlUtility();

  const std::string CONSENT_REVOKE_APPLY_BASE;
  const std::string SIGNED_INFO_BASE;
  const std::string SIGNATURE_BASE;
  const std::string XML_DECLARATION;

  const std::string APPLY_DATE;              // "applyDate"
  const std::string APPLY_TIME;              // "applyTime"
  const std::string SERVICE_ID;              // "serviceId"
  const std::string SERVICE_PROVIDER_ID;     // "serviceProviderId"
  const std::string DIGEST_VALUE_ENTITY;     // "digestValueEntity"
  const std::string SIGNED_INFO;             // "signedInfo"
  const std::string SIGNATURE_VALUE_ENTITY;  // "signatureValueEntity"
  const std::string CERTIFICATE_ENTITY;      // "certificateEntity"

  // The application document with the four values put in.
  std::string createBaseXmlForConsentRevokeApply(const std::string& applyDate, const std::string& applyTime,
                                                 const std::string& serviceId,
                                                 const std::string& serviceProviderId) const;
  // The SignedInfo element with the digest value (base64) put in.
  std::string createSignedInfoXml(const std::string& digestValue) const;
  // Declaration, the base document up to its closing root tag, the Signature element (SignedInfo
  // as given, signature and certificate in base64), then the closing root tag.
  std::string finalizeConsentXml(const std::string& baseXml, const std::string& signedInfoXml,
                                 const std::string& signature, const std::string& certificate) const;

  // Text escaped for XML character data in canonical form (see above).
  static std::string escapeText(const std::string& text);
};

}  // namespace ekyc
