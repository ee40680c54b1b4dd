#include "verification-server/VerificationServer.hpp"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include <httplib.h>
#include <openssl/ssl.h>

#include "verification-server/SelfSignedCertificate.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc {

namespace {

constexpr const char* REQUEST_CONTENT_TYPE = "application/json; charset=UTF-8";
constexpr const char* ANSWER_CONTENT_TYPE = "application/json; charset=UTF-8";
constexpr std::size_t MAX_REQUEST_BODY = 1024 * 1024;

// The time of the answer, Japan time: "2024-05-01T12:34:56.789+09:00".
std::string requestTime() {
  using namespace std::chrono;
  const auto now = system_clock::now() + hours(9);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d+09:00", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millis));
  return text;
}

std::string errorBody(const std::string& code, const std::string& detail) {
  return nlohmann::json{{"errorCode", code}, {"errorDetail", detail}}.dump();
}

// A temporary PEM file holding `pem`; empty path when it cannot be written.
std::string writeTemporaryPem(const std::string& pem) {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::temp_directory_path(error);
  if (error) {
    directory = "/tmp";
  }
  std::string pattern = (directory / "ekyc-verification-server-XXXXXX.pem").string();
  const int fd = mkstemps(pattern.data(), 4);
  if (fd < 0) {
    return {};
  }
  std::size_t written = 0;
  while (written < pem.size()) {
    const ssize_t n = ::write(fd, pem.data() + written, pem.size() - written);
    if (n <= 0) {
      ::close(fd);
      ::unlink(pattern.c_str());
      return {};
    }
    written += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return pattern;
}

}  // namespace

VerificationServer::VerificationServer(VerificationServerOptions options) : options(std::move(options)) {}

VerificationServer::~VerificationServer() { stop(); }

bool VerificationServer::start() {
  stop();
  std::optional<SelfSignedCertificate> made =
      SelfSignedCertificate::create(options.certificateDnsNames, options.certificateIpAddresses);
  if (!made) {
    return false;
  }
  auto cert = std::make_unique<SelfSignedCertificate>(std::move(*made));
  const std::string pem = cert->certificatePem();
  const std::string path = pem.empty() ? std::string() : writeTemporaryPem(pem);
  if (path.empty()) {
    return false;
  }

  X509* x509 = cert->certificate();
  EVP_PKEY* key = cert->privateKey();
  auto ssl = std::make_unique<httplib::SSLServer>([x509, key](SSL_CTX& ctx) {
    return SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION) == 1 && SSL_CTX_use_certificate(&ctx, x509) == 1 &&
           SSL_CTX_use_PrivateKey(&ctx, key) == 1 && SSL_CTX_check_private_key(&ctx) == 1;
  });
  if (!ssl->is_valid()) {
    ::unlink(path.c_str());
    return false;
  }
  // One request per connection, short socket time-outs: stop() never waits on an idle client long.
  ssl->set_keep_alive_max_count(1);
  ssl->set_keep_alive_timeout(1);
  ssl->set_read_timeout(2, 0);
  ssl->set_write_timeout(2, 0);
  ssl->set_payload_max_length(MAX_REQUEST_BODY);
  ssl->Post(".*", [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); });

  int port = options.port;
  if (port == 0) {
    port = ssl->bind_to_any_port(options.host);
  } else if (!ssl->bind_to_port(options.host, port)) {
    port = -1;
  }
  if (port <= 0) {
    ::unlink(path.c_str());
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopRequested = false;
    boundPort = port;
    pemPath = path;
  }
  certificate = std::move(cert);
  server = std::move(ssl);
  listenerEnded = false;
  httplib::SSLServer* running = server.get();
  serverThread = std::thread([this, running] {
    running->listen_after_bind();
    listenerEnded = true;
  });
  // The listening socket already queues connections; wait until the accept loop runs, so that a
  // stop() right after start() is not lost.
  while (!server->is_running() && !listenerEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!server->is_running()) {
    stop();
    return false;
  }
  return true;
}

void VerificationServer::stop() {
  if (!server) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopRequested = true;
  }
  stopping.notify_all();
  server->stop();
  if (serverThread.joinable()) {
    serverThread.join();
  }
  server.reset();
  certificate.reset();
  std::lock_guard<std::mutex> lock(mutex);
  if (!pemPath.empty()) {
    ::unlink(pemPath.c_str());
  }
  pemPath.clear();
  boundPort = 0;
}

bool VerificationServer::isRunning() const { return server && server->is_running(); }

int VerificationServer::port() const {
  std::lock_guard<std::mutex> lock(mutex);
  return boundPort;
}

std::string VerificationServer::baseUrl() const {
  const std::string host = options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host;
  return "https://" + host + ":" + std::to_string(port());
}

std::string VerificationServer::url() const { return baseUrl() + PATH; }

std::string VerificationServer::caFilePath() const {
  std::lock_guard<std::mutex> lock(mutex);
  return pemPath;
}

std::string VerificationServer::certificatePem() const { return certificate ? certificate->certificatePem() : std::string(); }

bool VerificationServer::writeCertificate(const std::string& path) const {
  const std::string pem = certificatePem();
  if (pem.empty()) {
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << pem;
  return static_cast<bool>(out.flush());
}

void VerificationServer::addVerifier(const std::string& cardType, const std::string& reqType, Verifier verifier) {
  std::lock_guard<std::mutex> lock(mutex);
  verifiers[{cardType, reqType}] = std::move(verifier);
}

void VerificationServer::removeVerifiers() {
  std::lock_guard<std::mutex> lock(mutex);
  verifiers.clear();
}

void VerificationServer::setForcedVerdict(std::optional<bool> valid) {
  std::lock_guard<std::mutex> lock(mutex);
  forcedVerdict = valid;
}

void VerificationServer::setForcedHttpStatus(std::optional<int> status) {
  std::lock_guard<std::mutex> lock(mutex);
  forcedHttpStatus = status;
}

void VerificationServer::setResponseDelay(std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex);
  responseDelay = delay;
}

void VerificationServer::setResponseShape(ResponseShape shape) {
  std::lock_guard<std::mutex> lock(mutex);
  responseShape = shape;
}

void VerificationServer::setRawResponse(std::optional<RawResponse> response) {
  std::lock_guard<std::mutex> lock(mutex);
  rawResponse = std::move(response);
}

void VerificationServer::resetSwitches() {
  std::lock_guard<std::mutex> lock(mutex);
  forcedVerdict.reset();
  forcedHttpStatus.reset();
  responseDelay = std::chrono::milliseconds(0);
  responseShape = ResponseShape::Normal;
  rawResponse.reset();
}

std::vector<ReceivedRequest> VerificationServer::receivedRequests() const {
  std::lock_guard<std::mutex> lock(mutex);
  return received;
}

std::vector<std::string> VerificationServer::receivedRequestTypes() const {
  std::lock_guard<std::mutex> lock(mutex);
  std::vector<std::string> types;
  for (const ReceivedRequest& entry : received) {
    if (entry.request) {
      types.push_back(entry.request->reqType);
    }
  }
  return types;
}

void VerificationServer::clearReceivedRequests() {
  std::lock_guard<std::mutex> lock(mutex);
  received.clear();
}

bool VerificationServer::waitUnlessStopping(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> lock(mutex);
  return !stopping.wait_for(lock, delay, [this] { return stopRequested; });
}

void VerificationServer::handle(const httplib::Request& request, httplib::Response& response) {
  ReceivedRequest entry;
  entry.path = request.path;
  const std::size_t question = request.target.find('?');
  entry.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
  entry.contentType = request.get_header_value("Content-Type");
  entry.body = request.body;

  std::string problem;
  std::optional<nlohmann::json> body = VerifierKit::parseJson(request.body);
  if (body) {
    entry.request = VerificationRequest::fromJson(*body, problem);
  } else {
    problem = "the body is not JSON";
  }

  // Take the switches and the verifier as they stand now; run everything else unlocked.
  std::optional<bool> verdictSwitch;
  std::optional<int> statusSwitch;
  std::chrono::milliseconds delay{0};
  ResponseShape shape;
  std::optional<RawResponse> raw;
  Verifier verifier;
  {
    std::lock_guard<std::mutex> lock(mutex);
    entry.sequence = ++lastSequence;
    received.push_back(entry);
    verdictSwitch = forcedVerdict;
    statusSwitch = forcedHttpStatus;
    delay = responseDelay;
    shape = responseShape;
    raw = rawResponse;
    if (entry.request) {
      const auto found = verifiers.find({entry.request->cardType, entry.request->reqType});
      if (found != verifiers.end()) {
        verifier = found->second;
      }
    }
  }

  auto answer = [&](int status, const std::string& text, const std::string& contentType) {
    response.status = status;
    response.set_content(text, contentType.c_str());
    std::lock_guard<std::mutex> lock(mutex);
    for (ReceivedRequest& recorded : received) {
      if (recorded.sequence == entry.sequence) {
        recorded.answeredStatus = status;
      }
    }
  };

  if (delay.count() > 0 && !waitUnlessStopping(delay)) {
    answer(503, errorBody("E_STOPPING", "the server is stopping"), ANSWER_CONTENT_TYPE);
    return;
  }
  if (raw) {
    for (const auto& [name, value] : raw->headers) {
      response.set_header(name.c_str(), value);
    }
    answer(raw->status, raw->body, raw->contentType);
    return;
  }
  if (request.path != PATH) {
    answer(404, errorBody("E_NOT_FOUND", "no such path"), ANSWER_CONTENT_TYPE);
    return;
  }
  if (statusSwitch && *statusSwitch != 200) {
    answer(*statusSwitch, errorBody("E_FORCED_STATUS", "status forced by the test"), ANSWER_CONTENT_TYPE);
    return;
  }
  if (entry.contentType != REQUEST_CONTENT_TYPE) {
    answer(415, errorBody("E_CONTENT_TYPE", "expected " + std::string(REQUEST_CONTENT_TYPE)), ANSWER_CONTENT_TYPE);
    return;
  }
  if (!entry.request) {
    answer(400, errorBody("E_BAD_REQUEST", problem), ANSWER_CONTENT_TYPE);
    return;
  }

  VerificationVerdict verdict;
  if (verifier) {
    try {
      verdict = verifier(*entry.request);
    } catch (const std::exception& e) {
      answer(500, errorBody("E_VERIFIER", e.what()), ANSWER_CONTENT_TYPE);
      return;
    } catch (...) {
      answer(500, errorBody("E_VERIFIER", "the verifier failed"), ANSWER_CONTENT_TYPE);
      return;
    }
  } else {
    verdict = VerificationVerdict::failed(
        "E_UNKNOWN_REQUEST_TYPE",
        "no verifier for cardType \"" + entry.request->cardType + "\" reqType \"" + entry.request->reqType + "\"");
  }
  if (verdictSwitch) {
    verdict.valid = *verdictSwitch;
    if (verdict.valid) {
      verdict.errorCode.clear();
      verdict.errorDetail.clear();
    } else if (verdict.errorCode.empty()) {
      verdict.errorCode = "E_FORCED_VERDICT";
      verdict.errorDetail = "verdict forced by the test";
    }
  }

  nlohmann::json reply = nlohmann::json::object();
  switch (shape) {
    case ResponseShape::Normal:
    case ResponseShape::NotJson:
    case ResponseShape::EmptyBody:
    case ResponseShape::NotObject:
      reply["valid"] = verdict.valid;
      break;
    case ResponseShape::ValidMissing:
      break;
    case ResponseShape::ValidString:
      reply["valid"] = verdict.valid ? "true" : "false";
      break;
    case ResponseShape::ValidNumber:
      reply["valid"] = verdict.valid ? 1 : 0;
      break;
  }
  reply["reqTime"] = requestTime();
  if (!verdict.errorCode.empty()) {
    reply["errorCode"] = verdict.errorCode;
  }
  if (!verdict.errorDetail.empty()) {
    reply["errorDetail"] = verdict.errorDetail;
  }
  if (!verdict.checkedId.empty()) {
    reply["checkedId"] = verdict.checkedId;
  }
  switch (shape) {
    case ResponseShape::NotJson:
      answer(200, "<html><body>valid: true</body></html>", "text/html");
      return;
    case ResponseShape::EmptyBody:
      answer(200, "", ANSWER_CONTENT_TYPE);
      return;
    case ResponseShape::NotObject:
      answer(200, nlohmann::json::array({reply}).dump(), ANSWER_CONTENT_TYPE);
      return;
    default:
      answer(200, reply.dump(), ANSWER_CONTENT_TYPE);
      return;
  }
}

}  // namespace ekyc
