// Writes the seed corpora of the fuzz targets, made from the virtual cards (files as the card
// holds them, in the shape each target reads) and from the answers of the verification stand-in:
//   make fuzz-corpus        (writes fuzz/corpus/<Name>/)
// The cards' keys are the fixed ones of fuzz/corpus/virtual-card-keys.pem and their certificates are
// made as at a fixed time, so every run writes the same bytes. A key the file lacks is made and
// added to it (a missing file: all of them), so that the next run uses it too.
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "Platform/VirtualCard/CardSurfaceFiles.hpp"
#include "Platform/VirtualCard/CardSurfaceHolder.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"
#include "Platform/VirtualCard/VirtualJpkiContents.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"

namespace {

using ekyc::Bytes;
namespace fs = std::filesystem;

void write(const fs::path& dir, const std::string& target, const std::string& name, const Bytes& data) {
  fs::create_directories(dir / target);
  std::ofstream(dir / target / name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                              static_cast<std::streamsize>(data.size()));
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A piece as FuzzInput::piece reads it: two length bytes, then the bytes.
Bytes piece(const Bytes& data) {
  Bytes out{static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(data.size())};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The licence targets: the two external-character files, then the target's own files.
void writeLicence(const fs::path& dir, const std::string& name, const ekyc::DriverLicenseFiles& l) {
  const Bytes table = join({piece(l.externalCharacters), piece(l.changedExternalCharacters)});
  write(dir, "LicenseEntriesFuzz", name + "-ef0001", join({table, l.entries}));
  write(dir, "LicenseChangedEntriesFuzz", name + "-ef0004", join({table, l.changedEntries}));
  write(dir, "LicenseChangedEntriesFuzz", name + "-ef0006", join({table, l.changedRegisteredDomicile}));
  // The first byte times 4 is the length of EF 0003.
  write(dir, "LicenseExternalCharactersFuzz", name + "-ef0003-ef0005",
        join({{static_cast<std::uint8_t>(l.externalCharacters.size() / 4)}, l.externalCharacters,
              l.changedExternalCharacters}));
  write(dir, "LicenseSignatureSourceFuzz", name + "-signed-files",
        join({table, piece(l.entries), piece(l.registeredDomicile), piece(l.photo), piece(l.commonData), l.signature}));
}

// The residence card: its files as the reader has them (the protected ones decrypted), a piece each
// and the signatures file last, after a 00 that asks for the record as the reader builds it.
Bytes residenceFiles(const ekyc::VirtualResidenceCard::Files& f) {
  return join({{0x00}, piece(f.commonData), piece(f.cardType), piece(f.frontImage), piece(f.photo), piece(f.address),
               piece(f.comprehensivePermission), piece(f.individualPermission), piece(f.updateStatus), f.signatures});
}

// A protected READ answer of the residence card, for the secure-messaging target: every step built
// (mode 3F), 24 terminal random bytes, the card's challenge and kIcc, then the file with its
// ISO/IEC 7816-4 padding, which the target encrypts under the session key, and the file's length.
Bytes residenceExchange(const Bytes& file) {
  Bytes padded = file;
  padded.push_back(0x80);
  while (padded.size() % 8 != 0) padded.push_back(0x00);
  Bytes random(24), challenge(8), kIcc(16);
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<std::uint8_t>(0x11 * (i + 1));
  for (std::size_t i = 0; i < challenge.size(); ++i) challenge[i] = static_cast<std::uint8_t>(0xA0 + i);
  for (std::size_t i = 0; i < kIcc.size(); ++i) kIcc[i] = static_cast<std::uint8_t>(0x30 + 3 * i);
  const Bytes length{static_cast<std::uint8_t>(file.size() >> 8), static_cast<std::uint8_t>(file.size())};
  return join({{0x3F}, random, challenge, kIcc, piece(padded), length});
}

// The time the certificates are made at: 2026-01-01 00:00:00 UTC.
constexpr std::time_t CERTIFICATES_MADE_AT = 1767225600;

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? argv[1] : "fuzz/corpus";
  const fs::path keyFile = dir / "virtual-card-keys.pem";
  using Authority = ekyc::VirtualCertificateAuthority;
  const auto keys = Authority::readKeys(keyFile);
  Authority::useFixedKeys(keys, CERTIFICATES_MADE_AT);
  const auto files = ekyc::CardSurfaceFiles::build(ekyc::CardSurfaceHolder::sample(), ekyc::CardSurfaceKeys::shared());
  const auto jpki = ekyc::VirtualJpkiContents::make(ekyc::VirtualJpkiContents::Keys::generate());
  const std::pair<std::string, const Bytes*> cardFiles[] = {
      {"cs-ef0002", &files.csEf0002},   {"cs-ef0004", &files.csEf0004},   {"cs-ef0005", &files.csEf0005},
      {"sup-ef0001", &files.supEf0001}, {"sup-ef0002", &files.supEf0002}, {"sup-ef0003", &files.supEf0003},
      {"sup-ef0004", &files.supEf0004}};
  for (const auto& [name, file] : cardFiles) {
    write(dir, "BerFuzz", name, *file);
    write(dir, "CardFileFormatFuzz", name, *file);
  }
  for (const auto& [name, file] : {std::pair<std::string, const Bytes*>{"jpki-ef000a", &jpki.userAuthCertificateFile},
                                   {"jpki-ef0001", &jpki.signingCertificateFile}}) {
    write(dir, "BerFuzz", name, *file);
    write(dir, "CertificateFuzz", name, *file);
  }
  write(dir, "PromptedPiiFuzz", "sup-files",
        join({piece(files.supEf0001), piece(files.supEf0002), piece(files.supEf0003), files.supEf0004}));
  write(dir, "CardPrintInfoFuzz", "cs-ef0002-sup-ef0002", join({piece(files.csEf0002), files.supEf0002}));

  // Licence text: ordinary characters, the previous-name brackets, external characters, Roman numerals.
  write(dir, "JisX0208Fuzz", "name-with-previous-name",
        {0x3B, 0x33, 0x45, 0x44, 0x21, 0x4E, 0x3E, 0x2E, 0x3B, 0x33, 0x21, 0x4F});
  write(dir, "JisX0208Fuzz", "external-characters", {0xFF, 0xF1, 0x24, 0x22, 0xFF, 0xFA, 0x2D, 0x35, 0x2C, 0x40});
  write(dir, "JisX0208Fuzz", "odd-length", {0x24, 0x22, 0x24});

  writeLicence(dir, "sample", ekyc::DriverLicenseFiles::sample());
  writeLicence(dir, "without-history", ekyc::DriverLicenseFiles::withoutHistory());

  using Myna = ekyc::MynaDriverLicenseApplication;
  for (const auto& [name, variant] :
       {std::pair<std::string, Myna::Variant>{"standard", Myna::Variant::standard},
        {"repeated-color-class", Myna::Variant::repeatedColorClass}, {"empty-items", Myna::Variant::emptyItems},
        {"length-80", Myna::Variant::length80}, {"missing-ski", Myna::Variant::missingSki}}) {
    const auto contents = Myna::make(variant);
    write(dir, "MynaDriverLicenseFuzz", name, join({piece(contents.entries), contents.signatureFile}));
  }

  using Residence = ekyc::VirtualResidenceCard;
  const auto card = Residence::files(Residence::Options{});
  write(dir, "ResidenceCardFilesFuzz", "issued", residenceFiles(card));
  Residence::Options typeTwo;
  typeTwo.cardType = "2";
  typeTwo.signatures = Residence::Signatures::zero;
  write(dir, "ResidenceCardFilesFuzz", "type-2-zero-signatures", residenceFiles(Residence::files(typeTwo)));
  Residence::Options withoutPhoto;
  withoutPhoto.photo = Bytes(3000, 0x00);
  write(dir, "ResidenceCardFilesFuzz", "without-photo", residenceFiles(Residence::files(withoutPhoto)));
  write(dir, "ResidenceCardSecureMessagingFuzz", "card-type", residenceExchange(card.cardType));
  write(dir, "ResidenceCardSecureMessagingFuzz", "photo", residenceExchange(card.photo));
  write(dir, "ResidenceCardSecureMessagingFuzz", "front-image", residenceExchange(card.frontImage));

  write(dir, "Base64Fuzz", "text", text("MIIBCgKCAQEAu4="));
  write(dir, "Base64Fuzz", "padded", text("YWI="));

  write(dir, "VerdictFuzz", "valid",
        text(R"({"valid":true,"reqTime":"2026-12-06T21:00:00.000+09:00","checkedId":"tenant"})"));
  write(dir, "VerdictFuzz", "not-valid",
        text(R"({"valid":false,"reqTime":"2026-12-06T21:00:00.000+09:00","errorCode":"E1","errorDetail":"x"})"));
  write(dir, "VerdictFuzz", "nested", text(R"({"valid":true,"e":{"a":[1,2.5,"\/",null]}})"));
  const auto used = Authority::fixedKeys();
  if (used.size() != keys.size()) {
    fs::create_directories(dir);
    if (!Authority::writeKeys(keyFile, used)) {
      std::cerr << "cannot write the card keys to " << keyFile << '\n';
      return 1;
    }
    std::cout << used.size() - keys.size() << " card keys made and kept in " << keyFile << '\n';
  }
  std::cout << "seeds written to " << dir << '\n';
  return 0;
}
