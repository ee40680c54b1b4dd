// The verdict of a verification exchange over any body answered with status 200: 0 or 18001, and
// 0 only for a body that is one JSON object whose single "valid" member is true.
// fuzz-sources: Http/HttpResponse.cpp Reader/ReaderSupport.cpp
// fuzz-parser: Http/HttpResponse.cpp Reader/ReaderSupport.cpp
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "Http/HttpResponse.hpp"
#include "Reader/ReaderSupport.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const HttpResponse response(200, body);
  const auto code = ReaderSupport::verificationCode(200, response.getResponseBodyForMyNumberVerification(), false);
  if (code != 0 && code != ReaderSupport::CODE_VERIFY_SIGNATURE) __builtin_trap();
  if (code == 0) {
    if (body.find('\0') != std::string::npos) __builtin_trap();
    // An independent reading of the whole text agrees.
    const auto value = nlohmann::json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object() || value.value("valid", false) != true) __builtin_trap();
  }
  return 0;
}
