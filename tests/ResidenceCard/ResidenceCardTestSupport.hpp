#pragma once
// The residence-card rig: the card-surface rig's host loop, dialog, card reader, back channel and
// stand-in, with a virtual residence card in the field and the residence verifier on the stand-in.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardInfoReader.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"

namespace ekyc::test {

class ResidenceResults : public ResidenceCardInfoReaderDelegate,
                         public LoggingResults<ResidenceCard, ResidenceCardError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetResidenceCard(const std::expected<ResidenceCard, ResidenceCardError>& result) override { record(result); }
};

struct ResidenceRig {
  CardSurfaceRig base;
  VirtualResidenceCard::Options options;
  std::shared_ptr<ResidenceResults> results = std::make_shared<ResidenceResults>(base.log);

  VirtualCard& presentCard() {
    base.card = VirtualResidenceCard::make(options);
    base.cardReader->present(base.card);
    return *base.card;
  }
  VerificationServer& startServer() { return base.startServer(); }  // the residence issuer among the rest
  std::size_t requestsSent() const { return base.server ? base.server->receivedRequests().size() : 0; }

  // One request straight to the reader, with the logging back channel.
  void viaReader(std::optional<std::string> number, std::optional<std::string> appId, double httpTimeout = 10.0) {
    base.run<ResidenceCardInfoReader>(
        results,
        [&](ResidenceCardInfoReader& reader) {
          appId ? reader.fetchResidenceCard(number, appId) : reader.fetchResidenceCard(number);
        },
        httpTimeout);
  }

  // The commands the card saw, as hex, with their instruction bytes only (CLA INS P1).
  std::vector<std::string> heads() const {
    std::vector<std::string> out;
    for (const auto& c : base.commands()) out.push_back(c.substr(0, 6));
    return out;
  }
};

}  // namespace ekyc::test
