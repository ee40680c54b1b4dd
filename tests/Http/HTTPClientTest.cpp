// The HTTPS client against the verification stand-in on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "Http/HTTPClient.hpp"
#include "Platform/Platform.hpp"
#include "verification-server/VerificationServer.hpp"

using namespace ekyc;

namespace {

const std::map<std::string, std::string> NO_QUERIES;

std::map<std::string, std::string> requestBody(const std::string& reqType = "21") {
  return {{"expectedHash", "q83v/ASNEjRWeJCrze8+AA=="},
          {"signature", "AAEC"},
          {"verifyingParams", "e30="},
          {"flags", "0"},
          {"cardType", "mynumber"},
          {"reqType", reqType},
          {"tenantCode", "tenant-1"}};
}

class HTTPClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.start());
    server.addVerifier("mynumber", "21", [](const VerificationRequest& request) {
      return request.signature == "AAEC" ? VerificationVerdict::passed("checked-21")
                                         : VerificationVerdict::failed("E_SIGNATURE", "signature does not verify");
    });
  }

  HTTPClient client(double timeout = 2.0) const { return HTTPClient(timeout, server.caFilePath()); }

  VerificationServer server;
};

}  // namespace

TEST_F(HTTPClientTest, PostsCompactJsonAndReadsTheVerdict) {
  const auto [response, timedOut] =
      client().post(server.url(), {{"a b", "x&y=z"}, {"k", "\xC3\xA9"}}, requestBody());
  EXPECT_FALSE(timedOut);
  ASSERT_EQ(response.getHttpStatusCode(), 200) << response.getErrorDescription();
  const std::optional<nlohmann::json> body = response.getResponseBodyForMyNumberVerification();
  ASSERT_TRUE(body.has_value());
  EXPECT_EQ(body->at("valid"), true);
  EXPECT_EQ(body->at("checkedId"), "checked-21");

  const std::vector<ReceivedRequest> received = server.receivedRequests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].contentType, "application/json; charset=UTF-8");
  // Compact, members in key order, "/" written as "\/".
  EXPECT_EQ(received[0].body,
            R"({"cardType":"mynumber","expectedHash":"q83v\/ASNEjRWeJCrze8+AA==","flags":"0",)"
            R"("reqType":"21","signature":"AAEC","tenantCode":"tenant-1","verifyingParams":"e30="})");
  // Query items URL-encoded, in key order.
  EXPECT_EQ(received[0].query, "a%20b=x%26y%3Dz&k=%C3%A9");
}

TEST_F(HTTPClientTest, AServerThatNeverAnswersTimesOut) {
  server.setResponseDelay(std::chrono::minutes(10));
  const auto [response, timedOut] = HTTPClient(1.0, server.caFilePath()).post(server.url(), NO_QUERIES, requestBody());
  EXPECT_TRUE(timedOut);
  EXPECT_FALSE(response.getHttpStatusCode().has_value());
}

TEST_F(HTTPClientTest, UntrustedCertificatesAreRefused) {
  // The system trust store does not know the stand-in's certificate.
  auto [response, timedOut] = HTTPClient(2.0).post(server.url(), NO_QUERIES, requestBody());
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(response.getHttpStatusCode().has_value());

  EXPECT_TRUE(server.receivedRequests().empty());

  // A trusted certificate that names another host than the one connected to.
  VerificationServerOptions options;
  options.certificateDnsNames = {"verification.invalid"};
  options.certificateIpAddresses = {};
  VerificationServer misnamed(options);
  ASSERT_TRUE(misnamed.start());
  std::tie(response, timedOut) = HTTPClient(2.0, misnamed.caFilePath()).post(misnamed.url(), NO_QUERIES, requestBody());
  EXPECT_FALSE(response.getHttpStatusCode().has_value());
  EXPECT_TRUE(misnamed.receivedRequests().empty());
}

TEST_F(HTTPClientTest, HugeBodiesAreCapped) {
  server.setRawResponse(RawResponse{200, std::string(HTTPClient::MAX_RESPONSE_BODY_SIZE, ' '), "text/plain", {}});
  auto [response, timedOut] = client().post(server.url(), NO_QUERIES, requestBody());
  EXPECT_EQ(response.getHttpStatusCode(), 200) << response.getErrorDescription();
  EXPECT_EQ(response.getResponseBody().size(), HTTPClient::MAX_RESPONSE_BODY_SIZE);

  server.setRawResponse(
      RawResponse{200, "{\"valid\":true,\"pad\":\"" + std::string(2 * HTTPClient::MAX_RESPONSE_BODY_SIZE, 'x') + "\"}",
                  "application/json", {}});
  std::tie(response, timedOut) = client().post(server.url(), NO_QUERIES, requestBody());
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(response.getHttpStatusCode().has_value());
  EXPECT_TRUE(response.getResponseBody().empty());
  EXPECT_FALSE(response.getResponseBodyForMyNumberVerification().has_value());

  // Chunked: curl's own size limit cannot see it coming, the client's cap must stop it.
  const std::string chunk(HTTPClient::MAX_RESPONSE_BODY_SIZE + 1, 'x');
  server.setRawResponse(RawResponse{200, "100001\r\n" + chunk + "\r\n0\r\n\r\n", "text/plain",
                                    {{"Transfer-Encoding", "chunked"}}});
  std::tie(response, timedOut) = client().post(server.url(), NO_QUERIES, requestBody());
  EXPECT_FALSE(response.getHttpStatusCode().has_value()) << response.getResponseBody().size();
}

TEST_F(HTTPClientTest, RedirectsAreNotFollowed) {
  server.setRawResponse(RawResponse{302, "", "text/plain", {{"Location", server.url() + "?followed=1"}}});
  EXPECT_EQ(client().post(server.url(), NO_QUERIES, requestBody()).first.getHttpStatusCode(), 302);
  EXPECT_EQ(server.receivedRequests().size(), 1u);
}

TEST_F(HTTPClientTest, UnusableSettingsSendNothing) {
  for (std::optional<double> timeout : {std::optional<double>(), std::optional<double>(-1.0),
                                        std::optional<double>(std::nan("")),
                                        std::optional<double>(std::numeric_limits<double>::infinity())}) {
    const auto [response, timedOut] = HTTPClient(timeout, server.caFilePath()).post(server.url(), NO_QUERIES, requestBody());
    EXPECT_FALSE(response.getHttpStatusCode().has_value());
  }
  // Plain http is refused by the client itself, before libcurl sees the URL.
  const auto [plain, plainTimedOut] =
      client().post("http://127.0.0.1:" + std::to_string(server.port()) + "/signature/verification", NO_QUERIES, requestBody());
  EXPECT_FALSE(plain.getHttpStatusCode().has_value());
  EXPECT_NE(plain.getErrorDescription().find("https"), std::string::npos) << plain.getErrorDescription();
  for (const std::string& url : {std::string("not a url"), std::string("ftp://127.0.0.1/x"),
                                 std::string("https://127.0.0.1\0/x", 20)}) {
    const auto [response, timedOut] = client().post(url, NO_QUERIES, requestBody());
    EXPECT_FALSE(response.getHttpStatusCode().has_value()) << url;
  }
  std::map<std::string, std::string> notUtf8 = requestBody();
  notUtf8["tenantCode"] = "\xFF\xFE";
  const auto [response, timedOut] = client().post(server.url(), NO_QUERIES, notUtf8);
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(response.getHttpStatusCode().has_value());
  EXPECT_TRUE(server.receivedRequests().empty());
}

TEST_F(HTTPClientTest, ClientsOnManyThreadsAtOnce) {
  std::atomic<int> succeeded{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back([&] { succeeded += client().post(server.url(), NO_QUERIES, requestBody()).first.getHttpStatusCode() == 200; });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(succeeded.load(), 8);
}

TEST(HttpResponse, BodyAsJsonObject) {
  EXPECT_EQ(HttpResponse(200, R"( {"valid":true} )").getResponseBodyForMyNumberVerification(),
            nlohmann::json({{"valid", true}}));
  // What Json::parseObject refuses is its own test's; here only what reaches it.
  for (const std::string& body : {std::string(), std::string("[1]"), std::string("{\"v\":\"\xFF\"}")}) {
    EXPECT_FALSE(HttpResponse(200, body).getResponseBodyForMyNumberVerification().has_value()) << body;
  }
  EXPECT_FALSE(HttpResponse("refused").getResponseBodyForMyNumberVerification().has_value());
}
