// The stand-in's checks of the card-surface and input-support requests, fed with requests built
// here from the virtual card's files the way the readers build them.
#include <gtest/gtest.h>

#include <map>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceFiles.hpp"
#include "CardPrintInfo/CardPrintInfo.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "verification-server/CardSurfaceVerifier.hpp"

namespace ekyc {
namespace {

// Elements of a constructed card file (tags of two bytes, lengths up to 82), keyed by tag.
std::map<int, std::pair<Bytes, Bytes>> inner(const Bytes& file) {  // tag -> (whole, value)
  std::map<int, std::pair<Bytes, Bytes>> out;
  auto lengthAt = [&](std::size_t& p) {
    std::size_t n = file[p++];
    if (n == 0x81) n = file[p++];
    else if (n == 0x82) { n = (std::size_t(file[p]) << 8) | file[p + 1]; p += 2; }
    return n;
  };
  std::size_t p = 2;
  const std::size_t end = p + lengthAt(p);
  const std::size_t valueStart = p;
  (void)valueStart;
  while (p < end) {
    const std::size_t start = p;
    const int tag = (file[p] << 8) | file[p + 1];
    p += 2;
    const std::size_t n = lengthAt(p);
    out[tag] = {Bytes(file.begin() + long(start), file.begin() + long(p + n)), Bytes(file.begin() + long(p), file.begin() + long(p + n))};
    p += n;
  }
  return out;
}

std::string b64(const Bytes& b) { return Base64::encode(b); }
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
std::string arr(const std::string& a, const std::string& b) { return b64(toBytes("[\"" + a + "\",\"" + b + "\"]")); }
std::string params(const Bytes& cert, const std::optional<Bytes>& hash = std::nullopt) {
  std::string json = "{\"publicKey\":\"" + b64(cert) + "\"";
  if (hash) json += ",\"hash\":\"" + b64(*hash) + "\"";
  return b64(toBytes(json + "}"));
}

std::optional<RsaPublicKey> issuerKey(const CardSurfaceKeys& keys) {
  return RsaPublicKey::fromModulusExponent(CardSurfaceKeys::modulus(keys.issuer), CardSurfaceKeys::publicExponent(keys.issuer));
}

struct Side {
  std::string expectedHash, signature, verifyingParams;
};

class CardSurfaceVerifierTest : public ::testing::Test {
 protected:
  void SetUp() override { rebuild(); }
  void rebuild() {
    const auto cs2 = inner(files.csEf0002);
    const auto cs5 = inner(files.csEf0005);
    const auto sup2 = inner(files.supEf0002);
    const auto sup3 = inner(files.supEf0003);
    const Bytes csCert = Bytes(files.csEf0004.begin() + 5, files.csEf0004.end());
    const Bytes supCert = Bytes(files.supEf0004.begin() + 5, files.supEf0004.end());
    auto w = [&](const std::map<int, std::pair<Bytes, Bytes>>& m, int t) { return m.at(t).first; };
    const Bytes surface = cat({Digest::sha256(cat({w(cs2, 0xDF22), w(cs2, 0xDF23), w(cs2, 0xDF24)})),
                               Digest::sha256(cat({w(cs2, 0xDF25), w(cs2, 0xDF26)})), Digest::sha256(w(cs2, 0xDF27))});
    const Bytes items = cat({w(sup2, 0xDF22), w(sup2, 0xDF23), w(sup2, 0xDF24), w(sup2, 0xDF25)});
    const Bytes h1 = Digest::sha256(files.supEf0001), h2 = Digest::sha256(items);
    const Bytes supSig = sup3.at(0xDF33).second;
    sides["21"] = {b64(Digest::sha256(cat({w(cs5, 0xDF41), w(cs5, 0xDF42)}))), b64(cs5.at(0xDF43).second), params(csCert)};
    sides["22"] = {b64(h1), b64(supSig), params(supCert, sup3.at(0xDF32).second)};
    sides["11"] = {b64(surface), b64(cs2.at(0xDF28).second), params(csCert)};
    sides["12"] = {b64(h2), b64(supSig), params(supCert, sup3.at(0xDF31).second)};
    sides["32"] = {b64(Digest::sha256(cat({{0xDF, 0x31, 0x20}, h1, {0xDF, 0x32, 0x20}, h2}))), b64(supSig), params(supCert)};
    sides["23"] = pair(sides["21"], sides["22"]);
    sides["13"] = pair(sides["11"], sides["12"]);
  }
  static Side pair(const Side& a, const Side& b) {
    return {arr(a.expectedHash, b.expectedHash), arr(a.signature, b.signature), arr(a.verifyingParams, b.verifyingParams)};
  }
  VerificationVerdict verify(const std::string& type, const Side& s) const {
    return verifier.verify(type, s.expectedHash, s.signature, s.verifyingParams);
  }

  const CardSurfaceKeys& keys = CardSurfaceKeys::shared();
  CardSurfaceFiles files = CardSurfaceFiles::build(CardSurfaceHolder::sampleWithPreviousName(), keys);
  CardSurfaceVerifier verifier{issuerKey(keys)};
  std::map<std::string, Side> sides;
};

TEST_F(CardSurfaceVerifierTest, GenuineCardPassesEveryRequestType) {
  for (const auto& type : CardSurfaceVerifier::requestTypes()) {
    const auto verdict = verify(type, sides.at(type));
    EXPECT_TRUE(verdict.valid) << type << ": " << verdict.errorDetail;
  }
}

TEST_F(CardSurfaceVerifierTest, ATypeGivenAnotherTypesMembersFails) {
  EXPECT_FALSE(verify("21", sides["22"]).valid);  // a hash member where none belongs
  EXPECT_FALSE(verify("11", sides["21"]).valid);  // 32 bytes where 96 are expected
  EXPECT_FALSE(verify("22", sides["12"]).valid);  // the two hashes swapped
  EXPECT_FALSE(verify("32", sides["22"]).valid);  // a hash member where none belongs
  EXPECT_FALSE(verify("99", sides["21"]).valid);
}

TEST_F(CardSurfaceVerifierTest, OneChangedPhotoByteMakesTheSurfaceInvalid) {
  // The photo's value starts well inside cs EF 0002; change a byte of it and rebuild the request.
  const auto cs2 = inner(files.csEf0002);
  const Bytes& photo = cs2.at(0xDF27).second;
  const auto at = std::search(files.csEf0002.begin(), files.csEf0002.end(), photo.begin(), photo.end());
  ASSERT_NE(at, files.csEf0002.end());
  *(at + 100) ^= 0x01;
  rebuild();
  EXPECT_FALSE(verify("11", sides["11"]).valid);
  EXPECT_FALSE(verify("13", sides["13"]).valid);
  EXPECT_TRUE(verify("23", sides["23"]).valid);
}

TEST_F(CardSurfaceVerifierTest, CombinedTypesNeedBothSidesInOrder) {
  EXPECT_FALSE(verify("23", pair(sides["22"], sides["21"])).valid);
  Side broken = sides["23"];
  broken.signature = arr(sides["21"].signature, sides["21"].signature);
  const auto verdict = verify("23", broken);
  EXPECT_FALSE(verdict.valid);
  EXPECT_NE(verdict.errorDetail.find("input-support"), std::string::npos);
  // Plain texts where arrays belong.
  EXPECT_FALSE(verify("13", sides["11"]).valid);
  // Arrays with a blank after the comma are not what the library writes.
  Side spaced = sides["23"];
  spaced.expectedHash = b64(toBytes("[\"" + sides["21"].expectedHash + "\", \"" + sides["22"].expectedHash + "\"]"));
  EXPECT_FALSE(verify("23", spaced).valid);
}

TEST_F(CardSurfaceVerifierTest, VerifyingParamsMustBeWrittenExactly) {
  Side s = sides["21"];
  const Bytes cert(files.csEf0004.begin() + 5, files.csEf0004.end());
  s.verifyingParams = b64(toBytes("{ \"publicKey\":\"" + b64(cert) + "\"}"));
  EXPECT_FALSE(verify("21", s).valid);
  s.verifyingParams = b64(toBytes("{\"publicKey\":\"" + b64(cert) + "\",\"extra\":\"x\"}"));
  EXPECT_FALSE(verify("21", s).valid);
  s.verifyingParams = "not base64!";
  EXPECT_FALSE(verify("21", s).valid);
}

TEST_F(CardSurfaceVerifierTest, CertificateRecordMustComeFromTheIssuer) {
  const CardSurfaceKeys other = CardSurfaceKeys::generate();
  // A record for the genuine card-surface key but signed by another issuer.
  const Bytes forged = CardSurfaceFiles::certificateRecord(keys.cardSurface, other.issuer, "JPNCSAP001");
  Side s = sides["21"];
  s.verifyingParams = params(Bytes(forged.begin() + 5, forged.end()));
  EXPECT_FALSE(verify("21", s).valid);
  // Without an issuer key only the data signature counts.
  EXPECT_TRUE(CardSurfaceVerifier().verify("21", s.expectedHash, s.signature, s.verifyingParams).valid);
}

TEST_F(CardSurfaceVerifierTest, RequestMembersBesideTheThreeAreChecked) {
  VerificationRequest request{sides["32"].expectedHash, sides["32"].signature, sides["32"].verifyingParams, "0",
                              "mynumber", "32", "tenant"};
  EXPECT_TRUE(verifier.verify(request).valid);
  request.flags = "1";
  EXPECT_FALSE(verifier.verify(request).valid);
  request.flags = "0";
  request.tenantCode = "";
  EXPECT_FALSE(verifier.verify(request).valid);
}

// The records give the host the same three texts a reader sends: what they give passes too.
TEST_F(CardSurfaceVerifierTest, RecordsOfTheCardGiveRequestsThatPass) {
  const ConstTag tag;
  const Ber ber;
  auto value = [](const Ber::TagDictionary& d, const std::string& t) { return d.at(t); };
  const auto csCert = value(ber.parse(files.csEf0004, tag.BASIC_P_INFO_CERT, false), "7F21");
  const auto supCert = value(ber.parse(files.supEf0004, tag.BASIC_P_INFO_CERT, false), "7F21");
  const auto hashes = ber.parse(files.supEf0003, tag.MYNUMBER_HASH, true);
  const auto numberImage = ber.parseToTLV(files.csEf0005, tag.MYNUMBER_INFO, true);
  const auto numberValues = ber.parse(files.csEf0005, tag.MYNUMBER_INFO, true);
  const MyNumberInfo number(value(ber.parse(files.supEf0001, tag.MYNUMBER, false), "FF10"), value(numberValues, "DF41"),
                            value(hashes, "DF32"), csCert, supCert, value(numberValues, "DF43"), value(hashes, "DF33"),
                            cat({value(numberImage, "DF41"), value(numberImage, "DF42")}), files.supEf0001);
  EXPECT_TRUE(verifier.verify("23", *number.getMyNumberAllHashData(), *number.getMyNumberAllSignature(),
                              *number.getMyNumberAllVerifyingParams()).valid);
  EXPECT_TRUE(verifier.verify("21", *number.getMyNumberImageHashData(), *number.getMyNumberImageSignature(),
                              *number.getMyNumberImageVerifyingParams()).valid);

  const auto surface = ber.parse(files.csEf0002, tag.CARD_PRINT_INFO, true);
  const auto items = ber.parseToTLV(files.supEf0002, tag.BASIC_PERSONAL_INFO, true);
  const CardPrintInfo print = CardPrintInfo::fromCardFiles(
      ber.parse(files.supEf0002, tag.BASIC_PERSONAL_INFO, true), surface, value(hashes, "DF31"), csCert, supCert,
      value(surface, "DF28"), value(hashes, "DF33"),
      CardPrintInfo::imageElements(ber.parseToTLV(files.csEf0002, tag.CARD_PRINT_INFO, true)),
      cat({value(items, "DF22"), value(items, "DF23"), value(items, "DF24"), value(items, "DF25")}));
  EXPECT_EQ(print.getPreviousName(), "山田");
  EXPECT_EQ(print.getCommonName(), "日本　花子");
  EXPECT_TRUE(verifier.verify("13", *print.getCardPrintInfoAllHashData(), *print.getCardPrintInfoAllSignature(),
                              *print.getCardPrintInfoAllVerifyingParams()).valid);

  const PromptedPii pii(files.supEf0001, files.supEf0002, files.supEf0003, files.supEf0004);
  EXPECT_TRUE(verifier.verify("32", *pii.getPromptedPiiHashData(), *pii.getPromptedPiiSignature(),
                              *pii.getPromptedPiiVerifyingParams()).valid);
  // The single scopes of the input-support record carry the other scope's hash, as "22" and "12" do.
  EXPECT_TRUE(verifier.verify("22", *pii.getMyNumberHashData(), *pii.getMyNumberSignature(),
                              *pii.getMyNumberVerifyingParams()).valid);
  EXPECT_TRUE(verifier.verify("12", *pii.getCardPrintInfoHashData(), *pii.getCardPrintInfoSignature(),
                              *pii.getCardPrintInfoVerifyingParams()).valid);
}

}  // namespace
}  // namespace ekyc
