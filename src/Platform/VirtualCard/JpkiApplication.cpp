#include "Platform/VirtualCard/JpkiApplication.hpp"

#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"

namespace ekyc {

namespace {

using Contents = VirtualJpkiContents;

VirtualInstructionHandler computeDigitalSignature(EvpPkeyPtr userAuthKey, EvpPkeyPtr signingKey) {
  return [userAuthKey, signingKey](const VirtualCommand& command,
                                   VirtualCardContext& context) -> std::optional<VirtualResponse> {
    if (command.cla != 0x80) return std::nullopt;
    if (command.p1 != 0x00 || command.p2 != 0x80) return VirtualResponse::status(0x6A86);
    const VirtualFile* file = context.currentFile();
    if (file == nullptr) return VirtualResponse::status(0x6986);
    EVP_PKEY* key = nullptr;
    std::uint16_t pin = 0;
    if (file->id == Contents::EF_USER_AUTH_KEY) {
      key = userAuthKey.get();
      pin = Contents::EF_USER_AUTH_PIN;
    } else if (file->id == Contents::EF_SIGNING_KEY) {
      key = signingKey.get();
      pin = Contents::EF_SIGNING_PIN;
    } else {
      return VirtualResponse::status(0x6985);
    }
    if (!context.isPinVerified(pin)) return VirtualResponse::status(0x6982);
    if (command.data.empty()) return VirtualResponse::status(0x6700);
    auto signature = Contents::sign(key, command.data);
    if (!signature) return VirtualResponse::status(0x6700);
    return VirtualResponse::ok(std::move(*signature));
  };
}

}  // namespace

VirtualCardApplication& JpkiApplication::install(VirtualCard& card, const VirtualJpkiContents& contents) {
  const auto& o = contents.options;
  auto& app = card.addApplication(NAME, Contents::aid());
  app.addPin(Contents::EF_USER_AUTH_PIN, toBytes(o.userAuthPin), o.userAuthMaxTries)
      .addInternalFile(Contents::EF_USER_AUTH_KEY)
      .addFile(Contents::EF_USER_AUTH_CERT, contents.userAuthCertificateFile)
      .addPin(Contents::EF_SIGNING_PIN, toBytes(o.signingPin), o.signingMaxTries)
      .addInternalFile(Contents::EF_SIGNING_KEY)
      .addFile(Contents::EF_SIGNING_CERT, contents.signingCertificateFile,
               VirtualAccess::afterPin(Contents::EF_SIGNING_PIN))
      .onInstruction(INS_COMPUTE_DIGITAL_SIGNATURE,
                     computeDigitalSignature(contents.userAuthKey, contents.signingKey));
  app.file(Contents::EF_USER_AUTH_PIN)->triesLeft = o.userAuthTriesLeft;
  app.file(Contents::EF_SIGNING_PIN)->triesLeft = o.signingTriesLeft;
  return app;
}

std::shared_ptr<VirtualCard> JpkiApplication::makeCard(const VirtualJpkiContents& contents) {
  auto card = std::make_shared<VirtualCard>("virtual JPKI card");
  install(*card, contents);
  return card;
}

}  // namespace ekyc
