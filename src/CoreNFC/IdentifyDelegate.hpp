#pragma once
// The readers' back channel to the facade. Every reader holds it in its property
// `idetifyDelegate` as a std::weak_ptr; a call to an expired back channel is skipped.
#include <optional>
#include <string>

#include "Pin/SetPinKey.hpp"

namespace ekyc {

class IdentifyDelegate {
 public:
  virtual ~IdentifyDelegate() = default;

  // The request has let go of its PINs: the facade drops its readers and its PIN store and keeps
  // `pin` as the signing PIN for the next signing request (the empty text keeps none).
  virtual void didGetPin(const std::string& pin) = 0;
  // Card-type detection has connected to the card.
  virtual void didClearInstance() = 0;
  // A PIN was refused: its slot and the tries left (absent when the card never saw it).
  virtual void didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) = 0;
};

}  // namespace ekyc
