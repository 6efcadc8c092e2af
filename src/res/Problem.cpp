#include "res/Problem.h"

#include "res/StringTable.h"

namespace tessel {

Problem Problem::Of(StringId message, std::initializer_list<std::string_view> arguments) {
    Problem problem;
    problem.message = message;
    problem.arguments.assign(arguments.begin(), arguments.end());
    return problem;
}

Problem Problem::AtLine(StringId message, std::size_t line, std::size_t offset) {
    Problem problem;
    problem.message = message;
    problem.line = line;
    problem.offset = offset;
    return problem;
}

Problem Problem::FromSystem(StringId message, int number, std::string systemText) {
    Problem problem;
    problem.message = message;
    problem.systemError = number;
    problem.systemText = std::move(systemText);
    return problem;
}

std::string DescribeSystemReason(const Problem& problem) {
    if (problem.systemError == 0)
        return problem.systemText;
    return problem.systemText.empty() ? SystemReason(problem.systemError)
                                      : SystemReason(problem.systemError, problem.systemText);
}

std::string DescribeProblem(const Problem& problem) {
    if (problem.Ok())
        return {};
    std::string text = FormatText(LoadString(problem.message), problem.arguments);
    const std::string reason = DescribeSystemReason(problem);
    if (!reason.empty())
        text += "\n" + reason;
    return text;
}

std::string DescribeFileFault(FileFault fault, int number, std::string_view place) {
    std::string reason;
    switch (fault) {
    case FileFault::None:
        return {};
    case FileFault::System:
        reason = SystemReason(number);
        break;
    case FileFault::NotRegularFile:
        reason = LoadString(IDS_REASON_NOT_REGULAR_FILE);
        break;
    case FileFault::OwnerOnly:
        reason = LoadFormatted(IDS_REASON_OWNER_ONLY, {SystemReason(number)});
        break;
    case FileFault::NoStateFolder:
        reason = LoadString(IDS_REASON_NO_STATE_FOLDER);
        break;
    }
    return place.empty() ? reason : std::string(place) + ": " + reason;
}

} // namespace tessel
