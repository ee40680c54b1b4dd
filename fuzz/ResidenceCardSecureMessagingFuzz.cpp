// libFuzzer target: the residence card's secure messaging on whatever a card answers. The input's
// first byte chooses the card's challenge length; the card's answer to MUTUAL AUTHENTICATE and a
// protected READ answer follow. Nothing may crash or read past the end; an answer that is taken
// must be one the format allows.
// fuzz-sources: ResidenceCard/ResidenceCardSecureMessaging.cpp Platform/FixedRandomSource.cpp
// fuzz-sources: Platform/BlockCipher.cpp Utility/Crypt.cpp
#include <cstddef>
#include <cstdint>

#include "Platform/FixedRandomSource.hpp"
#include "ResidenceCard/ResidenceCardSecureMessaging.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  if (size < 1) return 0;
  const std::size_t challengeLength = data[0] % 12;
  const Bytes input(data + 1, data + size);
  const Bytes challenge(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(std::min(challengeLength, input.size())));
  const Bytes rest(input.begin() + static_cast<std::ptrdiff_t>(challenge.size()), input.end());
  const std::size_t split = std::min<std::size_t>(40, rest.size());
  const Bytes cardAnswer(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(split));
  const Bytes readAnswer(rest.begin() + static_cast<std::ptrdiff_t>(split), rest.end());

  ResidenceCardSecureMessaging sm;
  FixedRandomSource random(Bytes(24, 0x00));
  const auto mutual = sm.mutualAuthenticate("AB12345678CD", challenge, random);
  if (mutual && mutual->encoded().size() != 46) __builtin_trap();
  if (sm.acceptCardAuthentication(cardAnswer)) {
    const auto verify = sm.verify("AB12345678CD");
    if (!verify || verify->encoded().size() != 24) __builtin_trap();
  }
  if (const auto plain = sm.unwrap(readAnswer); plain && plain->size() + 6 > readAnswer.size()) __builtin_trap();
  return 0;
}
