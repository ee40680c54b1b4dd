#pragma once
// A blocking HTTPS client for the verification requests. One client per request; `post` returns only
// when the exchange has ended, and never later than the time-out after it began.
//
// TLS peer and host-name verification are always on; redirects are never followed; only https URLs
// are accepted; no proxy is taken from the environment; an answer body larger than
// MAX_RESPONSE_BODY_SIZE fails the exchange.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "Http/HttpResponse.hpp"

namespace ekyc {

class Platform;

class HTTPClient {
 public:
  // The largest answer body that is read; a longer one fails the exchange (no HTTP response).
  static constexpr std::size_t MAX_RESPONSE_BODY_SIZE = 1024 * 1024;

  // `httpConnectionTimeOut` is the whole exchange's time-out in seconds. An absent, non-finite or
  // non-positive value is refused: every `post` then fails at once without sending anything.
  // Server certificates are checked against the system trust store.
  explicit HTTPClient(std::optional<double> httpConnectionTimeOut);
  // As above, trusting only the CA certificates of the PEM file `trustedCaFile` (empty: the system
  // trust store).
  HTTPClient(std::optional<double> httpConnectionTimeOut, std::string trustedCaFile);
  // As above, with the trust store the platform names.
  HTTPClient(std::optional<double> httpConnectionTimeOut, const Platform& platform);

  // Posts `requestBody` serialised as JSON (compact, "/" written as "\/") with the header
  // "Content-Type: application/json; charset=UTF-8" to `urlString`, with `queriesDictionary`
  // appended URL-encoded as the query. Blocks until the exchange has ended. Returns the response and
  // a flag that is true only when the exchange failed by time-out. A body text that is not UTF-8, a
  // URL that is not https and an unusable time-out fail at once, with nothing sent.
  std::pair<HttpResponse, bool> post(const std::string& urlString,
                                     const std::map<std::string, std::string>& queriesDictionary,
                                     const std::map<std::string, std::string>& requestBody) const;
  // The same with a JSON object as the body (null sends no body; any other non-object is refused).
  std::pair<HttpResponse, bool> post(const std::string& urlString,
                                     const std::map<std::string, std::string>& queriesDictionary,
                                     const nlohmann::json& requestBody) const;

  std::optional<double> getHttpConnectionTimeOut() const { return httpConnectionTimeOut; }
  const std::string& getTrustedCaFile() const { return trustedCaFile; }

 private:
  std::optional<double> httpConnectionTimeOut;
  std::string trustedCaFile;
};

}  // namespace ekyc
