// A verification exchange from end to end: the HTTPS client against the stand-in, its outcome
// turned into the readers' result code by the shared verdict mapping.
#include <gtest/gtest.h>

#include <functional>

#include "Http/HTTPClient.hpp"
#include "Reader/ReaderSupport.hpp"
#include "verification-server/VerificationServer.hpp"

using namespace ekyc;

namespace {

std::map<std::string, std::string> body() {
  return {{"expectedHash", "aA=="}, {"signature", "cw=="}, {"verifyingParams", "e30="}, {"flags", "0"},
          {"cardType", "mynumber"}, {"reqType", "21"},     {"tenantCode", "app"}};
}

}  // namespace

TEST(VerificationExchange, ServerOutcomesBecomeResultCodes) {
  VerificationServer server;
  ASSERT_TRUE(server.start());
  server.addVerifier("mynumber", "21", [](const VerificationRequest&) { return VerificationVerdict::passed(); });

  struct Case {
    std::string name;
    std::function<void()> arrange;
    std::optional<std::string> trust;  // absent: the system trust store
    double timeout;
    std::int64_t code;
  };
  const std::string ca = server.caFilePath();
  const std::vector<Case> cases = {
      {"valid true", [] {}, ca, 2.0, 0},
      {"valid false", [&] { server.setForcedVerdict(false); }, ca, 2.0, 18001},
      {"valid missing", [&] { server.setResponseShape(ResponseShape::ValidMissing); }, ca, 2.0, 18001},
      {"valid a text", [&] { server.setResponseShape(ResponseShape::ValidString); }, ca, 2.0, 18001},
      {"not JSON", [&] { server.setResponseShape(ResponseShape::NotJson); }, ca, 2.0, 18001},
      {"empty body", [&] { server.setResponseShape(ResponseShape::EmptyBody); }, ca, 2.0, 18001},
      {"404", [&] { server.setForcedHttpStatus(404); }, ca, 2.0, 15000},
      {"500", [&] { server.setForcedHttpStatus(500); }, ca, 2.0, 15000},
      {"redirect", [&] { server.setRawResponse(RawResponse{302, "", "text/plain", {{"Location", "/"}}}); }, ca, 2.0,
       15000},
      {"time-out", [&] { server.setResponseDelay(std::chrono::seconds(30)); }, ca, 1.0, 16001},
      {"untrusted", [] {}, std::nullopt, 2.0, 16999},
      {"oversized",
       [&] { server.setRawResponse(RawResponse{200, std::string(HTTPClient::MAX_RESPONSE_BODY_SIZE + 1, ' '), "text/plain", {}}); },
       ca, 2.0, 16999},
  };
  for (const Case& c : cases) {
    server.resetSwitches();
    c.arrange();
    const HTTPClient client = c.trust ? HTTPClient(c.timeout, *c.trust) : HTTPClient(c.timeout);
    const auto [response, timedOut] = client.post(server.url(), {}, body());
    EXPECT_EQ(ReaderSupport::verificationCode(response.getHttpStatusCode(),
                                              response.getResponseBodyForMyNumberVerification(), timedOut),
              c.code)
        << c.name;
  }

  // Nobody listening.
  const std::string url = server.url();
  server.stop();
  const auto [response, timedOut] = HTTPClient(2.0, ca).post(url, {}, body());
  EXPECT_EQ(ReaderSupport::verificationCode(response.getHttpStatusCode(),
                                            response.getResponseBodyForMyNumberVerification(), timedOut),
            16999);
}
