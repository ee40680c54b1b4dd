#include "Platform/VirtualCard/VirtualCardApplication.hpp"

#include <algorithm>

namespace ekyc {

VirtualCardApplication::VirtualCardApplication(std::string name, Bytes aid)
    : name_(std::move(name)), aid_(std::move(aid)) {}

VirtualCardApplication& VirtualCardApplication::addFile(std::uint16_t id, Bytes contents, VirtualAccess readAccess,
                                                        std::optional<std::uint8_t> shortId) {
  VirtualFile file;
  file.id = id;
  file.kind = VirtualFileKind::transparent;
  file.contents = std::move(contents);
  file.readAccess = std::move(readAccess);
  file.shortId = shortId;
  files_[id] = std::move(file);
  return *this;
}

VirtualCardApplication& VirtualCardApplication::addPin(std::uint16_t id, Bytes value, int maxTries) {
  VirtualFile file;
  file.id = id;
  file.kind = VirtualFileKind::pin;
  file.contents = std::move(value);
  file.readAccess = VirtualAccess::never();
  file.maxTries = std::clamp(maxTries, 1, 15);
  file.triesLeft = file.maxTries;
  files_[id] = std::move(file);
  return *this;
}

VirtualCardApplication& VirtualCardApplication::addInternalFile(std::uint16_t id, Bytes contents) {
  VirtualFile file;
  file.id = id;
  file.kind = VirtualFileKind::internal;
  file.contents = std::move(contents);
  file.readAccess = VirtualAccess::never();
  files_[id] = std::move(file);
  return *this;
}

VirtualCardApplication& VirtualCardApplication::onInstruction(std::uint8_t ins, VirtualInstructionHandler handler) {
  handlers_[ins] = std::move(handler);
  return *this;
}

VirtualFile* VirtualCardApplication::file(std::uint16_t id) {
  auto it = files_.find(id);
  return it == files_.end() ? nullptr : &it->second;
}

const VirtualFile* VirtualCardApplication::file(std::uint16_t id) const {
  auto it = files_.find(id);
  return it == files_.end() ? nullptr : &it->second;
}

VirtualFile* VirtualCardApplication::fileByShortId(std::uint8_t shortId) {
  for (auto& [id, file] : files_) {
    if (file.shortId && *file.shortId == shortId) return &file;
  }
  return nullptr;
}

const VirtualInstructionHandler* VirtualCardApplication::handler(std::uint8_t ins) const {
  auto it = handlers_.find(ins);
  return it == handlers_.end() ? nullptr : &it->second;
}

}  // namespace ekyc
