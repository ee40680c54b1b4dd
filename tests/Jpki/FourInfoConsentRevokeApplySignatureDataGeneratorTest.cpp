// Consent-revoke document signing end to end. The returned document is checked independently with
// libxml2: well-formed, the canonical form (C14N 1.0) of the document without its Signature hashes
// to the DigestValue, the canonical SignedInfo verifies under the returned certificate with RSA and
// SHA-256, and the document keeps its shape (declaration first, no namespace on Signature, no URI
// on Reference, Signature as the root's last child).
#include <gtest/gtest.h>

#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"
#include "Utility/ConsentXmlUtility.hpp"

namespace ekyc::test {
namespace {

using Strings = std::vector<std::string>;
using Generator = FourInfoConsentRevokeApplySignatureDataGenerator;

std::string document(const JpkiRig& rig) {
  const auto record = rig.results->outcome().signatureData;
  const auto bytes = record ? Base64::decode(record->fourInfoConsentRevokeApply().value_or("")) : std::nullopt;
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

std::string elementText(const std::string& xml, const std::string& name) {
  const auto open = "<" + name + ">";
  const auto start = xml.find(open);
  const auto end = xml.find("</" + name + ">");
  if (start == std::string::npos || end == std::string::npos) return "<missing>";
  return xml.substr(start + open.size(), end - start - open.size());
}

// Checks the document as an XML-DSig verifier would (with the namespace-free shape) and returns
// the libxml2 view of it.
XmlCheck verifyDocument(const std::string& doc) {
  const auto check = checkXml(doc);
  EXPECT_TRUE(check.wellFormed);
  EXPECT_EQ(doc.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  EXPECT_EQ(check.rootName, "利用者同意取消申請情報");
  EXPECT_EQ(check.lastChildOfRoot, "Signature");
  EXPECT_FALSE(check.signatureHasNamespace);
  EXPECT_FALSE(check.referenceHasUri);
  EXPECT_EQ(check.digestValue, Base64::encode(sha(toBytes(check.canonicalWithoutSignature), "SHA256")));
  const auto certificate = Base64::decode(check.certificate);
  const auto signature = Base64::decode(check.signatureValue);
  EXPECT_TRUE(certificate && signature);
  if (certificate && signature) {
    EXPECT_EQ(*certificate, jpkiContents().signingCertificate);
    EXPECT_TRUE(verifySignature(*certificate, "SHA256", toBytes(check.canonicalSignedInfo), *signature));
  }
  return check;
}

TEST(FourInfoConsentRevokeApply, SignedDocumentVerifies) {
  JpkiRig rig;
  rig.make<Generator>()->signFourInfoConsentRevokeApply("service-0001", "provider-0002", "SHA-256", "ABCDEF123");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), (Strings{"didGetPin()", "result(ok)", "didGetPin()"}));
  EXPECT_EQ(rig.alerts->texts(), (Strings{"initial", "reading", "success"}));
  const auto outcome = rig.results->outcome();
  ASSERT_TRUE(outcome.signatureData) << outcome.code;
  const auto& record = *outcome.signatureData;
  EXPECT_FALSE(record.signature());
  EXPECT_FALSE(record.signingCert());
  EXPECT_FALSE(record.tbsData());
  EXPECT_FALSE(record.hashAlgOid());
  EXPECT_FALSE(record.fourInfoConsentApply());

  const std::string doc = document(rig);
  verifyDocument(doc);
  const ConsentXmlUtility xml;
  const std::string base = xml.createBaseXmlForConsentRevokeApply("2024/03/05", "09:07:30", "service-0001", "provider-0002");
  EXPECT_EQ(elementText(doc, "DigestValue"), Base64::encode(sha(toBytes(base), "SHA256")));
  // Declaration, the application up to its closing tag, Signature, the closing tag.
  EXPECT_EQ(doc.find(xml.XML_DECLARATION + base.substr(0, base.rfind('<')) + "<Signature><SignedInfo>"), 0u);
  const std::string closing = "</Signature></利用者同意取消申請情報>";
  EXPECT_EQ(doc.substr(doc.size() - closing.size()), closing);

  // What the card signed: the DigestInfo of SignedInfo exactly as it is in the document.
  const std::string signedInfo = xml.createSignedInfoXml(elementText(doc, "DigestValue"));
  EXPECT_EQ(rig.commands(), (Strings{"00A4040C0AD392F000260100000001", "00A4020C02001B",
                                     "002000800941424344454631323" "3", "00A4020C02001A",
                                     signCommand(toBytes(signedInfo), "SHA-256"), "00A4020C020001", "00B00000000F3C"}));
}

TEST(FourInfoConsentRevokeApply, HostTextsCannotBreakOrRewriteTheDocument) {
  JpkiRig rig;
  const std::string serviceId = "a<b>&c</サービスID><サービス事業者ID>evil</サービス事業者ID>serviceProviderId";
  const std::string providerId = "x\"y'z & applyDate";
  rig.make<Generator>()->signFourInfoConsentRevokeApply(serviceId, providerId, "SHA-256", "ABCDEF123");
  ASSERT_TRUE(rig.waitForResult());
  const std::string doc = document(rig);
  const auto check = verifyDocument(doc);
  // The canonical form carries the texts as given.
  EXPECT_NE(check.canonicalWithoutSignature.find(
                "<サービスID>a&lt;b&gt;&amp;c&lt;/サービスID&gt;&lt;サービス事業者ID&gt;evil&lt;/サービス事業者ID&gt;"
                "serviceProviderId</サービスID>"),
            std::string::npos);
  EXPECT_NE(check.canonicalWithoutSignature.find("<サービス事業者ID>x\"y'z &amp; applyDate</サービス事業者ID>"),
            std::string::npos);
}

TEST(FourInfoConsentRevokeApply, UnsupportedHashBeforeThePin) {
  JpkiRig rig;
  rig.make<Generator>()->signFourInfoConsentRevokeApply("s", "p", "SHA-1", "");
  ASSERT_TRUE(rig.waitForResult());
  EXPECT_EQ(rig.log->events(), (Strings{"result(12005)", "didGetPin()"}));
  EXPECT_EQ(rig.viewController->presentedCount(), 0u);
}

// The application's date and time are Tokyo's at the entry, not at the card read.
TEST(FourInfoConsentRevokeApply, DateAndTimeAreTokyosAtTheEntry) {
  struct Case {
    long long atEntry;
    std::optional<long long> atRead;
    std::string date, time;
  };
  for (const auto& c : std::vector<Case>{{1709597250, 1709652600, "2024/03/05", "09:07:30"},  // read a day later
                                         {1709652600, std::nullopt, "2024/03/06", "00:30:00"},  // 2024-03-05T15:30:00Z
                                         {1735621443, std::nullopt, "2024/12/31", "14:04:03"}}) {
    JpkiRig rig(jpkiContents(), false);
    rig.clock->set(Clock::TimePoint(std::chrono::seconds(c.atEntry)));
    rig.make<Generator>()->signFourInfoConsentRevokeApply("s", "p", "SHA-256", "ABCDEF123");
    ASSERT_TRUE(rig.waitFor([&] { return rig.cardReader->activeSessionCount() > 0; }));
    if (c.atRead) rig.clock->set(Clock::TimePoint(std::chrono::seconds(*c.atRead)));
    rig.cardReader->present(rig.card);
    ASSERT_TRUE(rig.waitForResult());
    const std::string doc = document(rig);
    EXPECT_EQ(elementText(doc, "申請日"), c.date);
    EXPECT_EQ(elementText(doc, "申請時間"), c.time);
    verifyDocument(doc);
  }
}

}  // namespace
}  // namespace ekyc::test
