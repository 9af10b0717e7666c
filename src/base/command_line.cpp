#include "base/command_line.h"

namespace bivora {

namespace {

bool IsKeySwitch(std::string_view argument)
{
    return argument.size() >= 3 && (argument[0] == '/' || argument[0] == '-') &&
           (argument[1] == 's' || argument[1] == 'S') && argument[2] == ':';
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view defaultKey)
{
    CommandLine result;
    result.applicationKey = std::string(defaultKey);
    bool keySwitchSeen = false;
    int plainArguments = 0;
    for (const std::string& argument : arguments) {
        if (!keySwitchSeen && IsKeySwitch(argument)) {
            keySwitchSeen = true;
            result.applicationKey += argument.substr(3);
            continue;
        }
        if (plainArguments == 0)
            result.leftStartFolder = argument;
        else if (plainArguments == 1)
            result.rightStartFolder = argument;
        ++plainArguments;
    }
    return result;
}

} // namespace bivora
