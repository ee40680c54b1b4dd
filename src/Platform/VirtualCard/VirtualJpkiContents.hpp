#pragma once
// What a virtual JPKI application holds: the user-authentication PIN, key and certificate, the
// signing PIN, key and certificate (with the holder's six items in its subjectAltName), and the
// CA that issued both certificates. Pure builders: nothing here talks to a card emulator.
#include <cstdint>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"

namespace ekyc {

class VirtualJpkiContents {
 public:
  // The application's AID and file ids.
  static Bytes aid() { return {0xD3, 0x92, 0xF0, 0x00, 0x26, 0x01, 0x00, 0x00, 0x00, 0x01}; }
  static constexpr std::uint16_t EF_USER_AUTH_PIN = 0x0018;
  static constexpr std::uint16_t EF_USER_AUTH_KEY = 0x0017;
  static constexpr std::uint16_t EF_USER_AUTH_CERT = 0x000A;
  static constexpr std::uint16_t EF_SIGNING_PIN = 0x001B;
  static constexpr std::uint16_t EF_SIGNING_KEY = 0x001A;
  static constexpr std::uint16_t EF_SIGNING_CERT = 0x0001;
  // Nominal size of a certificate file; the DER element is followed by FF fill up to it.
  static constexpr std::size_t CERT_FILE_SIZE = 3900;

  // The six subjectAltName items of the signing certificate; an absent item is left out.
  struct Holder {
    std::optional<std::string> name;            // UTF-8; may hold a previous name in "［…］"
    std::optional<std::string> nameSubChar;     // one ASCII character per character of name
    std::optional<std::string> gender;          // "1", "2" or "3"
    std::optional<std::string> dateOfBirth;     // era digit, then yyyymmdd
    std::optional<std::string> address;         // UTF-8
    std::optional<std::string> addressSubChar;  // one ASCII character per character of address

    // A holder with a previous name and an address long enough for long-form DER lengths.
    static Holder sample();
    // A holder without a previous name and with a short address (short-form lengths only).
    static Holder plain();
  };

  // The three RSA-2048 keys; generating them is the slow part of making a card, so tests share them.
  struct Keys {
    EvpPkeyPtr ca;
    EvpPkeyPtr userAuth;
    EvpPkeyPtr signing;
    static Keys generate();
  };

  struct Options {
    Holder holder = Holder::sample();
    std::string userAuthPin = "1234";
    int userAuthMaxTries = 3;
    int userAuthTriesLeft = 3;  // 0: locked
    std::string signingPin = "ABCDEF123";  // stored upper-case, as the card compares it
    int signingMaxTries = 5;
    int signingTriesLeft = 5;  // 0: locked
    // Replace a certificate file's whole content (e.g. a file without a DER element).
    std::optional<Bytes> userAuthCertificateFile;
    std::optional<Bytes> signingCertificateFile;
  };

  static VirtualJpkiContents make(const Keys& keys);
  static VirtualJpkiContents make(const Keys& keys, const Options& options);

  Options options;
  Bytes caCertificate;           // DER
  Bytes userAuthCertificate;     // DER
  Bytes signingCertificate;      // DER
  Bytes userAuthCertificateFile; // as the card's EF 000A holds it
  Bytes signingCertificateFile;  // as the card's EF 0001 holds it
  EvpPkeyPtr userAuthKey;
  EvpPkeyPtr signingKey;

  // What COMPUTE DIGITAL SIGNATURE answers: RSA with PKCS #1 v1.5 type-1 padding over the given
  // DigestInfo as it is (the card pads, it does not hash). Absent when the key cannot sign it
  // (data longer than the modulus allows).
  static std::optional<Bytes> sign(EVP_PKEY* key, const Bytes& digestInfo);

  // A certificate DER element followed by FF fill up to CERT_FILE_SIZE.
  static Bytes certificateFile(const Bytes& der);
};

}  // namespace ekyc
