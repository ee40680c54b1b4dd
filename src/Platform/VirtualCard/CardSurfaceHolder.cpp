#include "Platform/VirtualCard/CardSurfaceHolder.hpp"

namespace ekyc {

CardSurfaceHolder CardSurfaceHolder::sample() {
  CardSurfaceHolder h;
  h.myNumber = "123456789018";
  h.name = "日本　花子";
  // Long enough (more than 127 bytes of UTF-8) that its element takes a long-form length.
  h.address = "東京都千代田区霞が関二丁目一番二号　中央合同庁舎第二号館　見本ビル東棟十二階一〇一号室";
  h.dateOfBirth = "19850401";
  h.gender = "女";
  h.printedDateOfBirth = "1985年4月1日";
  h.printedGender = "女";
  h.expireDate = "2035年04月01日";
  h.securityCode = "4821";
  h.cardPrintInfoPin = "85040120354821";  // date of birth, expiry year, security code
  h.myNumberPin = h.myNumber;
  h.promptedPiiPin = "1234";
  return h;
}

CardSurfaceHolder CardSurfaceHolder::sampleWithPreviousName() {
  CardSurfaceHolder h = sample();
  h.name = "日本［山田］　花子";
  return h;
}

}  // namespace ekyc
