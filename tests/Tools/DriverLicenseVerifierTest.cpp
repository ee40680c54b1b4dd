// The stand-in's SKI registry and licence verifier on their own: verdicts on well-formed,
// malformed, unknown-key and forged requests, and keys read from a PEM file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <openssl/pem.h>
#include <unistd.h>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "CardSurface/CardSurfaceTestSupport.hpp"

namespace ekyc::test {
namespace {

std::string params(const std::string& json) { return Base64::encode(toBytes(json)); }

TEST(DriverLicenseVerifierTest, VerdictsOnTheLicenceRequest) {
  const auto files = DriverLicenseFiles::sample();
  const std::string hash = Base64::encode(Digest::sha256(files.source()));
  const std::string signature = Base64::encode(Bytes(files.signature.begin() + 4, files.signature.begin() + 260));
  std::string ski = Base64::encode(VirtualDriverLicense::issuerSki());
  std::string escaped;
  for (const char c : ski) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
  const std::string good = params("{\"ski\":\"" + escaped + "\"}");
  const DriverLicenseVerifier verifier(virtualLicenceIssuers());
  struct Case { std::string name; VerificationRequest request; bool valid; };
  const auto request = [&](std::string h, std::string s, std::string p, std::string flags = "0", std::string tenant = "t") {
    return VerificationRequest{std::move(h), std::move(s), std::move(p), std::move(flags), "driverlicense", "11",
                               std::move(tenant)};
  };
  Bytes forged = Digest::sha256(files.source());
  forged[0] ^= 1;
  const std::vector<Case> cases{
      {"the virtual licence", request(hash, signature, good), true},
      {"another source", request(Base64::encode(forged), signature, good), false},
      {"an unknown key", request(hash, signature, params("{\"ski\":\"AAAA\"}")), false},
      {"a second member", request(hash, signature, params("{\"ski\":\"" + ski + "\",\"x\":\"y\"}")), false},
      {"a hash of the wrong length", request(Base64::encode(Bytes(20, 1)), signature, good), false},
      {"flags not 0", request(hash, signature, good, "1"), false},
      {"no tenant code", request(hash, signature, good, "0", ""), false},
  };
  for (const auto& c : cases) EXPECT_EQ(verifier.verify(c.request).valid, c.valid) << c.name;
}

TEST(DriverLicenseVerifierTest, RegistryReadsKeysFromPemAndNamesThemBySki) {
  // One file per process: test programs of several build trees may run at once.
  const std::string path = ::testing::TempDir() + "ski-registry-test-" + std::to_string(::getpid()) + ".pem";
  {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(path.c_str(), "w"), BIO_free);
    ASSERT_TRUE(bio && PEM_write_bio_PUBKEY(bio.get(), VirtualDriverLicense::issuerKey().get()) == 1);
  }
  SkiKeyRegistry registry;
  EXPECT_TRUE(registry.addPemFile(path));
  EXPECT_TRUE(registry.find(VirtualDriverLicense::issuerSki()));
  EXPECT_FALSE(registry.find(Bytes(20, 0)));
  EXPECT_FALSE(registry.addPemFile(path + ".missing"));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace ekyc::test
