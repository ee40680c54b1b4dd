#pragma once
// A stand-in for the signature verification service: an HTTPS server on loopback with a certificate
// made at start, serving POST "/signature/verification".
//
// A request body must be a JSON object of the seven text members "expectedHash", "signature",
// "verifyingParams", "flags", "cardType", "reqType" and "tenantCode" (else 400 with a JSON error) sent
// as "application/json; charset=UTF-8" (else 415). It is routed on ("cardType", "reqType") to a
// registered verifier, and the verdict is answered as {"valid": ..., "reqTime": ...} with
// "errorCode", "errorDetail" and "checkedId" where they apply. An unknown route answers "valid" false.
//
// Switches let tests force a verdict, an HTTP status, a delay, a malformed answer or any raw answer;
// every request received is recorded. All methods are safe to call from any thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "verification-server/VerificationRequest.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace httplib {
class SSLServer;
struct Request;
struct Response;
}  // namespace httplib

namespace ekyc {

class SelfSignedCertificate;

struct VerificationServerOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: an ephemeral port chosen by the system
  // Subject alternative names of the certificate made at start.
  std::vector<std::string> certificateDnsNames{"localhost"};
  std::vector<std::string> certificateIpAddresses{"127.0.0.1"};
};

// How the stand-in shapes an answer of status 200 (tests of clients that must cope with bad answers).
enum class ResponseShape {
  Normal,        // {"valid": <verdict>, "reqTime": ..., ...}
  NotJson,       // a body that is not JSON
  EmptyBody,     // no body at all
  NotObject,     // JSON, but an array
  ValidMissing,  // an object without "valid"
  ValidString,   // "valid" as the text "true"/"false"
  ValidNumber,   // "valid" as 1/0
};

// An answer sent as it is, whatever the request.
struct RawResponse {
  int status = 200;
  std::string body;
  std::string contentType = "application/json";
  std::vector<std::pair<std::string, std::string>> headers;
};

// One request as received, well formed or not; recorded when it arrives.
struct ReceivedRequest {
  std::string path;
  std::string query;        // the raw query string of the request target, without "?"
  std::string contentType;
  std::string body;
  std::optional<VerificationRequest> request;  // present when the body was a well-formed request
  int answeredStatus = 0;  // 0 while the answer is still pending (a delay)
  unsigned long sequence = 0;  // order of arrival, from 1
};

class VerificationServer {
 public:
  using Verifier = std::function<VerificationVerdict(const VerificationRequest&)>;

  static constexpr const char* PATH = "/signature/verification";

  explicit VerificationServer(VerificationServerOptions options = {});
  ~VerificationServer();
  VerificationServer(const VerificationServer&) = delete;
  VerificationServer& operator=(const VerificationServer&) = delete;

  // Makes a fresh certificate, writes it to a temporary PEM file, binds and starts serving on a
  // thread of its own. False when any step fails (nothing is left running then).
  bool start();
  // Stops serving (waking any delayed answer), joins the threads and removes the PEM file.
  void stop();
  bool isRunning() const;

  int port() const;
  // "https://127.0.0.1:<port>"
  std::string baseUrl() const;
  // "https://127.0.0.1:<port>/signature/verification"
  std::string url() const;
  // The PEM file of the server certificate, the one trust anchor a client needs; valid while running.
  std::string caFilePath() const;
  std::string certificatePem() const;
  // Writes the certificate PEM to `path`.
  bool writeCertificate(const std::string& path) const;

  // Routes requests with ("cardType", "reqType") to `verifier`, replacing any earlier one. The
  // verifier runs on a server thread, without the server's lock held.
  void addVerifier(const std::string& cardType, const std::string& reqType, Verifier verifier);
  void removeVerifiers();

  // Switches (all off after resetSwitches()).
  void setForcedVerdict(std::optional<bool> valid);
  void setForcedHttpStatus(std::optional<int> status);
  void setResponseDelay(std::chrono::milliseconds delay);
  void setResponseShape(ResponseShape shape);
  void setRawResponse(std::optional<RawResponse> response);
  void resetSwitches();

  std::vector<ReceivedRequest> receivedRequests() const;
  // The "reqType" of every request whose body was well formed, in the order received.
  std::vector<std::string> receivedRequestTypes() const;
  void clearReceivedRequests();

 private:
  void handle(const httplib::Request& request, httplib::Response& response);
  bool waitUnlessStopping(std::chrono::milliseconds delay);

  const VerificationServerOptions options;

  mutable std::mutex mutex;
  std::condition_variable stopping;
  bool stopRequested = false;
  std::map<std::pair<std::string, std::string>, Verifier> verifiers;
  std::optional<bool> forcedVerdict;
  std::optional<int> forcedHttpStatus;
  std::chrono::milliseconds responseDelay{0};
  ResponseShape responseShape = ResponseShape::Normal;
  std::optional<RawResponse> rawResponse;
  std::vector<ReceivedRequest> received;
  unsigned long lastSequence = 0;

  // Set while running; touched only by start()/stop() (not concurrently with each other).
  std::unique_ptr<SelfSignedCertificate> certificate;
  std::unique_ptr<httplib::SSLServer> server;
  std::thread serverThread;
  std::atomic<bool> listenerEnded{false};
  int boundPort = 0;
  std::string pemPath;
};

}  // namespace ekyc
