#include "doc/DocKind.h"

#include <algorithm>

namespace tessel {
namespace {

struct KindInfo {
    DocKind kind;
    std::string_view extension;
    std::string_view name;
};

constexpr KindInfo kInfo[] = {
    {DocKind::Basic, ".bas", "basic"}, {DocKind::C, ".c", "c"},
    {DocKind::Asm, ".asm", "asm"},     {DocKind::Casl, ".cas", "casl"},
    {DocKind::Text, ".txt", "text"},   {DocKind::Data, ".dat", "data"},
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

const KindInfo& Info(DocKind kind) {
    return kInfo[static_cast<int>(kind)];
}

} // namespace

std::string_view DocKindExtension(DocKind kind) {
    return Info(kind).extension;
}
std::string_view DocKindName(DocKind kind) {
    return Info(kind).name;
}

DocKind DocKindFromPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return DocKind::Basic;
    const std::string_view extension = name.substr(dot);
    for (const KindInfo& info : kInfo)
        if (EqualsNoCase(info.extension, extension))
            return info.kind;
    return DocKind::Basic;
}

bool DocKindFromName(std::string_view name, DocKind& kind) {
    for (const KindInfo& info : kInfo) {
        if (EqualsNoCase(info.name, name)) {
            kind = info.kind;
            return true;
        }
    }
    return false;
}

} // namespace tessel
