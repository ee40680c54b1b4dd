#pragma once
// A sample holder of the card-surface and input-support applications of a virtual Individual
// Number Card: the texts printed on the card, the number and the three PINs of the two
// applications. The images are made from these texts when the card files are built.
#include <string>

namespace ekyc {

struct CardSurfaceHolder {
  std::string myNumber;         // 12 ASCII digits (check digit included)
  std::string name;             // UTF-8; a previous name sits between "［" and "］"
  std::string address;          // UTF-8
  std::string dateOfBirth;      // input-support text, e.g. "19850401"
  std::string gender;           // input-support text
  std::string printedDateOfBirth;  // card-surface text item (hashed, not shown)
  std::string printedGender;       // card-surface text item (hashed, not shown)
  std::string expireDate;       // card-surface expiry date, UTF-8
  std::string securityCode;     // 4 digits, printed as an image
  std::string cardPrintInfoPin;  // 14 digits: card-surface PIN (cs EF 0012, sup EF 0015)
  std::string myNumberPin;       // 12 digits: individual-number PIN (cs EF 0013, sup EF 0014)
  std::string promptedPiiPin;    // 4 digits: input-support PIN (sup EF 0011)

  // The holder without a previous name.
  static CardSurfaceHolder sample();
  // The same holder whose name carries a previous name in the middle.
  static CardSurfaceHolder sampleWithPreviousName();
};

}  // namespace ekyc
