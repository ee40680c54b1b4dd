#include "Platform/VirtualCard/VirtualCommand.hpp"

namespace ekyc {

std::optional<VirtualCommand> VirtualCommand::parse(const Bytes& bytes) {
  if (bytes.size() < 4) return std::nullopt;
  VirtualCommand command;
  command.cla = bytes[0];
  command.ins = bytes[1];
  command.p1 = bytes[2];
  command.p2 = bytes[3];
  command.bytes = bytes;
  const std::size_t size = bytes.size();
  if (size == 4) return command;  // case 1
  if (size == 5) {                // case 2 short
    command.le = bytes[4] == 0 ? 256 : bytes[4];
    return command;
  }
  if (bytes[4] != 0) {  // short Lc
    const std::size_t lc = bytes[4];
    if (size == 5 + lc) {  // case 3 short
      command.data.assign(bytes.begin() + 5, bytes.end());
      return command;
    }
    if (size == 6 + lc) {  // case 4 short
      command.data.assign(bytes.begin() + 5, bytes.end() - 1);
      command.le = bytes.back() == 0 ? 256 : bytes.back();
      return command;
    }
    return std::nullopt;
  }
  // Extended forms begin with 00.
  command.extended = true;
  if (size == 7) {  // case 2 extended
    const std::size_t le = (std::size_t{bytes[5]} << 8) | bytes[6];
    command.le = le == 0 ? 65536 : le;
    return command;
  }
  if (size < 8) return std::nullopt;
  const std::size_t lc = (std::size_t{bytes[5]} << 8) | bytes[6];
  if (lc == 0) return std::nullopt;
  if (size == 7 + lc) {  // case 3 extended
    command.data.assign(bytes.begin() + 7, bytes.end());
    return command;
  }
  if (size == 9 + lc) {  // case 4 extended
    command.data.assign(bytes.begin() + 7, bytes.end() - 2);
    const std::size_t le = (std::size_t{bytes[size - 2]} << 8) | bytes[size - 1];
    command.le = le == 0 ? 65536 : le;
    return command;
  }
  return std::nullopt;
}

}  // namespace ekyc
