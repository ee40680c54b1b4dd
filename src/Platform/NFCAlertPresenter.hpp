#pragma once
// Where the texts of the NFC sheet go: the host shows them (the example host prints them as
// progress). A session calls present() on the thread that changes the text, once it has begun:
// with its alertMessage, and with the error text of invalidate(errorMessage).
#include <string>

namespace ekyc {

class NFCAlertPresenter {
 public:
  virtual ~NFCAlertPresenter() = default;
  virtual void present(const std::string& text) = 0;
};

}  // namespace ekyc
