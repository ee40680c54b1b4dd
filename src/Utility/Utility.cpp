#include "Utility/Utility.hpp"

#include "DriverLicense/ChangedEntry.hpp"

#include <algorithm>
#include <bitset>
#include <iostream>
#include <span>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/EucJp.hpp"
#include "Platform/Json.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstCharset.hpp"

namespace ekyc {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string toHex(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const auto b : bytes) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
  return out;
}

std::string upper(std::string text) {
  for (auto& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// A 4-digit hex code as a number; -1 when it is not one.
int codeOf(std::string_view text) {
  if (text.size() != 4) return -1;
  int value = 0;
  for (const char c : text) {
    const int d = hexValue(c);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

// ---- UTF-8 ----------------------------------------------------------------------------------------

// Decodes one code point at text[pos]; returns its length, 0 when the sequence is not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b0 = byte(pos);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, value = b0 & 0x1F, minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, value = b0 & 0x0F, minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  cp = value;
  return length;
}

bool isValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t cp = 0;
  while (pos < text.size()) {
    const std::size_t n = decodeUtf8(text, pos, cp);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

// Code points that attach to the character before them: combining marks, the kana voicing marks,
// variation selectors, zero-width joiners and emoji modifiers.
bool extendsCharacter(char32_t cp) {
  return (cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x1AB0 && cp <= 0x1AFF) || (cp >= 0x1DC0 && cp <= 0x1DFF) ||
         (cp >= 0x20D0 && cp <= 0x20FF) || cp == 0x200C || cp == 0x200D || (cp >= 0x3099 && cp <= 0x309A) ||
         (cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0xFE20 && cp <= 0xFE2F) || (cp >= 0x1F3FB && cp <= 0x1F3FF) ||
         (cp >= 0xE0100 && cp <= 0xE01EF);
}

// Byte offsets where each user-perceived character of valid UTF-8 text starts, plus the end.
// A line break written CR LF is one character.
std::vector<std::size_t> characterBoundaries(std::string_view text) {
  std::vector<std::size_t> bounds;
  std::size_t pos = 0;
  bool joinNext = false;
  char32_t previous = 0;
  char32_t cp = 0;
  while (pos < text.size()) {
    std::size_t n = decodeUtf8(text, pos, cp);
    if (n == 0) n = 1, cp = 0xFFFD;
    const bool crLf = previous == U'\r' && cp == U'\n';
    if (bounds.empty() || !(extendsCharacter(cp) || joinNext || crLf)) bounds.push_back(pos);
    joinNext = cp == 0x200D;
    previous = cp;
    pos += n;
  }
  bounds.push_back(text.size());
  return bounds;
}

// Where a previous name sits in a name's text, in bytes and in characters.
struct PreviousNameSplit {
  std::size_t leftByte, afterLeftByte, rightByte, afterRightByte;
  std::size_t leftChar, afterLeftChar, rightChar, afterRightChar, endChar;
};

std::size_t characterIndexOf(const std::vector<std::size_t>& bounds, std::size_t byteOffset) {
  return static_cast<std::size_t>(std::lower_bound(bounds.begin(), bounds.end(), byteOffset) - bounds.begin());
}

std::optional<PreviousNameSplit> splitPreviousName(std::string_view text, std::string_view left,
                                                   std::string_view right) {
  if (left.empty() || right.empty()) return std::nullopt;
  const std::size_t l = text.find(left);
  if (l == std::string_view::npos) return std::nullopt;
  const std::size_t r = text.find(right, l + left.size());
  if (r == std::string_view::npos) return std::nullopt;
  const auto bounds = characterBoundaries(text);
  PreviousNameSplit s{};
  s.leftByte = l;
  s.afterLeftByte = l + left.size();
  s.rightByte = r;
  s.afterRightByte = r + right.size();
  s.leftChar = characterIndexOf(bounds, s.leftByte);
  s.afterLeftChar = characterIndexOf(bounds, s.afterLeftByte);
  s.rightChar = characterIndexOf(bounds, s.rightByte);
  s.afterRightChar = characterIndexOf(bounds, s.afterRightByte);
  s.endChar = bounds.size() - 1;
  return s;
}

std::string_view asText(const Bytes& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// Flags of the characters [from, to) of the name; positions past the end of the flags are left out.
void appendFlags(Bytes& out, const Bytes& flags, std::size_t from, std::size_t to) {
  to = std::min(to, flags.size());
  for (std::size_t i = from; i < to; ++i) out.push_back(flags[i]);
}

// ---- JIS X 0208 -----------------------------------------------------------------------------------

// A set of two-byte codes, looked up in constant time.
using CodeSet = std::bitset<0x10000>;

const ConstCharset& charset() {
  static const ConstCharset instance;
  return instance;
}

// The external-character codes.
const CodeSet& externalCodes() {
  static const CodeSet codes = [] {
    CodeSet set;
    for (const auto& code : Const().EXTERNAL_CODE) set.set(static_cast<std::size_t>(codeOf(code)));
    return set;
  }();
  return codes;
}

// The Roman-numeral table as code -> UTF-8 text.
struct RomanNumerals {
  CodeSet listed;
  std::map<int, std::string> text;
};

const RomanNumerals& romanNumerals() {
  static const RomanNumerals table = [] {
    RomanNumerals t;
    const ConstCharset& c = charset();
    for (const auto& code : c.ROMAN_NUMS_OF_JIS) {
      const auto it = c.VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE.find(code);
      if (it == c.VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE.end()) continue;
      const Bytes utf8 = Utility().hexStringToBinary(it->second);
      t.listed.set(static_cast<std::size_t>(codeOf(code)));
      t.text[codeOf(code)] = std::string(utf8.begin(), utf8.end());
    }
    return t;
  }();
  return table;
}

// JIS X 0208 text to UTF-8, one two-byte code at a time: a Roman numeral from the toolkit's table; a
// code whose row and cell both lie in 21-7E through EUC-JP (each byte with its top bit set); any
// other code, or -1 for a code that could not be read, U+FFFD. Other bytes would reach EUC-JP's
// single-byte controls (00 00 would become two U+0080) or its half-width kana, which are not JIS
// X 0208 characters. Consecutive EUC-JP codes are converted together, in one converter call; a
// code without mapping still gives one U+FFFD of its own there.
class JisText {
 public:
  explicit JisText(std::size_t codes) : roman_(romanNumerals()) {
    out_.reserve(codes * 4 + 8);  // at most three bytes a code, and the converter's headroom
    euc_.reserve(codes * 2);
  }

  void add(int code) {
    if (code >= 0) {
      if (roman_.listed[static_cast<std::size_t>(code)]) {
        flush();
        out_ += roman_.text.at(code);
        return;
      }
      const auto high = static_cast<std::uint8_t>(code >> 8);
      const auto low = static_cast<std::uint8_t>(code);
      if (inRange(high) && inRange(low)) {
        euc_.push_back(static_cast<std::uint8_t>(high | 0x80));
        euc_.push_back(static_cast<std::uint8_t>(low | 0x80));
        return;
      }
    }
    flush();
    out_ += kReplacement;
  }

  std::string finish() {
    flush();
    return std::move(out_);
  }

 private:
  static bool inRange(std::uint8_t b) { return b >= 0x21 && b <= 0x7E; }

  void flush() {
    if (euc_.empty()) return;
    EucJp::appendLossy(euc_, out_);
    euc_.clear();
  }

  const RomanNumerals& roman_;
  std::string out_;
  Bytes euc_;
};

int codeAt(const Bytes& data, std::size_t i) { return (data[i] << 8) | data[i + 1]; }

// A tag dictionary's entries for a list, through `convert`; absent when nothing listed has bytes.
template <class T, class Convert>
std::optional<std::vector<std::optional<T>>> valuesByTag(const Utility::TagDictionary& dic,
                                                        const std::vector<std::string>& tagList, Convert convert) {
  if (dic.empty() || tagList.empty()) return std::nullopt;
  bool anyValue = false;
  std::vector<std::optional<T>> out;
  out.reserve(tagList.size());
  for (const auto& tag : tagList) {
    const auto it = dic.find(tag);
    if (it == dic.end()) {
      out.emplace_back(std::nullopt);
      continue;
    }
    if (!it->second.empty()) anyValue = true;
    out.push_back(convert(it->second));
  }
  if (!anyValue) return std::nullopt;
  return out;
}

// ---- Residence card test values -------------------------------------------------------------------

constexpr std::string_view kResidenceCardTestCheckCode =
    "57E4F86FA1B0362C9390E9F7130C37AE9A8D4326DFAEAFB7CFDC2DBAA5597B65C35EE815928F17717ABCDB7BD04312BF"
    "2A1E0FCE663E30244289F3CCB3925B5F61E18DB85034CF77F2B5B93CB1EECC98E29D43BBD4336D1234300E6B32C42934"
    "BB1FD3D6D02564EE7D35E772468D0E28BB54B4F97FF7D38235B56FC5E4399B1F1BC2234E415C4B3A2D3C05960730875E"
    "6321B990D16BEA3DE27460B52C560E0D86B23CAB4F31301C5A7CFD644FB1CECDA953676433FD81258E254F11F359D1EB"
    "AA678B02865F84FF410A8BCC6B771663544ACAA7F749C07B6DB66F70F49281D9542F984385D250BD07E9312E7B4DF343"
    "C6CBECB1F619F777A6618AE97754421A";

constexpr std::string_view kResidenceCardTestCertificate =
    "3082038B30820273A00302010202020102300D06092A864886F70D01010B0500305E310B3009060355040613024A5031"
    "11300F060355040A0C086E66632D656B7963313C303A06035504030C336E66632D656B7963207265736964656E636520"
    "6361726420666978656420746573742063657274696669636174652032303235301E170D323631323036313732313432"
    "5A170D3336313230333137323134325A305E310B3009060355040613024A503111300F060355040A0C086E66632D656B"
    "7963313C303A06035504030C336E66632D656B7963207265736964656E63652063617264206669786564207465737420"
    "6365727469666963617465203230323530820122300D06092A864886F70D01010105000382010F003082010A02820101"
    "00B3268FB748EEEA2C6EF76AE44C92B005A49B7165A4176761715EC7E9129E709FC64DDB917994AFD0DD33FDC0902A0C"
    "A9C2CC2466F2704828BB12C4E4F7D0207D9CD71A3B324E4FAF2A1145EBBB34D6A4F3779C948AF1443E5C83F9318EF066"
    "49D17876EBEA78D1A61A3F80AE2A9F5394D1CAAE87476E754A51BD853CEBAF2D3D12EE3D0DB400FB3B3626F0B1403589"
    "00B17B0030CE671A4A733B416E3D17153E72D8A876609649806C8F7520822AADB939C16EF9948662E4548F1630B09819"
    "A4FEB8544F35425FA78F1C9276572940FB7D97089E0033520C84CC8643555104573861618175F3E6BAAA3093B7A54B97"
    "90A5262375090A18967C09E1DBFBE5CCFF0203010001A3533051301D0603551D0E04160414507D5CDC91A6FE6D026AE5"
    "808EDBD1105CB1012A301F0603551D23041830168014507D5CDC91A6FE6D026AE5808EDBD1105CB1012A300F0603551D"
    "130101FF040530030101FF300D06092A864886F70D01010B050003820101007D519604181C17015EF29574E218445BDA"
    "5AFE6D6C4A12FD7FC57DE814A5B50A30A4AF4AEAAC6FFB0F8F09A40DE32FA67A8678CCA8879D8A942EEF293EDE4EA16F"
    "BF4EEE3331F2E0B2E9D0CAFBBE1CDB49B6E7774DBB090FA92B25A8F4809F526BB82E2DA4E2AFC969F7C47CC64D65AE8D"
    "F322CA1817246A6CAE79178BB3EF2145150EA3DF2532C1F44B68650BF25B0F56653112278EBD5918D620CA66E25ACCE2"
    "913EAC31C65FFFD2EA2361E733E43BAA8CF90B0082884B43D3C09035E6F1B65760CE253ECE5913E4212235178B8C4B23"
    "DB2AE4A9589A3B99E23519949D50198E1EAD62104790DCC23981261A5973F5B646098C0F3D50F687BDC030D1DF70BB00"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000";

}  // namespace

// ---- PINs -----------------------------------------------------------------------------------------

int Utility::validatePin(SetPinKey key, const std::string& pin) const {
  constexpr int kEmpty = 12002;
  constexpr int kLength = 12007;
  constexpr int kCharacters = 12008;
  if (pin.empty()) return kEmpty;

  std::size_t minLength = 4;
  std::size_t maxLength = 4;
  bool letters = false;
  switch (key) {
    case SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN: minLength = maxLength = 14; break;
    case SetPinKey::MYNUMBERCARD_MYNUMBER_PIN: minLength = maxLength = 12; break;
    case SetPinKey::RESIDENCECARD_PIN: minLength = maxLength = 12, letters = true; break;
    case SetPinKey::MYNUMBERCARD_SIGNER_PIN: minLength = 6, maxLength = 16, letters = true; break;
    case SetPinKey::MYNUMBERCARD_USERCERT_PIN:
    case SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN:
    case SetPinKey::DRIVERLICENSE_PIN1:
    case SetPinKey::DRIVERLICENSE_PIN2:
    case SetPinKey::MYNA_DRIVERLICENSE_PIN: minLength = maxLength = 4; break;
  }
  // Length in characters, as the user typed them.
  const std::size_t length = characterBoundaries(pin).size() - 1;
  if (length < minLength || length > maxLength) return kLength;
  for (const char c : pin) {
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!(digit || (letters && letter))) return kCharacters;
  }
  return 0;
}

// ---- Digests --------------------------------------------------------------------------------------

Bytes Utility::createDigest(const Bytes& data, const std::string& hashAlgorithm) const {
  const Const c;
  if (hashAlgorithm == c.SHA256) return Digest::sha256(data);
  if (hashAlgorithm == c.SHA384) return Digest::sha384(data);
  if (hashAlgorithm == c.SHA512) return Digest::sha512(data);
  return {};
}

bool Utility::isSupportHashAlgorithm(const std::string& hashAlgorithm) const {
  const Const c;
  return hashAlgorithm == c.SHA256 || hashAlgorithm == c.SHA384 || hashAlgorithm == c.SHA512;
}

std::string Utility::getHashAlgorithm(const std::string& hashAlgOid) const {
  const Const c;
  if (hashAlgOid == c.SHA384) return c.OID_SHA384;
  if (hashAlgOid == c.SHA512) return c.OID_SHA512;
  return c.OID_SHA256;
}

// ---- Hex and UTF-8 text ---------------------------------------------------------------------------

std::string Utility::dataToHexString(const Bytes& data) const { return toHex(data); }

std::string Utility::byteToHexString(const Bytes& bytes) const { return toHex(bytes); }

Bytes Utility::hexStringToBinary(const std::string& src) const {
  if (src.size() % 2 != 0) return {};
  Bytes out;
  out.reserve(src.size() / 2);
  for (std::size_t i = 0; i < src.size(); i += 2) {
    const int high = hexValue(src[i]);
    const int low = hexValue(src[i + 1]);
    if (high < 0 || low < 0) return {};
    out.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return out;
}

std::string Utility::dataToUTF8String(const std::optional<Bytes>& data) const {
  if (!data || !isValidUtf8(asText(*data))) return {};
  return std::string(asText(*data));
}

std::optional<std::string> Utility::dataToUTF8StringForMynaDriverLicense(const std::optional<Bytes>& data) const {
  if (!data || data->empty() || !isValidUtf8(asText(*data))) return std::nullopt;
  return std::string(asText(*data));
}

// ---- Names ----------------------------------------------------------------------------------------

bool Utility::isIncludePreviousName(const std::optional<Bytes>& dataCommonName, const std::string& targetChar) const {
  if (targetChar.empty()) return false;
  return dataToUTF8String(dataCommonName).find(targetChar) != std::string::npos;
}

Bytes Utility::fetchCommonName(const Bytes& dataCommonName, const std::string& separatorLeftChar,
                               const std::string& separatorRightChar) const {
  const std::string text = dataToUTF8String(dataCommonName);
  const auto split = splitPreviousName(text, separatorLeftChar, separatorRightChar);
  if (!split) return dataCommonName;
  const std::string common = text.substr(0, split->leftByte) + text.substr(split->afterRightByte);
  return toBytes(common);
}

std::optional<Bytes> Utility::fetchPreviousName(const Bytes& dataCommonName, const std::string& separatorLeftChar,
                                                const std::string& separatorRightChar) const {
  const std::string text = dataToUTF8String(dataCommonName);
  const auto split = splitPreviousName(text, separatorLeftChar, separatorRightChar);
  if (!split) return std::nullopt;
  return toBytes(std::string_view(text).substr(split->afterLeftByte, split->rightByte - split->afterLeftByte));
}

Bytes Utility::fetchIndexesOfSubCharInCommonName(const Bytes& dataCommonName, const Bytes& dataSubChar,
                                                 const std::string& separatorLeftChar,
                                                 const std::string& separatorRightChar) const {
  const std::string text = dataToUTF8String(dataCommonName);
  const auto split = splitPreviousName(text, separatorLeftChar, separatorRightChar);
  if (!split) return dataSubChar;
  Bytes out;
  appendFlags(out, dataSubChar, 0, split->leftChar);
  appendFlags(out, dataSubChar, split->afterRightChar, split->endChar);
  return out;
}

std::optional<Bytes> Utility::fetchIndexesOfSubCharInPreviousName(const Bytes& dataCommonName,
                                                                  const Bytes& dataSubChar,
                                                                  const std::string& separatorLeftChar,
                                                                  const std::string& separatorRightChar) const {
  const std::string text = dataToUTF8String(dataCommonName);
  const auto split = splitPreviousName(text, separatorLeftChar, separatorRightChar);
  if (!split) return std::nullopt;
  Bytes out;
  appendFlags(out, dataSubChar, split->afterLeftChar, split->rightChar);
  return out;
}

// ---- Verification request -------------------------------------------------------------------------

Bytes Utility::createJsonVerifyingParams(const Bytes& publicKey, const std::optional<Bytes>& hash) const {
  const Const c;
  std::string json = "{\"" + c.JSON_VERIFYING_PARAMS_PUBLIC_KEY + "\":\"" + Base64::encode(publicKey) + "\"";
  if (hash) json += ",\"" + c.JSON_VERIFYING_PARAMS_HASH + "\":\"" + Base64::encode(*hash) + "\"";
  json += "}";
  return toBytes(json);
}

std::optional<Bytes> Utility::createJsonVerifyingParams(SkiLabel, const Bytes& ski) const {
  const nlohmann::json object = {{Const().JSON_VERIFYING_PARAMS_SKI, Base64::encode(ski)}};
  const auto text = Json::write(object);
  if (!text) {
    std::clog << "createJsonVerifyingParams: the JSON text could not be written" << std::endl;
    return std::nullopt;
  }
  return toBytes(*text);
}

Bytes Utility::createJsonVerifyingParams(CertificateLabel, const Bytes& certificate) const {
  return toBytes("{\"" + Const().JSON_VERIFYING_PARAMS_CERTIFICATE + "\":\"" + Base64::encode(certificate) + "\"}");
}

std::string Utility::createBase64EncodedArray(const std::string& cardPrintInfoVerifySrc,
                                              const std::string& supportVerifySrc) const {
  return Base64::encode(toBytes("[\"" + cardPrintInfoVerifySrc + "\",\"" + supportVerifySrc + "\"]"));
}

std::string Utility::createBase64EncodedArray(PhotoLabel, const std::string& photo,
                                              const std::string& cardEntries) const {
  return Base64::encode(toBytes(cardEntries + "," + photo));
}

std::map<std::string, std::string> Utility::createRequestBody(const std::string& expectedHash,
                                                              const std::string& signature,
                                                              const std::string& verifyingParams,
                                                              const std::string& flags, const std::string& cardType,
                                                              const std::string& reqType,
                                                              const std::string& appId) const {
  const Const c;
  return {
      {c.JSON_REQUEST_EXPECTED_HASH, expectedHash}, {c.JSON_REQUEST_SIGNATURE, signature},
      {c.JSON_REQUEST_VERIFYING_PARAMS, verifyingParams}, {c.JSON_REQUEST_FLAGS, flags},
      {c.JSON_REQUEST_CARD_TYPE, cardType},         {c.JSON_REQUEST_REQ_TYPE, reqType},
      {c.JSON_REQUEST_TENANT_CODE, appId},
  };
}

// ---- JIS X 0208 text of the driving licence -------------------------------------------------------

std::string Utility::convertDriverLicenseChar(const Bytes& data) const {
  constexpr int kWhiteSquare = 0x2222;
  const CodeSet& external = externalCodes();
  JisText text(data.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 2 <= data.size(); i += 2) {
    const int code = codeAt(data, i);
    text.add(external[static_cast<std::size_t>(code)] ? kWhiteSquare : code);
  }
  if (i < data.size()) text.add(-1);
  return text.finish();
}

std::string Utility::convertExtenalCodeToSquareCode(const Bytes& data) const {
  const CodeSet& external = externalCodes();
  std::string out;
  out.reserve(data.size() * 2);
  std::size_t i = 0;
  for (; i + 2 <= data.size(); i += 2) {
    if (external[static_cast<std::size_t>(codeAt(data, i))]) {
      out += "2222";
    } else {
      out += toHex(std::span(data).subspan(i, 2));
    }
  }
  if (i < data.size()) out += toHex(std::span(data).subspan(i));
  return out;
}

std::string Utility::jisToUtf8(const std::string& jis) const {
  JisText text(jis.size() / 4 + 1);
  std::size_t i = 0;
  for (; i + 4 <= jis.size(); i += 4) text.add(codeOf(std::string_view(jis).substr(i, 4)));
  if (i < jis.size()) text.add(-1);
  return text.finish();
}

std::optional<Bytes> Utility::jisX0208ToEucJp(const std::string& jiX0208) const {
  const int code = codeOf(jiX0208);
  if (code < 0) return std::nullopt;
  return Bytes{static_cast<std::uint8_t>((code >> 8) | 0x80), static_cast<std::uint8_t>((code & 0xFF) | 0x80)};
}

std::optional<std::string> Utility::eucJpToUtf8(const Bytes& eucJp) const { return EucJp::decode(eucJp); }

bool Utility::isJisx0213RomanNum(const std::string& str) const {
  const auto& codes = charset().ROMAN_NUMS_OF_JIS;
  return std::find(codes.begin(), codes.end(), upper(str)) != codes.end();
}

std::string Utility::jisToUtf8ByVudiLibJisToUtf8MappingTable(const std::string& jisStr) const {
  const auto& table = charset().VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE;
  const auto it = table.find(upper(jisStr));
  if (it == table.end()) return {};
  const Bytes utf8 = hexStringToBinary(it->second);
  return std::string(utf8.begin(), utf8.end());
}

std::optional<std::vector<int>> Utility::getIndexesOfExternalChar(const Bytes& data) const {
  if (data.size() < 2) return std::nullopt;
  const CodeSet& external = externalCodes();
  std::vector<int> indexes;
  for (std::size_t i = 0; i + 2 <= data.size(); i += 2) {
    if (external[static_cast<std::size_t>(codeAt(data, i))]) indexes.push_back(static_cast<int>(i / 2));
  }
  if (indexes.empty()) return std::nullopt;
  return indexes;
}

std::optional<std::string> Utility::getExternalCharKey(const Bytes& data, int offset, int index) const {
  if (offset < 0 || index < 0 || data.size() < 2) return std::nullopt;
  const std::size_t start = static_cast<std::size_t>(offset) + 2 * static_cast<std::size_t>(index);
  if (start > data.size() || data.size() - start < 2) return std::nullopt;
  return toHex(std::span(data).subspan(start, 2));
}

Bytes Utility::fetchData(const Bytes& data, int offset, int fetchLength) const {
  constexpr std::size_t kTrailer = 10;
  if (offset < 0 || fetchLength < 0) return {};
  const auto from = static_cast<std::size_t>(offset);
  std::size_t to = 0;
  if (fetchLength == 0) {
    if (data.size() < kTrailer) return {};
    to = data.size() - kTrailer;
  } else {
    to = from + static_cast<std::size_t>(fetchLength);
  }
  if (from > to || to > data.size()) return {};
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from), data.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<Bytes> Utility::fetchDataArray(const std::vector<Bytes>& dataArray, int offset, int fetchLength) const {
  std::vector<Bytes> out;
  out.reserve(dataArray.size());
  for (const auto& element : dataArray) {
    out.push_back(element.empty() ? Bytes{} : fetchData(element, offset, fetchLength));
  }
  return out;
}

std::vector<std::string> Utility::fetchDataToStringArray(const std::vector<Bytes>& dataArray, int offset,
                                                         int fetchLength) const {
  std::vector<std::string> out;
  out.reserve(dataArray.size());
  for (const auto& element : dataArray) {
    out.push_back(element.empty() ? std::string{} : convertDriverLicenseChar(fetchData(element, offset, fetchLength)));
  }
  return out;
}

std::vector<std::string> Utility::fetchFromBottomDataToStringArray(const std::vector<Bytes>& dataArray,
                                                                   int fetchLength) const {
  std::vector<std::string> out;
  out.reserve(dataArray.size());
  for (const auto& element : dataArray) {
    if (fetchLength < 0 || element.size() < static_cast<std::size_t>(fetchLength)) {
      out.emplace_back();
      continue;
    }
    out.push_back(convertDriverLicenseChar(Bytes(element.end() - fetchLength, element.end())));
  }
  return out;
}

bool Utility::isIncludePreviousNameUsingJISX0208(const Bytes& dataCommonName, const std::string& targetChar) const {
  const int target = codeOf(targetChar);
  if (target < 0) return false;
  for (std::size_t i = 0; i + 2 <= dataCommonName.size(); i += 2) {
    if (((dataCommonName[i] << 8) | dataCommonName[i + 1]) == target) return true;
  }
  return false;
}

namespace {

// Character index of the first two-byte character with `code` at or after character `from`.
std::optional<std::size_t> findJisCode(const Bytes& data, int code, std::size_t from) {
  for (std::size_t i = from * 2; i + 2 <= data.size(); i += 2) {
    if (((data[i] << 8) | data[i + 1]) == code) return i / 2;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Bytes> Utility::getPreviousNameUsingJISX0208(const std::optional<Bytes>& dataCommonName,
                                                           const std::string& separatorLeftString,
                                                           const std::string& separatorRightString) const {
  if (!dataCommonName) return std::nullopt;
  const Bytes& data = *dataCommonName;
  if (!isIncludePreviousNameUsingJISX0208(data, separatorLeftString) ||
      !isIncludePreviousNameUsingJISX0208(data, separatorRightString)) {
    return std::nullopt;
  }
  const auto left = findJisCode(data, codeOf(separatorLeftString), 0);
  if (!left) return std::nullopt;
  const auto right = findJisCode(data, codeOf(separatorRightString), *left + 1);
  if (!right) return std::nullopt;
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>((*left + 1) * 2),
               data.begin() + static_cast<std::ptrdiff_t>(*right * 2));
}

std::optional<Bytes> Utility::removePreviousNameUsingJISX0208(const std::optional<Bytes>& dataCommonName,
                                                              const std::string& separatorLeftString,
                                                              const std::string& separatorRightString) const {
  if (!dataCommonName) return std::nullopt;
  const Bytes& data = *dataCommonName;
  if (!isIncludePreviousNameUsingJISX0208(data, separatorLeftString) ||
      !isIncludePreviousNameUsingJISX0208(data, separatorRightString)) {
    return data;
  }
  const auto left = findJisCode(data, codeOf(separatorLeftString), 0);
  if (!left) return data;
  return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(*left * 2));
}

// ---- Licence data on the Individual Number Card ---------------------------------------------------

std::optional<std::string> Utility::convertMynaDriverLicenseChar(const std::optional<Bytes>& optionalData) const {
  if (!optionalData || optionalData->empty()) return std::nullopt;
  const Bytes& data = *optionalData;
  JisText text(data.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 2 <= data.size(); i += 2) {
    const int code = codeAt(data, i);
    if (code != 0x0000) text.add(code);
  }
  if (i < data.size()) text.add(-1);
  return text.finish();
}

std::optional<std::vector<std::optional<std::string>>> Utility::fetchUTF8StringValueByTag(
    const TagDictionary& dic, const std::vector<std::string>& tagList) const {
  return valuesByTag<std::string>(dic, tagList,
                                  [this](const Bytes& value) { return dataToUTF8StringForMynaDriverLicense(value); });
}

std::optional<std::vector<std::optional<std::string>>> Utility::fetchJISStringValueByTag(
    const TagDictionary& dic, const std::vector<std::string>& tagList) const {
  return valuesByTag<std::string>(dic, tagList,
                                  [this](const Bytes& value) { return convertMynaDriverLicenseChar(value); });
}

std::optional<std::vector<std::optional<Bytes>>> Utility::fetchDataValueByTag(
    const TagDictionary& dic, const std::vector<std::string>& tagList) const {
  return valuesByTag<Bytes>(dic, tagList, [](const Bytes& value) { return std::optional<Bytes>(value); });
}

// ---- Residence card -------------------------------------------------------------------------------

Bytes Utility::xorUInt8Array(const Bytes& a1, const Bytes& a2) const {
  if (a2.size() < a1.size()) return {};
  Bytes out(a1.size());
  for (std::size_t i = 0; i < a1.size(); ++i) out[i] = a1[i] ^ a2[i];
  return out;
}

bool Utility::isDataAllEmpty(const Bytes& data) const {
  return std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0x00; });
}

std::optional<Bytes> Utility::binaryEmptyToNil(const std::optional<Bytes>& src) const {
  if (src && isDataAllEmpty(*src)) return std::nullopt;
  return src;
}

bool Utility::isSignatureAndCertificateEmpty(const std::optional<Bytes>& signature,
                                             const std::optional<Bytes>& certificate) const {
  return !signature && !certificate;
}

bool Utility::is16YearsUnderForResidenceCard(const std::optional<Bytes>& photo, const std::optional<Bytes>& signature,
                                             const std::optional<Bytes>& certificate) const {
  return !photo && !signature && !certificate;
}

bool Utility::isConstantValueForResidenceCard(const Bytes& signature, const Bytes& certificate) const {
  if (signature != hexStringToBinary(std::string(RESIDENCE_CARD_TEST_CHECK_CODE()))) return false;
  return certificate == hexStringToBinary(std::string(RESIDENCE_CARD_TEST_CERTIFICATE()));
}

std::string_view Utility::RESIDENCE_CARD_TEST_CHECK_CODE() { return kResidenceCardTestCheckCode; }

std::string_view Utility::RESIDENCE_CARD_TEST_CERTIFICATE() { return kResidenceCardTestCertificate; }

std::optional<ChangedEntry> Utility::createChangedEntry(const Bytes& entryBinary) const {
  constexpr std::size_t kHead = 15, kTail = 10;
  if (entryBinary.size() < kHead + kTail) return std::nullopt;
  const auto at = [&entryBinary](std::size_t from, std::size_t to) {
    return Bytes(entryBinary.begin() + static_cast<std::ptrdiff_t>(from),
                 entryBinary.begin() + static_cast<std::ptrdiff_t>(to));
  };
  const std::size_t n = entryBinary.size();
  return ChangedEntry(at(0, 1), at(1, kHead), at(kHead, n - kTail), at(n - kTail, n));
}

std::optional<std::vector<ChangedEntry>> Utility::createChangedEntryList(
    const std::optional<std::vector<Bytes>>& dataList) const {
  if (!dataList) return std::nullopt;
  std::vector<ChangedEntry> entries;
  for (const auto& data : *dataList) {
    if (auto entry = createChangedEntry(data)) entries.push_back(std::move(*entry));
  }
  if (entries.empty()) return std::nullopt;
  return entries;
}

std::optional<ChangedEntry> Utility::createChangedEntryLatest(const std::optional<std::vector<Bytes>>& dataList) const {
  auto entries = createChangedEntryList(dataList);
  if (!entries) return std::nullopt;
  return entries->back();
}

}  // namespace ekyc
