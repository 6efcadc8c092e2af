#include "model/ProgramProblem.h"

namespace tessel {

std::string ProgramProblem::Text(Language language) const {
    const std::string_view text = LoadString(message, language);
    switch (arguments.size()) {
    case 0:
        return std::string(text);
    case 1:
        return FormatText(text, {arguments[0]});
    default:
        return FormatText(text, {arguments[0], arguments[1]});
    }
}

} // namespace tessel
