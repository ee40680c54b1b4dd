#include "Http/HTTPClient.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include <curl/curl.h>

#include "Platform/Json.hpp"
#include "Platform/Platform.hpp"

namespace ekyc {

namespace {

// libcurl's global state is set up once per process. A function-local static is initialised exactly
// once even when several threads arrive together, which older libcurl's curl_global_init is not safe
// against on its own.
bool curlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

// The time-out in milliseconds for libcurl; absent when the value cannot be used.
std::optional<long> timeoutMillis(std::optional<double> seconds) {
  if (!seconds || !std::isfinite(*seconds) || *seconds <= 0.0) {
    return std::nullopt;
  }
  const double millis = std::ceil(*seconds * 1000.0);
  if (millis >= static_cast<double>(INT_MAX)) {
    return static_cast<long>(INT_MAX);
  }
  return std::max(1L, static_cast<long>(millis));
}

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlUrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlSlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlFreeDeleter {
  void operator()(char* text) const { curl_free(text); }
};

// Collects the answer body, refusing to grow past the cap.
struct BodySink {
  std::string body;
  bool overflowed = false;
};

size_t collectBody(char* data, size_t size, size_t count, void* userData) {
  auto* sink = static_cast<BodySink*>(userData);
  const size_t length = size * count;
  if (length > HTTPClient::MAX_RESPONSE_BODY_SIZE - sink->body.size()) {
    sink->overflowed = true;
    return 0;  // anything but `length` aborts the transfer
  }
  sink->body.append(data, length);
  return length;
}

std::string escaped(CURL* handle, const std::string& text) {
  std::unique_ptr<char, CurlFreeDeleter> out(curl_easy_escape(handle, text.data(), static_cast<int>(text.size())));
  return out ? std::string(out.get()) : std::string();
}

// Checks that `urlString` is a well-formed https URL and appends the query items URL-encoded
// (upper-case hex). Empty when the URL is refused, with `error` saying why.
std::string buildUrl(CURL* handle, const std::string& urlString, const std::map<std::string, std::string>& queries,
                     std::string& error) {
  std::unique_ptr<CURLU, CurlUrlDeleter> url(curl_url());
  if (!url || urlString.empty() || urlString.find('\0') != std::string::npos ||
      curl_url_set(url.get(), CURLUPART_URL, urlString.c_str(), 0) != CURLUE_OK) {
    error = "invalid URL";
    return {};
  }
  char* rawScheme = nullptr;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &rawScheme, 0) != CURLUE_OK) {
    error = "invalid URL";
    return {};
  }
  std::unique_ptr<char, CurlFreeDeleter> scheme(rawScheme);
  if (std::string(scheme.get()) != "https") {
    error = "only https URLs are accepted";
    return {};
  }
  // The fragment is never sent; the query goes before it.
  std::string composed = urlString.substr(0, urlString.find('#'));
  for (const auto& [name, value] : queries) {
    if (name.size() > INT_MAX / 4 || value.size() > INT_MAX / 4) {
      error = "query item too long";
      return {};
    }
    const char separator = composed.find('?') == std::string::npos ? '?' : '&';
    if (composed.back() != '?' && composed.back() != '&') {
      composed += separator;
    }
    composed += escaped(handle, name) + "=" + escaped(handle, value);
  }
  return composed;
}

}  // namespace

HTTPClient::HTTPClient(std::optional<double> httpConnectionTimeOut)
    : httpConnectionTimeOut(httpConnectionTimeOut) {}

HTTPClient::HTTPClient(std::optional<double> httpConnectionTimeOut, std::string trustedCaFile)
    : httpConnectionTimeOut(httpConnectionTimeOut), trustedCaFile(std::move(trustedCaFile)) {}

HTTPClient::HTTPClient(std::optional<double> httpConnectionTimeOut, const Platform& platform)
    : httpConnectionTimeOut(httpConnectionTimeOut), trustedCaFile(platform.trustedCaFile) {}

std::pair<HttpResponse, bool> HTTPClient::post(const std::string& urlString,
                                               const std::map<std::string, std::string>& queriesDictionary,
                                               const std::map<std::string, std::string>& requestBody) const {
  nlohmann::json body = nlohmann::json::object();
  for (const auto& [name, value] : requestBody) {
    body[name] = value;
  }
  return post(urlString, queriesDictionary, body);
}

std::pair<HttpResponse, bool> HTTPClient::post(const std::string& urlString,
                                               const std::map<std::string, std::string>& queriesDictionary,
                                               const nlohmann::json& requestBody) const {
  const std::optional<long> timeout = timeoutMillis(httpConnectionTimeOut);
  if (!timeout) {
    return {HttpResponse("no usable time-out was given"), false};
  }
  if (!requestBody.is_null() && !requestBody.is_object()) {
    return {HttpResponse("the request body is not a JSON object"), false};
  }
  if (!curlReady()) {
    return {HttpResponse("libcurl could not be initialised"), false};
  }
  std::unique_ptr<CURL, CurlEasyDeleter> handle(curl_easy_init());
  if (!handle) {
    return {HttpResponse("libcurl could not create a transfer"), false};
  }
  CURL* curl = handle.get();

  std::string urlError;
  const std::string url = buildUrl(curl, urlString, queriesDictionary, urlError);
  if (url.empty()) {
    return {HttpResponse(urlError), false};
  }

  std::unique_ptr<curl_slist, CurlSlistDeleter> headers;
  for (const char* line : {"Content-Type: application/json; charset=UTF-8", "Expect:"}) {
    curl_slist* grown = curl_slist_append(headers.get(), line);
    if (grown == nullptr) {
      return {HttpResponse("out of memory"), false};
    }
    headers.release();
    headers.reset(grown);
  }

  // JSON as the platform serializer writes it: compact, "/" as "\/".
  const std::optional<std::string> written = requestBody.is_null() ? std::string() : Json::write(requestBody);
  if (!written) {
    return {HttpResponse("the request body holds a text that is not UTF-8"), false};
  }
  const std::string& body = *written;
  BodySink sink;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  bool configured = true;
  auto set = [&configured](CURLcode code) { configured = configured && code == CURLE_OK; };
  set(curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer));
  set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(curl, CURLOPT_URL, url.c_str()));
  set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https"));
  set(curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L));
  set(curl_easy_setopt(curl, CURLOPT_PROXY, ""));  // nothing is taken from the environment
  set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L));
  set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L));
  set(curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2)));
  if (!trustedCaFile.empty()) {
    set(curl_easy_setopt(curl, CURLOPT_CAINFO, trustedCaFile.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_CAPATH, static_cast<char*>(nullptr)));
  }
  set(curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, *timeout));
  set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, *timeout));
  set(curl_easy_setopt(curl, CURLOPT_POST, 1L));
  set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())));
  set(curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str()));
  set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get()));
  set(curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MAX_RESPONSE_BODY_SIZE)));
  set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody));
  set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink));
  if (!configured) {
    return {HttpResponse("libcurl refused the transfer settings"), false};
  }

  const CURLcode result = curl_easy_perform(curl);
  if (result == CURLE_OPERATION_TIMEDOUT) {
    return {HttpResponse("timed out"), true};
  }
  if (result != CURLE_OK) {
    std::string description = errorBuffer[0] != '\0' ? std::string(errorBuffer) : curl_easy_strerror(result);
    if (sink.overflowed || result == CURLE_FILESIZE_EXCEEDED) {
      description = "the answer body exceeds the size limit";
    }
    return {HttpResponse(description), false};
  }
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status <= 0 || status > 999) {
    return {HttpResponse("no HTTP status was received"), false};
  }
  return {HttpResponse(static_cast<int>(status), std::move(sink.body)), false};
}

}  // namespace ekyc
