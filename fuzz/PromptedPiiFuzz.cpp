// The input-support record over any four files: every getter, the dictionary and its JSON. Nothing
// is taken from a file that does not parse as its format: its values are absent, and the number
// the record gives is always 12 digits. An empty 7F21 is a certificate: it gives verifying
// parameters.
// fuzz-sources: PromptedPii/PromptedPii.cpp Reader/CardFileFormat.cpp
// fuzz-parser: PromptedPii/PromptedPii.cpp
#include <cstddef>
#include <cstdint>

#include "FuzzInput.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "Reader/CardFileFormat.hpp"

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

  const auto myNumber = record.getMyNumber();
  if (myNumber && (!CardFileFormat::isNumberFile(number) || !CardFileFormat::isMyNumber(toBytes(*myNumber)))) {
    __builtin_trap();
  }
  if (!CardFileFormat::isBasicItemsFile(items) &&
      (record.getAllName() || record.getGender() || record.isIncludePreviousName() || record.getCardPrintInfoRawData())) {
    __builtin_trap();
  }
  if (!CardFileFormat::isIntegrityFile(integrity) && record.getPromptedPiiSignature()) __builtin_trap();
  if (!CardFileFormat::isCertificateFile(certificate) && record.getPromptedPiiVerifyingParams()) __builtin_trap();
  if (CardFileFormat::certificate(certificate) == Bytes{} && CardFileFormat::isCertificateFile(certificate) &&
      !record.getPromptedPiiVerifyingParams()) {
    __builtin_trap();
  }
  return 0;
}
