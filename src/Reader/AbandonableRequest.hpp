#pragma once
// A running request as the facade sees it: the facade tells it when it lets go of it (the host
// dropped the facade, or the next request took over), from whichever thread that happens on.
namespace ekyc {

class AbandonableRequest {
 public:
  virtual ~AbandonableRequest() = default;

  // The facade no longer serves this request. One that has not begun its NFC session never
  // begins one; one whose session has begun ends with that session, as before.
  virtual void abandon() = 0;
};

}  // namespace ekyc
