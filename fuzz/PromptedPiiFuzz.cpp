// The input-support record over any four files: every getter, the dictionary and its JSON.
// fuzz-sources: PromptedPii/PromptedPii.cpp
// fuzz-parser: PromptedPii/PromptedPii.cpp
#include <cstddef>
#include <cstdint>

#include "FuzzInput.hpp"
#include "PromptedPii/PromptedPii.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  auto number = input.piece();
  auto items = input.piece();
  auto integrity = input.piece();
  auto certificate = input.rest();
  const PromptedPii record(number, items, integrity, certificate);
  if (record.asDictionary().size() != 20) __builtin_trap();
  record.toJson();
  return 0;
}
