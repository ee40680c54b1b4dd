#pragma once
// A running request as the facade sees it: the facade tells it when it lets go of it (the host
// dropped the facade, or the next request took over), from whichever thread that happens on.
namespace ekyc {

class AbandonableRequest {
 public:
  virtual ~AbandonableRequest() = default;

  // The facade no longer serves this request. One that has not begun its NFC session never
  // begins one and ends as a cancelled PIN dialog does (12101), without a word to the facade. One
  // whose session has begun goes on to its end, or, with `endSession` (the next request is taking
  // the card), has that session ended as a user closing the sheet would; it then ends as such a
  // session does. Safe to call from any thread, and from inside any host callback.
  virtual void abandon(bool endSession) = 0;

  // Called by the facade right before it runs the request's entry: when the facade has let go of
  // the request already (another start came in between), the request ends as one abandoned
  // before its session began (12101, nothing to the facade) and true says that its entry must not
  // run, so that no PIN or other check of a replaced request reaches the facade.
  virtual bool endIfAbandoned() = 0;
};

}  // namespace ekyc
