#pragma once
// The extension point of the virtual card: a handler for one instruction of an application (or of
// the whole card). It sees the command and the card's state for the selected application through
// the context, and answers, or returns nothing to leave the command to the built-in processing
// (SELECT, READ BINARY, VERIFY, GET RESPONSE). A secure-messaging layer unwraps the command, runs
// context.standard(inner) and wraps the answer.
#include <functional>
#include <optional>

#include "Platform/VirtualCard/VirtualCommand.hpp"
#include "Platform/VirtualCard/VirtualResponse.hpp"

namespace ekyc {

class VirtualCardContext;

using VirtualInstructionHandler =
    std::function<std::optional<VirtualResponse>(const VirtualCommand& command, VirtualCardContext& context)>;

}  // namespace ekyc
