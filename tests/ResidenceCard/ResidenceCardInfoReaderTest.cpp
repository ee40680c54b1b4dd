// The residence-card request end to end: facade -> reader -> session -> virtual residence card
// (-> the stand-in with an application id).
#include <gtest/gtest.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "TLV/Ber.hpp"

namespace ekyc::test {
namespace {

const std::string NUMBER = "AB12345678CD";
const std::vector<std::string> TYPE_ONE_CHAIN = {"00A404", "00A400", "00B08B", "00B08A", "008400", "008200",
                                                 "082000", "00A404", "08B085", "08B086", "00A404", "00B081",
                                                 "00B082", "00B083", "00B084", "00A404", "00B082"};

std::optional<Bytes> valueOf(const Bytes& file, const std::string& tag) {
  return Ber::entry(Ber().parse(file, {"C0", "C1", "D2", "D3", "D4", "D5", "D6", "D7", "DA", "DB"}, false), tag);
}

struct SuccessCase {
  std::string cardType;
  std::optional<std::string> appId;
  std::string typed;  // the card number as the host gives it
};

class ResidenceCardSuccessTest : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(ResidenceCardSuccessTest, DeliversWhatTheCardHolds) {
  const auto& p = GetParam();
  ResidenceRig rig;
  rig.options.cardType = p.cardType;
  rig.presentCard();
  auto& server = rig.startServer();
  ::testing::internal::CaptureStderr();
  rig.viaFacade(p.typed, p.appId);
  const std::string console = ::testing::internal::GetCapturedStderr();
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  const ResidenceCard& card = last->value();
  const auto files = VirtualResidenceCard::files(rig.options);
  const bool typeOne = p.cardType == "1";

  auto chain = TYPE_ONE_CHAIN;
  if (!typeOne) chain.erase(chain.begin() + 12, chain.begin() + 15);
  EXPECT_EQ(rig.heads(), chain);
  EXPECT_EQ(card.commonData, valueOf(files.commonData, "C0"));
  EXPECT_EQ(card.getVersion(), "0100");
  EXPECT_EQ(card.getCardType(), std::stoi(p.cardType));
  EXPECT_EQ(card.getCardEntries(), VirtualResidenceCard::sampleFrontImage());
  EXPECT_EQ(card.getPhoto(), VirtualResidenceCard::samplePhoto());
  EXPECT_EQ(card.cardEntriesRawData, files.frontImage);
  EXPECT_EQ(card.photoRawData, files.photo);
  ASSERT_TRUE(card.getResidenceCardAddresses().has_value());
  EXPECT_EQ(card.getResidenceCardAddresses()->date(), rig.options.date);
  EXPECT_EQ(card.getResidenceCardAddresses()->code(), rig.options.code);
  EXPECT_EQ(card.getResidenceCardAddresses()->address(), valueOf(files.address, "D4"));
  EXPECT_EQ(card.comprehensivePermission, typeOne ? valueOf(files.comprehensivePermission, "D5") : std::nullopt);
  EXPECT_EQ(card.individualPermission, typeOne ? valueOf(files.individualPermission, "D6") : std::nullopt);
  EXPECT_EQ(card.isUpdateStatus(), typeOne);
  EXPECT_EQ(card.getInfoType(), 0);
  ASSERT_TRUE(card.getResidenceCardSignatures().has_value());
  EXPECT_EQ(card.getResidenceCardSignatures()->getCheckCode(), valueOf(files.signatures, "DA"));
  EXPECT_EQ(card.getResidenceCardSignatures()->getCertificate(), valueOf(files.signatures, "DB"));
  Bytes signedData = VirtualResidenceCard::sampleFrontImage();
  const Bytes photo = VirtualResidenceCard::samplePhoto();
  signedData.insert(signedData.end(), photo.begin(), photo.end());
  EXPECT_EQ(card.getHashData(), Base64::encode(Digest::sha256(signedData)));
  const auto json = Json::parseObject(card.toJson());
  ASSERT_TRUE(json.has_value());
  EXPECT_EQ(json->size(), 17u);

  const auto requests = server.receivedRequests();
  ASSERT_EQ(requests.size(), p.appId ? 1u : 0u);
  if (p.appId) {
    ASSERT_TRUE(requests[0].request.has_value());
    EXPECT_EQ(requests[0].request->cardType, "residencecard");
    EXPECT_EQ(requests[0].request->reqType, "11");
    EXPECT_EQ(requests[0].request->tenantCode, *p.appId);
    EXPECT_NE(console.find(typeOne ? "isConst\nSend Request\nResponse OK" : "Send Request\nResponse OK"),
              std::string::npos) << console;
  }
  EXPECT_EQ(console.find("isConst") != std::string::npos, typeOne) << console;
  EXPECT_EQ(console.find(NUMBER), std::string::npos) << "the card number reached the console";
  EXPECT_EQ(rig.base.alerts->texts().back(), "success");
}

INSTANTIATE_TEST_SUITE_P(Forms, ResidenceCardSuccessTest,
                         ::testing::Values(SuccessCase{"1", std::nullopt, NUMBER}, SuccessCase{"2", std::nullopt, NUMBER},
                                           SuccessCase{"1", "tenant", NUMBER}, SuccessCase{"2", "tenant", NUMBER},
                                           SuccessCase{"1", "tenant", "ab12345678cd"}));

}  // namespace
}  // namespace ekyc::test
