#pragma once
// The shared helpers of the card readers: PIN rules, digests by name, hex and UTF-8 text, name and
// previous-name splitting, the verification-request bodies, JIS X 0208 licence text, and the helpers
// of the licence data and of the residence card.
//
// A plain object without state: create one where it is needed (`Utility().dataToHexString(x)`).
// Every operation is total: bad input gives the empty, absent or U+FFFD result its comment names,
// never a read past the end of the data and never an exception.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Extension/Bytes.hpp"
#include "Pin/SetPinKey.hpp"

namespace ekyc {

class ChangedEntry;

class Utility {
 public:
  using TagDictionary = std::map<std::string, Bytes>;

  // Argument labels for the overloads whose arguments alone would not tell them apart:
  //   createJsonVerifyingParams(Utility::ski, skiBytes)
  //   createJsonVerifyingParams(Utility::certificate, certificateBytes)
  //   createBase64EncodedArray(Utility::photo, photoText, cardEntriesText)
  struct SkiLabel {};
  struct CertificateLabel {};
  struct PhotoLabel {};
  static constexpr SkiLabel ski{};
  static constexpr CertificateLabel certificate{};
  static constexpr PhotoLabel photo{};

  // ---- PINs -------------------------------------------------------------------------------------

  // 12002 when the PIN is empty, else 12007 when its length in characters breaks the slot's rule,
  // else 12008 when a character is outside the slot's set, else 0. The rules:
  //   MYNUMBERCARD_CARDPRINTINFO_PIN  14 digits
  //   MYNUMBERCARD_MYNUMBER_PIN       12 digits
  //   RESIDENCECARD_PIN               12 of 0-9 a-z A-Z (the card number)
  //   MYNUMBERCARD_SIGNER_PIN         6 to 16 of 0-9 a-z A-Z
  //   MYNUMBERCARD_USERCERT_PIN, MYNUMBERCARD_PROMPTED_PII_PIN, DRIVERLICENSE_PIN1,
  //   DRIVERLICENSE_PIN2, MYNA_DRIVERLICENSE_PIN   4 digits
  // The whole text must match: a trailing line break is a character outside the set.
  int validatePin(SetPinKey key, const std::string& pin) const;

  // ---- Digests ----------------------------------------------------------------------------------

  // SHA-256, SHA-384 or SHA-512 of the data for "SHA-256", "SHA-384", "SHA-512"; empty for any
  // other name (names compare case-sensitively).
  Bytes createDigest(const Bytes& data, const std::string& hashAlgorithm) const;
  // True exactly for "SHA-256", "SHA-384" and "SHA-512".
  bool isSupportHashAlgorithm(const std::string& hashAlgorithm) const;
  // The dotted OID of a hash name (despite the label, the argument is a name): SHA-384 and SHA-512
  // give theirs, every other text the SHA-256 OID.
  std::string getHashAlgorithm(const std::string& hashAlgOid) const;

  // ---- Hex and UTF-8 text -----------------------------------------------------------------------

  // Two upper-case hex digits per byte, no separator; empty bytes give the empty text.
  std::string dataToHexString(const Bytes& data) const;
  std::string byteToHexString(const Bytes& bytes) const;
  // One byte per pair of hex digits (either case). Text of odd length or with a character that is
  // not a hex digit gives empty bytes.
  Bytes hexStringToBinary(const std::string& src) const;
  // The bytes as UTF-8 text; the empty text for absent bytes and for bytes that are not valid UTF-8.
  std::string dataToUTF8String(const std::optional<Bytes>& data) const;
  // The bytes as UTF-8 text; absent for absent or empty bytes and for bytes that are not UTF-8.
  std::optional<std::string> dataToUTF8StringForMynaDriverLicense(const std::optional<Bytes>& data) const;

  // ---- Names with a previous name in brackets ("氏名［旧姓］" in UTF-8) --------------------------
  //
  // A name holds a previous name when its text has the left separator followed, later, by the right
  // separator. A name with the left separator and no right separator after it is treated as a name
  // without a previous name: the common name is the whole name and the previous name is absent.
  // Character positions count user-perceived characters (a base character with its combining marks
  // and variation selectors is one, and so is a CR LF line break), as the substitute-character
  // positions of the cards do and as PIN lengths are counted.

  // Whether the UTF-8 text of the bytes contains the target text (false for an empty target).
  bool isIncludePreviousName(const std::optional<Bytes>& dataCommonName, const std::string& targetChar) const;
  // The text before the left separator joined to the text after the first right separator that
  // follows it, as UTF-8 bytes; the input unchanged when there is no previous name.
  Bytes fetchCommonName(const Bytes& dataCommonName, const std::string& separatorLeftChar,
                        const std::string& separatorRightChar) const;
  // The text strictly between the left separator and the first right separator after it; absent
  // when there is no previous name.
  std::optional<Bytes> fetchPreviousName(const Bytes& dataCommonName, const std::string& separatorLeftChar,
                                         const std::string& separatorRightChar) const;
  // dataSubChar holds one flag byte per character of the name. These give the flags of the
  // characters kept by fetchCommonName / fetchPreviousName, so that the result has one flag per
  // character of what those return. Positions past the end of a shorter dataSubChar are left out,
  // and so are flags past the end of the name. Without a previous name: dataSubChar unchanged /
  // absent.
  Bytes fetchIndexesOfSubCharInCommonName(const Bytes& dataCommonName, const Bytes& dataSubChar,
                                          const std::string& separatorLeftChar,
                                          const std::string& separatorRightChar) const;
  std::optional<Bytes> fetchIndexesOfSubCharInPreviousName(const Bytes& dataCommonName, const Bytes& dataSubChar,
                                                           const std::string& separatorLeftChar,
                                                           const std::string& separatorRightChar) const;

  // ---- Verification request ---------------------------------------------------------------------

  // {"publicKey":"<base64 key>"} or {"publicKey":"<base64 key>","hash":"<base64 hash>"} as UTF-8,
  // written by hand: no blanks, nothing escaped.
  Bytes createJsonVerifyingParams(const Bytes& publicKey, const std::optional<Bytes>& hash) const;
  // {"ski":"<base64>"} written by the JSON writer (a "/" as "\/"); absent, with a console line,
  // when writing fails.
  std::optional<Bytes> createJsonVerifyingParams(SkiLabel, const Bytes& ski) const;
  // {"certificate":"<base64>"} written by hand.
  Bytes createJsonVerifyingParams(CertificateLabel, const Bytes& certificate) const;
  // base64 of ["a","b"] (a and b inserted as they are).
  std::string createBase64EncodedArray(const std::string& cardPrintInfoVerifySrc,
                                       const std::string& supportVerifySrc) const;
  // base64 of cardEntries + "," + photo.
  std::string createBase64EncodedArray(PhotoLabel, const std::string& photo, const std::string& cardEntries) const;
  // The seven text members of a verification request, the application id as "tenantCode".
  std::map<std::string, std::string> createRequestBody(const std::string& expectedHash, const std::string& signature,
                                                       const std::string& verifyingParams, const std::string& flags,
                                                       const std::string& cardType, const std::string& reqType,
                                                       const std::string& appId) const;

  // ---- JIS X 0208 text of the driving licence ---------------------------------------------------
  //
  // Licence text is JIS X 0208 in two bytes per character (row and cell, 21-7E each), with the
  // external-character codes of Const().EXTERNAL_CODE standing for characters drawn as bitmaps and
  // the JIS X 0213 Roman numerals of ConstCharset.

  // The text of jisToUtf8(convertExtenalCodeToSquareCode(data)), decoded straight from the bytes:
  // external characters become a white square, undecodable characters U+FFFD, an odd last byte one
  // U+FFFD.
  std::string convertDriverLicenseChar(const Bytes& data) const;
  // The hex text of the bytes with every 4-digit group that is an external code replaced by "2222".
  std::string convertExtenalCodeToSquareCode(const Bytes& data) const;
  // Hex JIS text to UTF-8, 4 digits a character: Roman numerals from the ConstCharset table, the
  // others through EUC-JP; a character that does not decode gives U+FFFD, as do fewer than 4
  // digits left at the end (which end the text).
  std::string jisToUtf8(const std::string& jis) const;
  // A 4-digit hex code to its 2 EUC-JP bytes (each byte with the top bit set); absent for another
  // length or a non-hex digit.
  std::optional<Bytes> jisX0208ToEucJp(const std::string& jiX0208) const;
  // EUC-JP bytes to UTF-8; absent when they do not decode.
  std::optional<std::string> eucJpToUtf8(const Bytes& eucJp) const;
  // Whether a 4-digit code (either case) is one of ConstCharset().ROMAN_NUMS_OF_JIS.
  bool isJisx0213RomanNum(const std::string& str) const;
  // The character of a Roman-numeral code from ConstCharset's table; the empty text for another code.
  std::string jisToUtf8ByVudiLibJisToUtf8MappingTable(const std::string& jisStr) const;

  // Positions (counted in two-byte characters from 0) of the external-character codes in the data;
  // absent when the data is shorter than one character or holds none.
  std::optional<std::vector<int>> getIndexesOfExternalChar(const Bytes& data) const;
  // The 4 hex digits of the character at `index` after `offset` bytes; absent when they do not lie
  // wholly inside the data (negative arguments included).
  std::optional<std::string> getExternalCharKey(const Bytes& data, int offset, int index) const;

  // fetchLength > 0: the fetchLength bytes from offset; fetchLength 0: the bytes from offset up to,
  // and without, the last 10 bytes (the commission name of a history entry). Empty when the range
  // does not lie inside the data.
  Bytes fetchData(const Bytes& data, int offset, int fetchLength) const;
  // fetchData of each element; an empty element stays empty.
  std::vector<Bytes> fetchDataArray(const std::vector<Bytes>& dataArray, int offset, int fetchLength) const;
  // convertDriverLicenseChar of fetchData of each element; an empty element gives the empty text.
  std::vector<std::string> fetchDataToStringArray(const std::vector<Bytes>& dataArray, int offset,
                                                  int fetchLength) const;
  // convertDriverLicenseChar of the last fetchLength bytes of each element; the empty text for an
  // element shorter than that.
  std::vector<std::string> fetchFromBottomDataToStringArray(const std::vector<Bytes>& dataArray,
                                                            int fetchLength) const;
  // The present elements in order; absent for an absent list.
  template <class T>
  std::optional<std::vector<T>> removeNilFromArray(const std::optional<std::vector<std::optional<T>>>& dataArray) const {
    if (!dataArray) return std::nullopt;
    std::vector<T> out;
    for (const auto& element : *dataArray) {
      if (element) out.push_back(*element);
    }
    return out;
  }

  // Whether some two-byte character of the data has the 4-digit code `targetChar`.
  bool isIncludePreviousNameUsingJISX0208(const Bytes& dataCommonName, const std::string& targetChar) const;
  // The characters between the first left code and the first right code after it; absent for
  // absent data, without both codes, or without a right code after the left one.
  std::optional<Bytes> getPreviousNameUsingJISX0208(const std::optional<Bytes>& dataCommonName,
                                                    const std::string& separatorLeftString,
                                                    const std::string& separatorRightString) const;
  // The characters before the first left code; the data unchanged without both codes; absent for
  // absent data.
  std::optional<Bytes> removePreviousNameUsingJISX0208(const std::optional<Bytes>& dataCommonName,
                                                       const std::string& separatorLeftString,
                                                       const std::string& separatorRightString) const;

  // ---- Change history of the driving licence ---------------------------------------------------
  //
  // A history entry: byte 0 the JIS edition, bytes 1 to 14 the date, bytes 15 up to the last ten
  // the new value, the last 10 bytes the commission name.

  // The entry cut into its parts; absent for an entry shorter than 25 bytes (no room for its
  // fixed parts). An entry of exactly 25 bytes has an empty value.
  std::optional<ChangedEntry> createChangedEntry(const Bytes& entryBinary) const;
  // The entries of the list in order, empty and short ones skipped; absent for an absent list or
  // when nothing is left.
  std::optional<std::vector<ChangedEntry>> createChangedEntryList(
      const std::optional<std::vector<Bytes>>& dataList) const;
  // The last of createChangedEntryList; absent when that is absent.
  std::optional<ChangedEntry> createChangedEntryLatest(const std::optional<std::vector<Bytes>>& dataList) const;

  // ---- Licence data on the Individual Number Card -----------------------------------------------

  // Two bytes a character: 0000 adds nothing, a ConstCharset code its character, any other code
  // goes through EUC-JP; an undecodable code, or a single byte left at the end, adds U+FFFD.
  // Absent for absent or empty data.
  std::optional<std::string> convertMynaDriverLicenseChar(const std::optional<Bytes>& optionalData) const;
  // One entry per listed tag, in list order (absent for a tag without entry). The whole result is
  // absent when the dictionary or the list is empty or no listed tag has a non-empty value.
  std::optional<std::vector<std::optional<std::string>>> fetchUTF8StringValueByTag(
      const TagDictionary& dic, const std::vector<std::string>& tagList) const;
  std::optional<std::vector<std::optional<std::string>>> fetchJISStringValueByTag(
      const TagDictionary& dic, const std::vector<std::string>& tagList) const;
  std::optional<std::vector<std::optional<Bytes>>> fetchDataValueByTag(const TagDictionary& dic,
                                                                      const std::vector<std::string>& tagList) const;

  // ---- Residence card ---------------------------------------------------------------------------

  // a1[i] XOR a2[i], as long as a1; empty when a2 is shorter than a1.
  Bytes xorUInt8Array(const Bytes& a1, const Bytes& a2) const;
  // Every byte 00 (also for empty data).
  bool isDataAllEmpty(const Bytes& data) const;
  // The bytes, or absent when they are all 00.
  std::optional<Bytes> binaryEmptyToNil(const std::optional<Bytes>& src) const;
  // Both absent.
  bool isSignatureAndCertificateEmpty(const std::optional<Bytes>& signature,
                                      const std::optional<Bytes>& certificate) const;
  // All three absent (a card of a holder under 16 carries no photo and no signatures).
  bool is16YearsUnderForResidenceCard(const std::optional<Bytes>& photo, const std::optional<Bytes>& signature,
                                      const std::optional<Bytes>& certificate) const;
  // Whether the card carries the fixed test values instead of a real check code and certificate:
  // `signature` equal to RESIDENCE_CARD_TEST_CHECK_CODE and `certificate` to
  // RESIDENCE_CARD_TEST_CERTIFICATE, byte for byte.
  bool isConstantValueForResidenceCard(const Bytes& signature, const Bytes& certificate) const;

  // The fixed test values, as upper-case hex text:
  //  - the check code: 256 bytes (512 digits), an RSA-2048 PKCS #1 v1.5 SHA-256 signature by the
  //    certificate's key over the ASCII text "nfc-ekyc residence card fixed test check code";
  //  - the certificate: 1200 bytes (2400 digits), a self-signed DER X.509 certificate of 911 bytes
  //    (C=JP, O=nfc-ekyc, CN=nfc-ekyc residence card fixed test certificate 2025, serial 0102,
  //    RSA-2048, SHA-256) followed by 289 zero bytes, as the card's 1200-byte field holds it.
  // A virtual residence test card carries these values in DA and DB.
  static std::string_view RESIDENCE_CARD_TEST_CHECK_CODE();
  static std::string_view RESIDENCE_CARD_TEST_CERTIFICATE();
};

}  // namespace ekyc
