#pragma once
// Shared pieces of the JPKI tests: fixed RSA test keys, the default virtual JPKI contents,
// and independent OpenSSL checks of what the library returns.
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualJpkiContents.hpp"

namespace ekyc::test {

// Fixed RSA-2048 keys (read once per process): generating keys is the slow part of a virtual card.
const VirtualJpkiContents::Keys& jpkiKeys();
// The default contents (sample holder) made with jpkiKeys().
const VirtualJpkiContents& jpkiContents();

// Digest by OpenSSL name ("SHA256", "SHA384", "SHA512").
Bytes sha(const Bytes& data, const std::string& opensslName);
// Whether signature is a PKCS #1 v1.5 signature of data under the named hash by the certificate's key.
bool verifySignature(const Bytes& certificateDer, const std::string& opensslName, const Bytes& data,
                     const Bytes& signature);

// Independent XML checks with libxml2.
struct XmlCheck {
  bool wellFormed = false;
  std::string rootName;
  std::string lastChildOfRoot;    // name of the root's last element child
  std::string canonicalWithoutSignature;  // C14N 1.0 of the document with Signature removed
  std::string canonicalSignedInfo;        // C14N 1.0 of the SignedInfo element
  std::string digestValue;                // text of DigestValue
  std::string signatureValue;             // text of SignatureValue
  std::string certificate;                // text of X509Certificate
  bool signatureHasNamespace = true;
  bool referenceHasUri = true;
};
XmlCheck checkXml(const std::string& document);

}  // namespace ekyc::test
