#include "Utility/ConsentXmlUtility.hpp"

#include <cstdint>
#include <utility>
#include <vector>

namespace ekyc {

namespace {

using Substitution = std::pair<const std::string*, std::string>;

// The template with each placeholder replaced where the template has it; inserted values are not
// searched again.
std::string fill(const std::string& text, const std::vector<Substitution>& substitutions) {
  std::string out;
  out.reserve(text.size() + 256);
  std::size_t pos = 0;
  while (pos < text.size()) {
    bool replaced = false;
    for (const auto& [placeholder, value] : substitutions) {
      if (text.compare(pos, placeholder->size(), *placeholder) == 0) {
        out += value;
        pos += placeholder->size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out.push_back(text[pos++]);
  }
  return out;
}

// Length of the valid UTF-8 sequence at pos and its code point; 0 when the bytes are not UTF-8.
std::size_t utf8Sequence(const std::string& s, std::size_t pos, std::uint32_t& cp) {
  const auto b = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t c = b(pos);
  std::size_t n = 0;
  if (c < 0x80) { cp = c; return 1; }
  if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
  else return 0;
  if (s.size() - pos < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(pos + i) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (b(pos + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return n;
}

}  // namespace

ConsentXmlUtility::ConsentXmlUtility()
    : CONSENT_REVOKE_APPLY_BASE(
          "<利用者同意取消申請情報><申請書><申請日>applyDate</申請日><申請時間>applyTime</申請時間>"
          "<サービスID>serviceId</サービスID><サービス事業者ID>serviceProviderId</サービス事業者ID></申請書>"
          "</利用者同意取消申請情報>"),
      SIGNED_INFO_BASE(
          "<SignedInfo>"
          "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\">"
          "</CanonicalizationMethod>"
          "<SignatureMethod Algorithm=\"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256\"></SignatureMethod>"
          "<Reference><Transforms>"
          "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"></Transform>"
          "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"></Transform>"
          "</Transforms>"
          "<DigestMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"></DigestMethod>"
          "<DigestValue>digestValueEntity</DigestValue>"
          "</Reference></SignedInfo>"),
      SIGNATURE_BASE(
          "<Signature>signedInfo<SignatureValue>signatureValueEntity</SignatureValue>"
          "<KeyInfo><X509Data><X509Certificate>certificateEntity</X509Certificate></X509Data></KeyInfo>"
          "</Signature>"),
      XML_DECLARATION("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
      APPLY_DATE("applyDate"),
      APPLY_TIME("applyTime"),
      SERVICE_ID("serviceId"),
      SERVICE_PROVIDER_ID("serviceProviderId"),
      DIGEST_VALUE_ENTITY("digestValueEntity"),
      SIGNED_INFO("signedInfo"),
      SIGNATURE_VALUE_ENTITY("signatureValueEntity"),
      CERTIFICATE_ENTITY("certificateEntity") {}

std::string ConsentXmlUtility::escapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    std::uint32_t cp = 0;
    const std::size_t n = utf8Sequence(text, pos, cp);
    if (n == 0 || (cp < 0x20 && cp != 0x09 && cp != 0x0A && cp != 0x0D) || cp == 0xFFFE || cp == 0xFFFF) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      pos += n == 0 ? 1 : n;
      continue;
    }
    switch (cp) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\r': out += "&#xD;"; break;
      default: out.append(text, pos, n);
    }
    pos += n;
  }
  return out;
}

std::string ConsentXmlUtility::createBaseXmlForConsentRevokeApply(const std::string& applyDate,
                                                                  const std::string& applyTime,
                                                                  const std::string& serviceId,
                                                                  const std::string& serviceProviderId) const {
  return fill(CONSENT_REVOKE_APPLY_BASE, {{&APPLY_DATE, escapeText(applyDate)},
                                          {&APPLY_TIME, escapeText(applyTime)},
                                          {&SERVICE_ID, escapeText(serviceId)},
                                          {&SERVICE_PROVIDER_ID, escapeText(serviceProviderId)}});
}

std::string ConsentXmlUtility::createSignedInfoXml(const std::string& digestValue) const {
  return fill(SIGNED_INFO_BASE, {{&DIGEST_VALUE_ENTITY, escapeText(digestValue)}});
}

std::string ConsentXmlUtility::finalizeConsentXml(const std::string& baseXml, const std::string& signedInfoXml,
                                                  const std::string& signature,
                                                  const std::string& certificate) const {
  const std::string signatureXml =
      fill(SIGNATURE_BASE, {{&SIGNED_INFO, signedInfoXml},
                            {&SIGNATURE_VALUE_ENTITY, escapeText(signature)},
                            {&CERTIFICATE_ENTITY, escapeText(certificate)}});
  const std::size_t closing = baseXml.rfind('<');
  if (closing == std::string::npos) return XML_DECLARATION + baseXml + signatureXml;
  return XML_DECLARATION + baseXml.substr(0, closing) + signatureXml + baseXml.substr(closing);
}

}  // namespace ekyc
