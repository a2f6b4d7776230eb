#include "CommandLine.h"

namespace voicememo {

std::optional<RecorderCommand> ParseRecorderCommand(const std::vector<std::string>& arguments)
{
    RecorderCommand command;
    auto next = arguments.begin();
    if (next != arguments.end() && *next == "--start") {
        command.startAtOnce = true;
        ++next;
    }
    if (arguments.end() - next != 1 || next->empty())
        return std::nullopt;
    command.target = *next;
    return command;
}

}  // namespace voicememo
