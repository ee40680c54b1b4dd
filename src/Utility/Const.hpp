#pragma once
// Text constants: data-set labels that prefix messages, hash names and OIDs, name brackets,
// licence text codes, and the names and values of the verification request.
#include <string>
#include <vector>

namespace ekyc {

class Const {
 public:
  Const();

  // Data-set labels put in front of messages.
  const std::string SIGNATURE_DATA;
  const std::string SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO;
  const std::string CARD_PRINT_INFO;
  const std::string MY_NUMBER_INFO;
  const std::string PROMPTED_PII;
  const std::string DRIVERLICENSE_PIN1;
  const std::string DRIVERLICENSE_PIN2;
  const std::string MYNA_DRIVERLICENSE;

  // Hash names and the dotted OIDs of the accepted ones.
  const std::string SHA1;
  const std::string SHA256;
  const std::string SHA384;
  const std::string SHA512;
  const std::string OID_SHA256;
  const std::string OID_SHA384;
  const std::string OID_SHA512;

  // Full-width brackets round a previous name in a UTF-8 name, and their JIS X 0208 codes.
  const std::string COMMON_BRACKET_LEFT;
  const std::string COMMON_BRACKET_RIGHT;
  const std::string JISX_0208_SQUARE_BRACKET_LEFT;
  const std::string JISX_0208_SQUARE_BRACKET_RIGHT;
  // Codes that stand for external characters in licence text.
  const std::vector<std::string> EXTERNAL_CODE;

  // The verification endpoint (hosts override it through Platform::verificationUrl).
  const std::string SIGNATURE_VERIFICATION_URL;

  // Request types.
  const std::string REQ_TYPE_CARD_PRINT_INFO_IMG;
  const std::string REQ_TYPE_CARD_PRINT_INFO_TEXT;
  const std::string REQ_TYPE_CARD_PRINT_INFO_ALL;
  const std::string REQ_TYPE_MYNUMBER_IMG;
  const std::string REQ_TYPE_MYNUMBER_TEXT;
  const std::string REQ_TYPE_MYNUMBER_ALL;
  const std::string REQ_TYPE_PROMPTED_PII;
  const std::string REQ_TYPE_DRIVER_LICENSE;
  const std::string REQ_TYPE_MYNA_DRIVER_LICENSE;
  const std::string REQ_TYPE_RESIDENCE_CARD;

  // Card types.
  const std::string CARD_TYPE_MYNUMBER;
  const std::string CARD_TYPE_DRIVER_LICENSE;
  const std::string CARD_TYPE_RESIDENCE_CARD;

  // Members of the request body.
  const std::string JSON_REQUEST_EXPECTED_HASH;
  const std::string JSON_REQUEST_SIGNATURE;
  const std::string JSON_REQUEST_VERIFYING_PARAMS;
  const std::string JSON_REQUEST_FLAGS;
  const std::string JSON_REQUEST_CARD_TYPE;
  const std::string JSON_REQUEST_REQ_TYPE;
  const std::string JSON_REQUEST_TENANT_CODE;

  // Members of the verifying parameters.
  const std::string JSON_VERIFYING_PARAMS_PUBLIC_KEY;
  const std::string JSON_VERIFYING_PARAMS_HASH;
  const std::string JSON_VERIFYING_PARAMS_SKI;
  const std::string JSON_VERIFYING_PARAMS_CERTIFICATE;

  // Member of the answer.
  const std::string JSON_RESPONSE_VALID;
};

}  // namespace ekyc
