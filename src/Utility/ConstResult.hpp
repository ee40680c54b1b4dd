#pragma once
// Result codes and their message texts. Codes group by their first digits: 11xxx device,
// 12xxx input, 13xxx card, 14xxx configuration, 15xxx and 16xxx HTTPS, 17xxx basic items,
// 18xxx signature checks, 99999 unexpected.
#include <map>
#include <string>

namespace ekyc {

class ConstResult {
 public:
  ConstResult();

  const std::map<int, std::string> constResult;

  // The message of a code; the empty text for a code not in the table.
  std::string text(int code) const;
};

}  // namespace ekyc
