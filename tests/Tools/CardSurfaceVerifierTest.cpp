// The stand-in's checks of the card-surface and input-support requests, fed with requests built
// here from the virtual card's files the way the readers build them.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceFiles.hpp"
#include "CardPrintInfo/CardPrintInfo.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "verification-server/CardSurfaceVerifier.hpp"
#include "CardSurface/ExpectedRequests.hpp"

namespace ekyc {
namespace {

using namespace test::expected;

std::optional<RsaPublicKey> issuerKey(const CardSurfaceKeys& keys) {
  return RsaPublicKey::fromModulusExponent(CardSurfaceKeys::modulus(keys.issuer), CardSurfaceKeys::publicExponent(keys.issuer));
}

class CardSurfaceVerifierTest : public ::testing::Test {
 protected:
  void SetUp() override { rebuild(); }
  void rebuild() { sides = test::expected::sides(files); }
  VerificationVerdict verify(const std::string& type, const Side& s) const {
    return verifier.verify(type, s.expectedHash, s.signature, s.verifyingParams);
  }

  const CardSurfaceKeys& keys = CardSurfaceKeys::shared();
  CardSurfaceFiles files = CardSurfaceFiles::build(CardSurfaceHolder::sampleWithPreviousName(), keys);
  CardSurfaceVerifier verifier{issuerKey(keys)};
  std::map<std::string, Side> sides;
};

TEST_F(CardSurfaceVerifierTest, ATypeGivenAnotherTypesMembersFails) {
  EXPECT_FALSE(verify("21", sides["22"]).valid);  // a hash member where none belongs
  EXPECT_FALSE(verify("11", sides["21"]).valid);  // 32 bytes where 96 are expected
  EXPECT_FALSE(verify("22", sides["12"]).valid);  // the two hashes swapped
  EXPECT_FALSE(verify("99", sides["21"]).valid);
}

// One byte of each item the card signs, changed on its own: exactly the request types that carry
// the item are refused; the others stay valid (the genuine card, with an unsigned byte changed,
// passes every type).
TEST_F(CardSurfaceVerifierTest, EachSignedItemChangedIsRefusedByEveryTypeThatCarriesIt) {
  using Types = std::set<std::string>;
  const Types surface{"11", "13"}, image{"21", "23"}, number{"22", "23", "32"}, items{"12", "13", "32"};
  const Types supportSignature{"12", "13", "22", "23", "32"}, csKey{"11", "13", "21", "23"};
  struct Item {
    std::string name;
    Bytes CardSurfaceFiles::*file;
    int tag;  // 0: the byte at `offset` of the file itself
    std::size_t offset;
    Types refusedBy;
  };
  const std::vector<Item> table{
      {"cs DF22 date of birth", &CardSurfaceFiles::csEf0002, 0xDF22, 0, surface},
      {"cs DF27 photo", &CardSurfaceFiles::csEf0002, 0xDF27, 0, surface},
      {"cs DF28 signature", &CardSurfaceFiles::csEf0002, 0xDF28, 0, surface},
      {"cs DF41 number image", &CardSurfaceFiles::csEf0005, 0xDF41, 0, image},
      {"cs DF43 signature", &CardSurfaceFiles::csEf0005, 0xDF43, 0, image},
      {"sup EF 0001 digit", &CardSurfaceFiles::supEf0001, 0, 5, number},
      {"sup EF 0001 fill", &CardSurfaceFiles::supEf0001, 0, 16, number},
      {"sup DF22 name", &CardSurfaceFiles::supEf0002, 0xDF22, 0, items},
      {"sup DF25 gender", &CardSurfaceFiles::supEf0002, 0xDF25, 0, items},
      {"sup DF31 number hash", &CardSurfaceFiles::supEf0003, 0xDF31, 0, {"12", "13"}},
      {"sup DF32 items hash", &CardSurfaceFiles::supEf0003, 0xDF32, 0, {"22", "23"}},
      {"sup DF33 signature", &CardSurfaceFiles::supEf0003, 0xDF33, 0, supportSignature},
      {"cs 5F4E public key", &CardSurfaceFiles::csEf0004, 0x5F4E, 0, csKey},
      {"cs 5F37 issuer signature", &CardSurfaceFiles::csEf0004, 0x5F37, 0, csKey},
      {"sup 5F4E public key", &CardSurfaceFiles::supEf0004, 0x5F4E, 0, supportSignature},
      {"sup 5F37 issuer signature", &CardSurfaceFiles::supEf0004, 0x5F37, 0, supportSignature},
      // Not signed by the card: nothing notices.
      {"cs DF29 expiry date", &CardSurfaceFiles::csEf0002, 0xDF29, 0, {}},
      {"sup DF21", &CardSurfaceFiles::supEf0002, 0xDF21, 0, {}},
  };
  const CardSurfaceFiles genuine = files;
  for (const auto& item : table) {
    files = genuine;
    Bytes& file = files.*item.file;
    std::size_t at = item.offset;
    if (item.tag != 0) at = valueOffset(file, item.tag) + inner(file).at(item.tag).second.size() / 2;
    ASSERT_LT(at, file.size()) << item.name;
    file[at] ^= 0x01;
    rebuild();
    for (const auto& type : CardSurfaceVerifier::requestTypes()) {
      EXPECT_EQ(verify(type, sides.at(type)).valid, item.refusedBy.count(type) == 0) << item.name << ", type " << type;
    }
  }
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
  // A hash member that is no SHA-256 digest is a malformed request, not merely a bad signature.
  s = sides["22"];
  s.verifyingParams = params(Bytes(files.supEf0004.begin() + 5, files.supEf0004.end()), Bytes(33, 0));
  EXPECT_EQ(verify("22", s).errorCode, "E_FORMAT");
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

}  // namespace
}  // namespace ekyc
