#include "Platform/VirtualCard/VirtualCard.hpp"

#include <algorithm>

#include "Platform/VirtualCard/VirtualCardContext.hpp"

namespace ekyc {

namespace {

constexpr std::uint16_t SW_OK = 0x9000;
constexpr std::uint16_t SW_WRONG_LENGTH = 0x6700;
constexpr std::uint16_t SW_SM_NOT_SUPPORTED = 0x6882;
constexpr std::uint16_t SW_FILE_INCOMPATIBLE = 0x6981;
constexpr std::uint16_t SW_SECURITY_NOT_SATISFIED = 0x6982;
constexpr std::uint16_t SW_PIN_BLOCKED = 0x6984;
constexpr std::uint16_t SW_CONDITIONS_NOT_SATISFIED = 0x6985;
constexpr std::uint16_t SW_NO_CURRENT_EF = 0x6986;
constexpr std::uint16_t SW_FILE_NOT_FOUND = 0x6A82;
constexpr std::uint16_t SW_WRONG_P1P2 = 0x6A86;
constexpr std::uint16_t SW_REFERENCE_NOT_FOUND = 0x6A88;
constexpr std::uint16_t SW_OFFSET_OUTSIDE = 0x6B00;
constexpr std::uint16_t SW_INS_NOT_SUPPORTED = 0x6D00;
constexpr std::uint16_t SW_CLA_NOT_SUPPORTED = 0x6E00;

constexpr std::uint8_t INS_SELECT = 0xA4;
constexpr std::uint8_t INS_READ_BINARY = 0xB0;
constexpr std::uint8_t INS_VERIFY = 0x20;
constexpr std::uint8_t INS_GET_RESPONSE = 0xC0;

std::uint16_t retriesStatus(int triesLeft) { return static_cast<std::uint16_t>(0x63C0 | (triesLeft & 0x0F)); }

}  // namespace

VirtualCard::VirtualCard(std::string name) : name_(std::move(name)), atr_{0x3B, 0x80, 0x80, 0x01, 0x01} {
  applications_.push_back(std::make_unique<VirtualCardApplication>(MASTER_FILE, Bytes{}));
  resetSession();
}

VirtualCardApplication& VirtualCard::masterFile() { return *applications_.front(); }

VirtualCardApplication& VirtualCard::addApplication(std::string name, Bytes aid) {
  std::lock_guard lock(mutex_);
  applications_.push_back(std::make_unique<VirtualCardApplication>(std::move(name), std::move(aid)));
  return *applications_.back();
}

VirtualCardApplication* VirtualCard::application(const std::string& name) {
  std::lock_guard lock(mutex_);
  return findApplication(name);
}

VirtualCardApplication* VirtualCard::findApplication(const std::string& name) const {
  for (const auto& application : applications_) {
    if (application->name() == name) return application.get();
  }
  return nullptr;
}

VirtualCard& VirtualCard::onInstruction(std::uint8_t ins, VirtualInstructionHandler handler) {
  std::lock_guard lock(mutex_);
  cardHandlers_[ins] = std::move(handler);
  return *this;
}

void VirtualCard::setATR(Bytes atr) {
  std::lock_guard lock(mutex_);
  atr_ = std::move(atr);
}

Bytes VirtualCard::atr() const {
  std::lock_guard lock(mutex_);
  return atr_;
}

void VirtualCard::setISO7816(bool iso7816) {
  std::lock_guard lock(mutex_);
  iso7816_ = iso7816;
}

bool VirtualCard::isISO7816() const {
  std::lock_guard lock(mutex_);
  return iso7816_;
}

void VirtualCard::setResponseChunkSize(std::size_t size) {
  std::lock_guard lock(mutex_);
  chunkSize_ = size;
}

void VirtualCard::setExactLengthRequired(bool required) {
  std::lock_guard lock(mutex_);
  exactLength_ = required;
}

void VirtualCard::addFault(VirtualCardFault fault) {
  std::lock_guard lock(mutex_);
  faults_.push_back(std::move(fault));
}

void VirtualCard::clearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

bool VirtualCard::isRemoved() const {
  std::lock_guard lock(mutex_);
  return removed_;
}

void VirtualCard::remove() {
  std::lock_guard lock(mutex_);
  removed_ = true;
}

void VirtualCard::reinsert() {
  std::lock_guard lock(mutex_);
  removed_ = false;
}

void VirtualCard::powerOn() {
  std::lock_guard lock(mutex_);
  resetSession();
}

void VirtualCard::powerOff() {
  std::lock_guard lock(mutex_);
  resetSession();
}

void VirtualCard::resetSession() {
  current_ = applications_.front().get();
  currentFile_ = nullptr;
  security_.clear();
  cardValues_.clear();
  pendingData_.clear();
  pendingSw_ = SW_OK;
  hasPending_ = false;
  commandCount_ = 0;
}

VirtualCardAnswer VirtualCard::transmit(const Bytes& command) {
  std::lock_guard lock(mutex_);
  VirtualCardAnswer answer;
  if (removed_) {
    answer.removed = true;
    return answer;
  }
  const std::size_t index = ++commandCount_;
  if (!iso7816_) {  // a tag of another kind says nothing to an APDU
    log_.push_back({command, {}, false});
    return answer;
  }
  const std::optional<VirtualCommand> parsed = VirtualCommand::parse(command);
  const VirtualCommand* parsedCommand = parsed ? &*parsed : nullptr;

  std::optional<Bytes> replaced;
  std::optional<std::size_t> keep;
  for (const auto& fault : faults_) {
    if (!fault.appliesTo(index, parsedCommand)) continue;
    switch (fault.kind) {
      case VirtualCardFault::Kind::removeCard:
        removed_ = true;
        log_.push_back({command, {}, true});
        answer.removed = true;
        answer.delay = {};
        return answer;
      case VirtualCardFault::Kind::statusWord:
        if (!replaced) replaced = VirtualResponse::status(fault.sw).encoded();
        break;
      case VirtualCardFault::Kind::answer:
        if (!replaced) replaced = fault.answerBytes;
        break;
      case VirtualCardFault::Kind::truncate:
        keep = std::min(keep.value_or(fault.keep), fault.keep);
        break;
      case VirtualCardFault::Kind::delay:
        answer.delay += fault.delay;
        break;
    }
  }

  if (replaced) {
    hasPending_ = false;
    answer.bytes = std::move(*replaced);
  } else if (!parsed) {
    hasPending_ = false;
    answer.bytes = VirtualResponse::status(SW_WRONG_LENGTH).encoded();
  } else {
    VirtualResponse response = process(*parsed, index);
    if (keep && response.data.size() > *keep) response.data.resize(*keep);
    answer.bytes = response.encoded();
  }
  log_.push_back({command, answer.bytes, false});
  return answer;
}

VirtualResponse VirtualCard::process(const VirtualCommand& command, std::size_t index) {
  if (command.ins == INS_GET_RESPONSE && hasPending_) return getResponse(command);
  hasPending_ = false;
  pendingData_.clear();
  VirtualCardContext context(*this, index);
  if (const VirtualInstructionHandler* handler = current_->handler(command.ins)) {
    if (auto response = (*handler)(command, context)) return inParts(std::move(*response));
  }
  auto cardHandler = cardHandlers_.find(command.ins);
  if (cardHandler != cardHandlers_.end()) {
    if (auto response = cardHandler->second(command, context)) return inParts(std::move(*response));
  }
  return inParts(builtIn(command));
}

VirtualResponse VirtualCard::inParts(VirtualResponse response) {
  if (chunkSize_ == 0 || response.data.size() <= chunkSize_) return response;
  pendingData_.assign(response.data.begin() + static_cast<std::ptrdiff_t>(chunkSize_), response.data.end());
  pendingSw_ = response.sw;
  hasPending_ = true;
  response.data.resize(chunkSize_);
  response.sw = static_cast<std::uint16_t>(0x6100 | (std::min<std::size_t>(pendingData_.size(), 256) & 0xFF));
  return response;
}

VirtualResponse VirtualCard::builtIn(const VirtualCommand& command) {
  if (command.cla == 0xFF) return VirtualResponse::status(SW_CLA_NOT_SUPPORTED);
  if (command.isSecureMessaging()) return VirtualResponse::status(SW_SM_NOT_SUPPORTED);
  switch (command.ins) {
    case INS_SELECT:
      return select(command);
    case INS_READ_BINARY:
      return readBinary(command);
    case INS_VERIFY:
      return verify(command);
    case INS_GET_RESPONSE:
      return getResponse(command);
    default:
      return VirtualResponse::status(SW_INS_NOT_SUPPORTED);
  }
}

VirtualResponse VirtualCard::select(const VirtualCommand& command) {
  VirtualCardApplication* masterFile = applications_.front().get();
  switch (command.p1) {
    case 0x04: {  // by DF name (AID)
      if (command.data.empty()) return VirtualResponse::status(SW_WRONG_LENGTH);
      auto it = std::find_if(applications_.begin() + 1, applications_.end(),
                             [&](const auto& application) { return application->aid() == command.data; });
      if (it == applications_.end()) return VirtualResponse::status(SW_FILE_NOT_FOUND);
      current_ = it->get();
      currentFile_ = nullptr;
      security_.erase(current_);
      if ((command.p2 & 0x0C) == 0x0C) return VirtualResponse::ok();
      // File control information: the DF name.
      const Bytes& aid = current_->aid();
      Bytes fci{0x6F, static_cast<std::uint8_t>(aid.size() + 2), 0x84, static_cast<std::uint8_t>(aid.size())};
      fci.insert(fci.end(), aid.begin(), aid.end());
      return VirtualResponse::ok(std::move(fci));
    }
    case 0x00:
    case 0x02: {  // by file id (P1 00 also selects the MF, with 3F00 or no data)
      if (command.p1 == 0x00 && (command.data.empty() || command.data == Bytes{0x3F, 0x00})) {
        current_ = masterFile;
        currentFile_ = nullptr;
        return VirtualResponse::ok();
      }
      if (command.data.size() != 2) return VirtualResponse::status(SW_WRONG_LENGTH);
      const std::uint16_t id = static_cast<std::uint16_t>((command.data[0] << 8) | command.data[1]);
      VirtualFile* file = current_->file(id);
      if (!file) return VirtualResponse::status(SW_FILE_NOT_FOUND);
      currentFile_ = file;
      return VirtualResponse::ok();
    }
    case 0x01:  // child DF by id: this card's DFs are selected by name
      return VirtualResponse::status(SW_FILE_NOT_FOUND);
    default:
      return VirtualResponse::status(SW_WRONG_P1P2);
  }
}

VirtualResponse VirtualCard::readBinary(const VirtualCommand& command) {
  std::size_t offset = 0;
  VirtualFile* file = currentFile_;
  if (command.p1 & 0x80) {  // short EF identifier in P1, offset in P2
    if (command.p1 & 0x60) return VirtualResponse::status(SW_WRONG_P1P2);
    file = current_->fileByShortId(command.p1 & 0x1F);
    if (!file) return VirtualResponse::status(SW_FILE_NOT_FOUND);
    currentFile_ = file;
    offset = command.p2;
  } else {
    offset = (std::size_t{command.p1} << 8) | command.p2;
  }
  if (!file) return VirtualResponse::status(SW_NO_CURRENT_EF);
  if (file->kind != VirtualFileKind::transparent) return VirtualResponse::status(SW_FILE_INCOMPATIBLE);
  VirtualCardContext context(*this, commandCount_);
  if (!file->readAccess.allows(context)) return VirtualResponse::status(SW_SECURITY_NOT_SATISFIED);
  if (!command.le) return VirtualResponse::status(SW_WRONG_LENGTH);
  const std::size_t size = file->contents.size();
  if (offset > size) return VirtualResponse::status(SW_OFFSET_OUTSIDE);
  const std::size_t rest = size - offset;
  if (exactLength_ && !command.extended && rest > 0 && rest < *command.le) {
    return VirtualResponse::status(static_cast<std::uint16_t>(0x6C00 | (rest & 0xFF)));
  }
  const std::size_t count = std::min(*command.le, rest);
  auto begin = file->contents.begin() + static_cast<std::ptrdiff_t>(offset);
  return VirtualResponse::ok(Bytes(begin, begin + static_cast<std::ptrdiff_t>(count)));
}

VirtualResponse VirtualCard::verify(const VirtualCommand& command) {
  if (command.p1 != 0x00) return VirtualResponse::status(SW_WRONG_P1P2);
  VirtualFile* pin = currentFile_;
  if (!pin || pin->kind != VirtualFileKind::pin) return VirtualResponse::status(SW_REFERENCE_NOT_FOUND);
  auto& verified = security_[current_].verified;
  if (pin->triesLeft <= 0) return VirtualResponse::status(SW_PIN_BLOCKED);
  if (command.data.empty()) {  // asks for the counter
    if (verified.contains(pin->id)) return VirtualResponse::ok();
    return VirtualResponse::status(retriesStatus(pin->triesLeft));
  }
  if (command.data == pin->contents) {
    pin->triesLeft = pin->maxTries;
    verified.insert(pin->id);
    return VirtualResponse::ok();
  }
  --pin->triesLeft;
  verified.erase(pin->id);
  return VirtualResponse::status(retriesStatus(pin->triesLeft));
}

VirtualResponse VirtualCard::getResponse(const VirtualCommand& command) {
  if (!hasPending_) return VirtualResponse::status(SW_CONDITIONS_NOT_SATISFIED);
  const std::size_t count = std::min(command.le.value_or(256), pendingData_.size());
  VirtualResponse response;
  response.data.assign(pendingData_.begin(), pendingData_.begin() + static_cast<std::ptrdiff_t>(count));
  pendingData_.erase(pendingData_.begin(), pendingData_.begin() + static_cast<std::ptrdiff_t>(count));
  if (pendingData_.empty()) {
    hasPending_ = false;
    response.sw = pendingSw_;
  } else {
    response.sw = static_cast<std::uint16_t>(0x6100 | (std::min<std::size_t>(pendingData_.size(), 256) & 0xFF));
  }
  return response;
}

std::optional<int> VirtualCard::pinTriesLeft(const std::string& application, std::uint16_t pin) const {
  std::lock_guard lock(mutex_);
  VirtualCardApplication* found = findApplication(application);
  if (!found) return std::nullopt;
  const VirtualFile* file = found->file(pin);
  if (!file || file->kind != VirtualFileKind::pin) return std::nullopt;
  return file->triesLeft;
}

void VirtualCard::setPinTriesLeft(const std::string& application, std::uint16_t pin, int triesLeft) {
  std::lock_guard lock(mutex_);
  VirtualCardApplication* found = findApplication(application);
  if (!found) return;
  VirtualFile* file = found->file(pin);
  if (!file || file->kind != VirtualFileKind::pin) return;
  file->triesLeft = std::clamp(triesLeft, 0, file->maxTries);
}

std::vector<VirtualApduLogEntry> VirtualCard::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<Bytes> VirtualCard::commands() const {
  std::lock_guard lock(mutex_);
  std::vector<Bytes> out;
  out.reserve(log_.size());
  for (const auto& entry : log_) out.push_back(entry.command);
  return out;
}

void VirtualCard::clearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

std::size_t VirtualCard::commandCount() const {
  std::lock_guard lock(mutex_);
  return commandCount_;
}

}  // namespace ekyc
