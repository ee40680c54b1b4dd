#include "DemoRequest.hpp"

#include <algorithm>

namespace ekyc::demo {

namespace {

std::vector<DemoRequest>& registry() {
  static std::vector<DemoRequest> requests;
  return requests;
}

}  // namespace

bool DemoRequests::add(DemoRequest request) {
  auto& requests = registry();
  requests.push_back(std::move(request));
  std::sort(requests.begin(), requests.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return true;
}

const std::vector<DemoRequest>& DemoRequests::all() { return registry(); }

const DemoRequest* DemoRequests::find(const std::string& name) {
  for (const auto& request : registry()) {
    if (request.name == name) return &request;
  }
  return nullptr;
}

}  // namespace ekyc::demo
