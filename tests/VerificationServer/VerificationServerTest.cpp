// The verification stand-in itself: what it accepts, how it routes and answers, its switches.
#include <gtest/gtest.h>

#include <httplib.h>

#include <filesystem>
#include <stdexcept>

#include "verification-server/VerificationServer.hpp"

using namespace ekyc;

namespace {

nlohmann::json validBody(const std::string& cardType = "mynumber", const std::string& reqType = "21") {
  return {{"expectedHash", "aGFzaA=="}, {"signature", "c2ln"}, {"verifyingParams", "e30="}, {"flags", "0"},
          {"cardType", cardType},       {"reqType", reqType},  {"tenantCode", "app"}};
}

class VerificationServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.start()); }

  // Posts `body` as it is, with the given content type, through an independent HTTPS client.
  httplib::Result post(const std::string& body, const std::string& contentType = "application/json; charset=UTF-8") {
    httplib::SSLClient client("127.0.0.1", server.port());
    client.set_ca_cert_path(server.caFilePath().c_str());
    client.enable_server_certificate_verification(true);
    client.set_connection_timeout(2, 0);
    client.set_read_timeout(2, 0);
    return client.Post(VerificationServer::PATH, body, contentType.c_str());
  }

  static nlohmann::json json(const httplib::Result& result) { return nlohmann::json::parse(result->body); }

  VerificationServer server;
};

}  // namespace

TEST_F(VerificationServerTest, RefusesMalformedRequests) {
  nlohmann::json missing = validBody();
  missing.erase("tenantCode");
  nlohmann::json extra = validBody();
  extra["eighth"] = "x";
  nlohmann::json number = validBody();
  number["flags"] = 0;
  for (const std::string& body : {std::string("not json"), std::string("[]"), std::string(""), missing.dump(),
                                  extra.dump(), number.dump()}) {
    const httplib::Result result = post(body);
    ASSERT_TRUE(result) << body;
    EXPECT_EQ(result->status, 400) << body;
    EXPECT_EQ(json(result).at("errorCode"), "E_BAD_REQUEST");
  }
  const httplib::Result wrongType = post(validBody().dump(), "application/json");
  ASSERT_TRUE(wrongType);
  EXPECT_EQ(wrongType->status, 415);

  // Every attempt is recorded; only the well-formed body counts as a request of a type.
  EXPECT_EQ(server.receivedRequests().size(), 7u);
  EXPECT_EQ(server.receivedRequestTypes(), std::vector<std::string>{"21"});
}

TEST_F(VerificationServerTest, RoutesOnCardTypeAndRequestType) {
  // The verifier gets the parsed request: its tenant code comes back as the checked id.
  server.addVerifier("mynumber", "11", [](const VerificationRequest& request) {
    return VerificationVerdict::passed("surface " + request.tenantCode);
  });
  server.addVerifier("driverlicense", "11", [](const VerificationRequest&) {
    return VerificationVerdict::failed("E_LICENCE", "licence signature does not verify");
  });

  httplib::Result result = post(validBody("mynumber", "11").dump());
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(json(result).at("valid"), true);
  EXPECT_EQ(json(result).at("checkedId"), "surface app");

  result = post(validBody("driverlicense", "11").dump());
  ASSERT_TRUE(result);
  EXPECT_EQ(json(result).at("valid"), false);
  EXPECT_EQ(json(result).at("errorCode"), "E_LICENCE");

  result = post(validBody("residencecard", "11").dump());
  ASSERT_TRUE(result);
  EXPECT_EQ(json(result).at("errorCode"), "E_UNKNOWN_REQUEST_TYPE");
}

TEST_F(VerificationServerTest, AVerifierThatThrowsGives500) {
  server.addVerifier("mynumber", "21", [](const VerificationRequest&) -> VerificationVerdict {
    throw std::runtime_error("broken verifier");
  });
  const httplib::Result result = post(validBody().dump());
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 500);
  EXPECT_EQ(json(result).at("errorDetail"), "broken verifier");
}

TEST_F(VerificationServerTest, StopsPromptlyWithADelayedAnswerPendingAndCleansUp) {
  server.setResponseDelay(std::chrono::minutes(10));
  std::thread client([&] {
    httplib::SSLClient c("127.0.0.1", server.port());
    c.set_ca_cert_path(server.caFilePath().c_str());
    c.enable_server_certificate_verification(true);
    c.set_read_timeout(30, 0);
    c.Post(VerificationServer::PATH, validBody().dump(), "application/json; charset=UTF-8");
  });
  // Wait until the request is inside the server (recorded, not yet answered), then stop it.
  while (server.receivedRequests().empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(server.receivedRequests()[0].answeredStatus, 0);
  const std::string pem = server.caFilePath();
  ASSERT_TRUE(std::filesystem::exists(pem));
  server.stop();  // must wake the delayed handler rather than wait ten minutes
  client.join();
  EXPECT_FALSE(std::filesystem::exists(pem));
  server.stop();  // idempotent

  // And it starts again with a new certificate.
  ASSERT_TRUE(server.start());
  EXPECT_NE(server.caFilePath(), pem);
}

