#include "Platform/EucJp.hpp"

#include <iconv.h>

#include <cerrno>

namespace ekyc {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// UTF-8 bytes that n EUC-JP bytes can become: a byte 80-8D or 90-A0 is a C1 control (two bytes),
// a two-byte code at most three bytes, a three-byte code three; a few more for safety.
constexpr std::size_t worstCase(std::size_t n) { return 2 * n + 8; }

// One descriptor per thread: an iconv descriptor is not safe to share between threads, and opening
// one costs far more than converting a licence text.
class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-8", "EUC-JP")) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as far as possible, appending to `out`. Returns 0 at the end of input, EILSEQ at an
  // invalid sequence, EINVAL at an incomplete one; `consumed` is how far the input got.
  // The output goes straight into `out`, sized for the worst case, so one call converts the whole
  // input: glibc converts the pending input again each time a small output buffer fills up.
  int run(std::span<const std::uint8_t> in, std::string& out, std::size_t& consumed) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    std::size_t inLeft = in.size();
    int result = 0;
    while (inLeft > 0 && result == 0) {
      const std::size_t used = out.size();
      out.resize_and_overwrite(used + worstCase(inLeft), [&](char* data, std::size_t size) {
        char* outPtr = data + used;
        std::size_t outLeft = size - used;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) && errno != E2BIG) {
          result = errno == EINVAL ? EINVAL : EILSEQ;
        }
        return static_cast<std::size_t>(outPtr - data);
      });
    }
    consumed = in.size() - inLeft;
    return result;
  }

 private:
  iconv_t cd_;
};

Converter& converter() {
  thread_local Converter instance;
  return instance;
}

bool inRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) { return b >= low && b <= high; }

// Length of the bad character that starts at data[0]: a well-formed code without a mapping is
// skipped whole, anything else one byte at a time.
std::size_t badLength(std::span<const std::uint8_t> data) {
  const std::uint8_t lead = data[0];
  if (inRange(lead, 0xA1, 0xFE) && data.size() >= 2 && inRange(data[1], 0xA1, 0xFE)) return 2;
  if (lead == 0x8E && data.size() >= 2 && inRange(data[1], 0xA1, 0xDF)) return 2;
  if (lead == 0x8F && data.size() >= 3 && inRange(data[1], 0xA1, 0xFE) && inRange(data[2], 0xA1, 0xFE)) return 3;
  return 1;
}

}  // namespace

std::optional<std::string> EucJp::decode(std::span<const std::uint8_t> eucJp) {
  Converter& conv = converter();
  if (!conv.ok()) return std::nullopt;
  std::string out;
  out.reserve(worstCase(eucJp.size()));
  std::size_t consumed = 0;
  if (conv.run(eucJp, out, consumed) != 0) return std::nullopt;
  return out;
}

std::string EucJp::decodeLossy(std::span<const std::uint8_t> eucJp) {
  std::string out;
  out.reserve(worstCase(eucJp.size()) + eucJp.size());  // a bad byte becomes three
  appendLossy(eucJp, out);
  return out;
}

void EucJp::appendLossy(std::span<const std::uint8_t> eucJp, std::string& out) {
  Converter& conv = converter();
  std::span<const std::uint8_t> rest = eucJp;
  while (!rest.empty()) {
    std::size_t consumed = 0;
    const int result = conv.ok() ? conv.run(rest, out, consumed) : EILSEQ;
    rest = rest.subspan(consumed);
    if (result == 0) break;
    out += kReplacement;
    if (result == EINVAL) break;  // an incomplete character at the end
    rest = rest.subspan(badLength(rest));
  }
}

}  // namespace ekyc
