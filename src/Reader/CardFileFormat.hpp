#pragma once
// What the files of the card-surface and input-support applications must be, checked once for
// every reader that reads them.
//
// Sound (the is...File checks): a file that fails one is corrupt, and every request, with or
// without an application id, ends with its card-read failure (13999). A file is sound when it holds
// no template at all (it is empty, or filler FF FF from its first byte: every element absent), or
// when it starts with its template, whole and not empty, whose content is a run of whole elements
// (none whose tag, length or value runs past the template) up to its end or the filler, and each
// element below that is present has the value the format fixes:
//   - input-support EF 0001: FF10 holding exactly 12 ASCII digits (the individual number);
//   - input-support EF 0003: FF30 { DF31, DF32 32-byte SHA-256 digests; DF33 a signature, not empty };
//   - card-surface EF 0002: FF20 { DF21 .. DF2A; DF28 a signature, not empty };
//   - card-surface EF 0005: FF40 { DF41, DF42; DF43 a signature, not empty };
//   - input-support EF 0002: FF20 { DF21 .. DF25 };
//   - EF 0004 of either application: 7F21 { 5F4E, 5F37 } (the card-verifiable certificate).
//
// Every element is optional as far as the format goes. What a request cannot do without it
// requires of a sound file with holdsAll (each reader states its own): the individual number FF10,
// the image DF41 and its key data DF42, the elements of each signed source (card surface DF22 to
// DF27, basic items DF22 to DF25) and, where the final steps build verifying parameters from it,
// the certificate 7F21. Signatures (DF28, DF33, DF43), digests (DF31, DF32), DF29 and DF2A, and
// 5F4E and 5F37 inside the certificate are never required: a request without an application id
// delivers its record with them absent, and a verification request that needs one that is absent
// fails without contacting the server.
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"

namespace ekyc {

class CardFileFormat {
 public:
  // Exactly 12 ASCII digits.
  static bool isMyNumber(const Bytes& value);

  static bool isCertificateFile(const Bytes& file);
  static bool isNumberFile(const Bytes& file);
  static bool isBasicItemsFile(const Bytes& file);
  static bool isIntegrityFile(const Bytes& file);
  static bool isCardSurfaceFile(const Bytes& file);
  static bool isNumberImageFile(const Bytes& file);

  // Whether `file` holds each of `tags` with a value: the template, under the list's first tag,
  // and the elements inside it, under theirs.
  static bool holdsAll(const Bytes& file, const std::vector<std::string>& tagList, const std::vector<std::string>& tags);

 private:
  struct Sized {
    std::string tag;
    std::size_t size = 0;  // 0: any non-empty value
  };
  // Whether `file` holds no template, or starts with a whole, non-empty element of the list's first
  // tag whose content is whole (with `inside`) and whose present listed elements have their size.
  static bool sound(const Bytes& file, const std::vector<std::string>& tagList, const std::vector<Sized>& sized,
                    bool inside = true);
};

}  // namespace ekyc
