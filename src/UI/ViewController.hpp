#pragma once
// The host's view controller: presents alerts. Presenting returns at once; the alert's actions
// run later as tasks of the host's run loop.
#include <memory>

#include "UI/AlertController.hpp"
#include "UI/RunLoop.hpp"

namespace ekyc {

class ViewController {
 public:
  explicit ViewController(std::shared_ptr<RunLoop> runLoop);
  virtual ~ViewController() = default;

  // Presents a modal alert; returns at once.
  virtual void present(std::shared_ptr<AlertController> viewControllerToPresent, bool animated) = 0;

  // The host thread's task queue on which alert actions run.
  const std::shared_ptr<RunLoop>& runLoop() const { return runLoop_; }

 private:
  std::shared_ptr<RunLoop> runLoop_;
};

}  // namespace ekyc
