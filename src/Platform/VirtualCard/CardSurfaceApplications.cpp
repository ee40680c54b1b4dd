#include "Platform/VirtualCard/CardSurfaceApplications.hpp"

#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

void CardSurfaceApplications::install(VirtualCard& card, const CardSurfaceFiles& files, const Options& options) {
  const CardSurfaceHolder& holder = options.holder;
  card.addApplication(CARD_SURFACE, CARD_SURFACE_AID)
      .addPin(CS_CARD_PRINT_INFO_PIN, toBytes(holder.cardPrintInfoPin), options.cardPrintInfoPinTries)
      .addPin(CS_MY_NUMBER_PIN, toBytes(holder.myNumberPin), options.myNumberPinTries)
      .addFile(0x0002, files.csEf0002, VirtualAccess::afterPin(CS_CARD_PRINT_INFO_PIN))
      .addFile(0x0004, files.csEf0004, VirtualAccess::always())
      .addFile(0x0005, files.csEf0005, VirtualAccess::afterPin(CS_MY_NUMBER_PIN));
  card.addApplication(INPUT_SUPPORT, INPUT_SUPPORT_AID)
      .addPin(SUP_PROMPTED_PII_PIN, toBytes(holder.promptedPiiPin), options.promptedPiiPinTries)
      .addPin(SUP_MY_NUMBER_PIN, toBytes(holder.myNumberPin), options.myNumberPinTries)
      .addPin(SUP_CARD_PRINT_INFO_PIN, toBytes(holder.cardPrintInfoPin), options.cardPrintInfoPinTries)
      .addFile(0x0001, files.supEf0001, VirtualAccess::afterAnyPin({SUP_PROMPTED_PII_PIN, SUP_MY_NUMBER_PIN}))
      .addFile(0x0002, files.supEf0002, VirtualAccess::afterAnyPin({SUP_PROMPTED_PII_PIN, SUP_CARD_PRINT_INFO_PIN}))
      .addFile(0x0003, files.supEf0003,
               VirtualAccess::afterAnyPin({SUP_PROMPTED_PII_PIN, SUP_MY_NUMBER_PIN, SUP_CARD_PRINT_INFO_PIN}))
      .addFile(0x0004, files.supEf0004,
               VirtualAccess::afterAnyPin({SUP_PROMPTED_PII_PIN, SUP_MY_NUMBER_PIN, SUP_CARD_PRINT_INFO_PIN}));
}

std::shared_ptr<VirtualCard> CardSurfaceApplications::makeCard() { return makeCard(Options()); }

std::shared_ptr<VirtualCard> CardSurfaceApplications::makeCard(const Options& options) {
  return makeCard(CardSurfaceFiles::build(options.holder, CardSurfaceKeys::shared()), options);
}

std::shared_ptr<VirtualCard> CardSurfaceApplications::makeCard(const CardSurfaceFiles& files, const Options& options) {
  auto card = std::make_shared<VirtualCard>("Individual Number Card (card surface)");
  install(*card, files, options);
  return card;
}

}  // namespace ekyc
