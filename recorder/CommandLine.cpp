#include "CommandLine.h"

#include <filesystem>

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

bool StartsAtOnce(const RecorderCommand& command)
{
    if (command.startAtOnce)
        return true;
    std::error_code error;
    return std::filesystem::is_regular_file(command.target, error) &&
           std::filesystem::file_size(command.target, error) == 0 && !error;
}

}  // namespace voicememo
