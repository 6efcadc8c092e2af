#include "cli/CliOptionParser.h"

#include "engine/NumberedLine.h"
#include "settings/ComSettings.h"

#include <algorithm>
#include <vector>

namespace tessel::cli {
namespace {

template <std::size_t N>
std::string Listed(const char* const (&items)[N], unsigned last) {
    const std::vector<std::string_view> views(std::begin(items), std::end(items));
    return cli::Listed(views, last);
}

// The most problems check --max may ask for: more than a program holds.
constexpr unsigned kMaxProblems = 1000000;
// The longest receive time-out: a day.
constexpr unsigned kMaxTimeoutSeconds = 86400;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool Parser::Number(std::string_view value, const std::string& shown, unsigned min, unsigned max,
                    std::optional<unsigned>& target) {
    unsigned number = 0;
    if (!ParseNumber(value, min, max, number))
        return Fail(IDS_CLI_INVALID_NUMBER,
                    {Quoted(value), shown, std::to_string(min), std::to_string(max)});
    target = number;
    return true;
}
bool Parser::Number(std::string_view value, const std::string& shown, const NumberSetting& setting,
                    std::optional<unsigned>& target) {
    return Number(value, shown, setting.min, setting.max, target);
}

template <std::size_t N>
bool Parser::Choice(std::string_view value, const std::string& shown, const char* const (&names)[N],
                    std::optional<std::uint32_t>& target) {
    for (std::size_t i = 0; i < N; ++i) {
        if (EqualsNoCase(value, names[i])) {
            target = static_cast<std::uint32_t>(i);
            return true;
        }
    }
    return Fail(IDS_CLI_INVALID_CHOICE, {Quoted(value), shown, Listed(names, IDS_CLI_LIST_OR)});
}

bool Parser::Delay(std::string_view value, const std::string& shown,
                   std::optional<std::uint32_t>& target) {
    std::optional<unsigned> ms;
    if (!Number(value, shown, 0, kMaxPacingDelay, ms))
        return false;
    target = *ms;
    return true;
}

bool Parser::Apply(const OptionInfo& option, std::string_view value, const std::string& shown) {
    m_given.push_back({&option, shown});
    switch (option.id) {
    case Opt::Output:
        if (value.empty())
            return Fail(IDS_CLI_OPTION_NEEDS_FILE_NAME, {Quoted(shown)});
        m_options.output = std::string(value);
        return true;
    case Opt::InPlace:
        m_options.inPlace = true;
        return true;
    case Opt::Type: {
        DocKind kind{};
        if (!DocKindFromName(value, kind)) {
            std::vector<std::string_view> kinds;
            for (int k = 0; k <= static_cast<int>(DocKind::Data); ++k)
                kinds.push_back(DocKindName(static_cast<DocKind>(k)));
            return Fail(IDS_CLI_INVALID_CHOICE,
                        {Quoted(value), shown, Listed(kinds, IDS_CLI_LIST_OR)});
        }
        m_options.type = kind;
        return true;
    }
    case Opt::Numbers:
        m_options.numbers = true;
        return true;
    case Opt::NoNumbers:
        m_options.numbers = false;
        return true;
    case Opt::NumberStart:
        return Number(value, shown, kStartLineSetting, m_options.numberStart);
    case Opt::NumberStep:
        return Number(value, shown, kLineStepSetting, m_options.numberStep);
    case Opt::Tab:
        return Number(value, shown, kTabStopSetting, m_options.tab);
    case Opt::Eol:
        return Choice(value, shown, kEolNames, m_options.endOfLine);
    case Opt::Eof: {
        std::uint32_t code = 0;
        if (!ParseHexByte(value, code))
            return Fail(IDS_CLI_INVALID_HEX_BYTE, {Quoted(value), shown});
        m_options.endOfFile = code;
        return true;
    }
    case Opt::Settings:
        if (value.empty())
            return Fail(IDS_CLI_OPTION_NEEDS_FILE_NAME, {Quoted(shown)});
        m_options.settings = std::string(value);
        return true;
    case Opt::Lang:
        m_options.language = ParseLanguage(value);
        if (!m_options.language)
            return Fail(IDS_CLI_INVALID_CHOICE,
                        {Quoted(value), shown, Listed(kLanguageNames, IDS_CLI_LIST_OR)});
        return true;
    case Opt::New:
        return Number(value, shown, 1, kMaxLineNum, m_options.newStart);
    case Opt::Old:
        return Number(value, shown, 1, kMaxLineNum, m_options.oldStart);
    case Opt::Step:
        return Number(value, shown, kLineStepSetting, m_options.step);
    case Opt::Port:
        // COM1 to COM4 choose a port as the settings do; anything else
        // names the device.
        if (value.empty())
            return Fail(IDS_CLI_OPTION_NEEDS_DEVICE, {Quoted(shown)});
        m_options.comPort.reset();
        m_options.device.reset();
        for (std::uint32_t i = 0; i < std::size(kPortNames); ++i)
            if (EqualsNoCase(value, kPortNames[i]))
                m_options.comPort = i;
        if (!m_options.comPort)
            m_options.device = std::string(value);
        return true;
    case Opt::Baud:
        return Choice(value, shown, kBaudRateTexts, m_options.baudRate);
    case Opt::DataBits:
        return Choice(value, shown, kDataBitTexts, m_options.dataBit);
    case Opt::StopBits:
        return Choice(value, shown, kStopBitTexts, m_options.stopBit);
    case Opt::Parity:
        return Choice(value, shown, kParityTexts, m_options.parity);
    case Opt::Flow:
        return Choice(value, shown, kFlowNames, m_options.flow);
    case Opt::CharDelay:
        return Delay(value, shown, m_options.charDelay);
    case Opt::LineDelay:
        return Delay(value, shown, m_options.lineDelay);
    case Opt::Data:
        m_options.data = true;
        return true;
    case Opt::Encoding:
        // "utf8" too, as iconv and most tools take it.
        if (EqualsNoCase(value, "cp932"))
            m_options.encoding = TextEncoding::Cp932;
        else if (EqualsNoCase(value, "utf-8") || EqualsNoCase(value, "utf8"))
            m_options.encoding = TextEncoding::Utf8;
        else
            return Fail(IDS_CLI_INVALID_CHOICE,
                        {Quoted(value), shown, Listed(kEncodingNames, IDS_CLI_LIST_OR)});
        return true;
    case Opt::Timeout: {
        unsigned ms = 0;
        if (!ParseSeconds(value, kMaxTimeoutSeconds, ms))
            return Fail(IDS_CLI_INVALID_SECONDS,
                        {Quoted(value), shown, std::to_string(kMaxTimeoutSeconds)});
        m_options.timeoutMs = ms;
        return true;
    }
    case Opt::Json:
        m_options.json = true;
        return true;
    case Opt::Max:
        return Number(value, shown, 1, kMaxProblems, m_options.maxProblems);
    case Opt::Help:
        m_options.help = true;
        return true;
    case Opt::Version:
        m_options.version = true;
        return true;
    }
    return true;
}

bool ParseNumber(std::string_view text, unsigned min, unsigned max, unsigned& value) {
    if (text.empty())
        return false;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > max)
            return false; // also keeps a long digit run from overflowing
    }
    if (number < min)
        return false;
    value = static_cast<unsigned>(number);
    return true;
}

bool ParseHexByte(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 2)
        return false;
    std::uint32_t code = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return false;
        code = code * 16 + digit;
    }
    value = code;
    return true;
}

bool ParseSeconds(std::string_view text, unsigned maxSeconds, unsigned& ms) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 3 ||
        (dot != std::string_view::npos && fraction.empty()))
        return false;
    unsigned seconds = 0;
    if (!whole.empty() && !ParseNumber(whole, 0, maxSeconds, seconds))
        return false;
    unsigned thousandths = 0;
    if (!fraction.empty()) {
        if (!ParseNumber(fraction, 0, 999, thousandths))
            return false;
        for (std::size_t i = fraction.size(); i < 3; ++i)
            thousandths *= 10;
    }
    const std::uint64_t total = std::uint64_t{seconds} * 1000 + thousandths;
    if (total == 0 || total > std::uint64_t{maxSeconds} * 1000)
        return false;
    ms = static_cast<unsigned>(total);
    return true;
}

} // namespace tessel::cli
