#include "UI/ViewController.hpp"

namespace ekyc {

ViewController::ViewController(std::shared_ptr<RunLoop> runLoop)
    : runLoop_(runLoop ? std::move(runLoop) : std::make_shared<RunLoop>()) {}

}  // namespace ekyc
