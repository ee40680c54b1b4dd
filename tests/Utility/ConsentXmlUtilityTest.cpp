// The consent-revoke templates byte for byte and their three operations; that SignedInfo is in
// canonical form already is checked end to end (the card's signature over it verifies on the
// canonical form libxml2 makes of the signed document).
#include <gtest/gtest.h>

#include "JpkiTestSupport.hpp"
#include "Utility/ConsentXmlUtility.hpp"

namespace ekyc {
namespace {

TEST(ConsentXmlUtility, SignedInfoTemplateByteForByte) {
  // Written out from the element list: empty elements with explicit end tags, one blank before
  // each Algorithm attribute, no whitespace between elements.
  const std::string expected =
      "<SignedInfo>"
      "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"></CanonicalizationMethod>"
      "<SignatureMethod Algorithm=\"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256\"></SignatureMethod>"
      "<Reference>"
      "<Transforms>"
      "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"></Transform>"
      "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"></Transform>"
      "</Transforms>"
      "<DigestMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"></DigestMethod>"
      "<DigestValue>digestValueEntity</DigestValue>"
      "</Reference>"
      "</SignedInfo>";
  const ConsentXmlUtility u;
  const std::string digest = "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=";
  std::string filled = expected;
  filled.replace(filled.find("digestValueEntity"), 17, digest);
  EXPECT_EQ(u.createSignedInfoXml(digest), filled);
}

TEST(ConsentXmlUtility, FillsTheApplicationDocument) {
  const ConsentXmlUtility u;
  EXPECT_EQ(u.createBaseXmlForConsentRevokeApply("2024/03/05", "09:07:30", "svc-1", "prov-2"),
            "<利用者同意取消申請情報><申請書><申請日>2024/03/05</申請日><申請時間>09:07:30</申請時間><サービスID>svc-1"
            "</サービスID><サービス事業者ID>prov-2</サービス事業者ID></申請書></利用者同意取消申請情報>");
}

TEST(ConsentXmlUtility, ValueHoldingAPlaceholderWordIsInsertedAsItIs) {
  const ConsentXmlUtility u;
  const std::string xml = u.createBaseXmlForConsentRevokeApply("applyTime", "t", "my-serviceProviderId-applyDate", "p");
  EXPECT_NE(xml.find("<申請日>applyTime</申請日>"), std::string::npos);
  EXPECT_NE(xml.find("<サービスID>my-serviceProviderId-applyDate</サービスID>"), std::string::npos);
  const std::string done = u.finalizeConsentXml("<r>x</r>", "<SignedInfo></SignedInfo>", "certificateEntity", "signedInfo");
  EXPECT_EQ(done, u.XML_DECLARATION +
                      "<r>x<Signature><SignedInfo></SignedInfo><SignatureValue>certificateEntity</SignatureValue>"
                      "<KeyInfo><X509Data><X509Certificate>signedInfo</X509Certificate></X509Data></KeyInfo>"
                      "</Signature></r>");
}

TEST(ConsentXmlUtility, CharactersXmlCannotCarryBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(ConsentXmlUtility::escapeText(std::string("a\x01" "b", 3)), "a" + replacement + "b");
  EXPECT_EQ(ConsentXmlUtility::escapeText("\xFF\xC3"), replacement + replacement);  // not UTF-8, cut short
  EXPECT_EQ(ConsentXmlUtility::escapeText("\xED\xA0\x80"), replacement + replacement + replacement);  // surrogate
  EXPECT_EQ(ConsentXmlUtility::escapeText("\xEF\xBF\xBF"), replacement);  // U+FFFF
  EXPECT_EQ(ConsentXmlUtility::escapeText("髙\xF0\x9F\x98\x80"), "髙\xF0\x9F\x98\x80");
  const ConsentXmlUtility u;
  const std::string base = u.createBaseXmlForConsentRevokeApply("d", "t", std::string("\x01\x1F\xFE", 3), "p");
  const auto check = test::checkXml(base);
  ASSERT_TRUE(check.wellFormed);
  EXPECT_EQ(check.canonicalWithoutSignature, base);
}

}  // namespace
}  // namespace ekyc
