#include "doc/Recovery.h"

#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string_view>
#include <sys/file.h> // LOCK_EX, LOCK_NB

namespace tessel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "TESSEL RECOVERY 1\n";
constexpr std::string_view kCopyExtension = ".copy";
constexpr const char kLockName[] = "lock";

void AppendField(std::string& out, std::string_view name, std::string_view value) {
    out.append(name).append(" ").append(std::to_string(value.size())).append("\n");
    out.append(value).append("\n");
}

// Reads "NAME NUMBER\n" at `pos`.
bool ReadNumber(std::string_view in, std::size_t& pos, std::string_view name,
                std::uint64_t& value) {
    if (in.substr(pos, name.size() + 1) != std::string(name) + " ")
        return false;
    pos += name.size() + 1;
    const auto [end, ec] = std::from_chars(in.data() + pos, in.data() + in.size(), value);
    if (ec != std::errc() || end == in.data() + in.size() || *end != '\n')
        return false;
    pos = static_cast<std::size_t>(end - in.data()) + 1;
    return true;
}

// Reads "NAME LENGTH\nBYTES" at `pos`, and the "\n" after them unless `last`.
bool ReadField(std::string_view in, std::size_t& pos, std::string_view name, std::string& value,
               bool last = false) {
    std::uint64_t length = 0;
    if (!ReadNumber(in, pos, name, length) || length > in.size() - pos)
        return false;
    value.assign(in.substr(pos, length));
    pos += length;
    if (last)
        return pos == in.size();
    if (pos >= in.size() || in[pos] != '\n')
        return false;
    ++pos;
    return true;
}

// Takes the lock of the run that owns `folder`: its descriptor, -1 when the
// run has none (it died before it made one), or nullopt while the run goes on.
std::optional<int> ClaimDeadRun(const fs::path& folder) {
    const int fd = sys::Open((folder / kLockName).string().c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (sys::Flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    sys::Close(fd);
    return std::nullopt;
}

} // namespace

std::string EncodeRecoveryCopy(const RecoveryCopy& copy) {
    std::string out(kMagic);
    out.append("kind ").append(std::to_string(static_cast<int>(copy.kind))).append("\n");
    out.append("numbers ").append(copy.lineNumOutput ? "1" : "0").append("\n");
    out.append("ends ").append(std::to_string(copy.fileLineEnd)).append("\n");
    // Only for a file kept in UTF-8 (1, or 2 with a byte order mark): every
    // other copy stays as programs before this field read it.
    if (copy.utf8)
        out.append("utf8 ").append(copy.byteOrderMark ? "2" : "1").append("\n");
    AppendField(out, "path", copy.path);
    AppendField(out, "title", copy.title);
    out.append("text ").append(std::to_string(copy.bytes.size())).append("\n");
    out.append(copy.bytes);
    return out;
}

std::optional<RecoveryCopy> DecodeRecoveryCopy(const std::string& stored) {
    const std::string_view in = stored;
    if (!in.starts_with(kMagic))
        return std::nullopt;
    std::size_t pos = kMagic.size();
    RecoveryCopy copy;
    std::uint64_t kind = 0;
    std::uint64_t numbers = 0;
    std::uint64_t ends = 0;
    if (!ReadNumber(in, pos, "kind", kind) || kind > static_cast<int>(DocKind::Data) ||
        !ReadNumber(in, pos, "numbers", numbers) || numbers > 1 ||
        !ReadNumber(in, pos, "ends", ends) || ends > 2)
        return std::nullopt;
    std::uint64_t utf8 = 0;
    if (in.substr(pos).starts_with("utf8 ") && (!ReadNumber(in, pos, "utf8", utf8) || utf8 > 2))
        return std::nullopt;
    if (!ReadField(in, pos, "path", copy.path) || !ReadField(in, pos, "title", copy.title) ||
        !ReadField(in, pos, "text", copy.bytes, true))
        return std::nullopt;
    copy.utf8 = utf8 != 0;
    copy.byteOrderMark = utf8 == 2;
    copy.kind = static_cast<DocKind>(kind);
    copy.lineNumOutput = numbers == 1;
    copy.fileLineEnd = static_cast<int>(ends);
    return copy;
}

RecoveryStore::RecoveryStore(std::string recoveryFolder) : m_folder(std::move(recoveryFolder)) {}

RecoveryStore::~RecoveryStore() {
    if (m_lock >= 0)
        sys::Close(m_lock);
    for (const int claimed : m_claimed)
        sys::Close(claimed);
}

FileError RecoveryStore::Claim() {
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    if (ec)
        return FileError::FromErrno(ec.value());
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "run-%016llx", static_cast<unsigned long long>(random()));
        const fs::path run = fs::path(m_folder) / name;
        if (!fs::create_directory(run, ec)) {
            if (ec)
                return FileError::FromErrno(ec.value());
            continue; // taken: another name
        }
        const int fd = sys::Open((run / kLockName).string().c_str(),
                                 O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || sys::Flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (fd >= 0)
                sys::Close(fd);
            fs::remove_all(run, ec);
            return FileError::FromErrno(err);
        }
        m_run = run.string();
        m_lock = fd;
        return {};
    }
    return FileError::FromErrno(EEXIST);
}

FileError RecoveryStore::Write(unsigned id, const RecoveryCopy& copy) {
    if (m_run.empty())
        if (FileError error = Claim())
            return error;
    return ReplaceFile(m_run + "/" + std::to_string(id) + std::string(kCopyExtension),
                       EncodeRecoveryCopy(copy));
}

void RecoveryStore::Remove(unsigned id) {
    if (!m_run.empty())
        sys::Unlink((m_run + "/" + std::to_string(id) + std::string(kCopyExtension)).c_str());
}

void RecoveryStore::RemoveAll() {
    if (m_run.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_run, ec);
    sys::Close(m_lock);
    m_lock = -1;
    m_run.clear();
}

std::vector<RecoveryStore::LeftBehind> RecoveryStore::FindLeftBehind() {
    std::vector<std::pair<fs::file_time_type, LeftBehind>> found;
    std::error_code ec;
    for (const fs::directory_entry& run : fs::directory_iterator(m_folder, ec)) {
        if (!run.is_directory(ec) || run.path() == fs::path(m_run))
            continue;
        const std::optional<int> claimed = ClaimDeadRun(run.path());
        if (!claimed)
            continue; // its run goes on
        if (*claimed >= 0)
            m_claimed.push_back(*claimed);
        for (const fs::directory_entry& entry : fs::directory_iterator(run.path(), ec)) {
            if (entry.path().extension() != kCopyExtension)
                continue;
            std::string stored;
            if (ReadWholeFile(entry.path().string(), stored))
                continue;
            if (auto copy = DecodeRecoveryCopy(stored))
                found.push_back(
                    {entry.last_write_time(ec), {entry.path().string(), std::move(*copy)}});
        }
    }
    std::ranges::sort(found, {}, [](const auto& item) { return item.first; });
    std::vector<LeftBehind> copies;
    for (auto& [time, left] : found)
        copies.push_back(std::move(left));
    return copies;
}

void RecoveryStore::Discard(const LeftBehind& left) {
    sys::Unlink(left.file.c_str());
    const fs::path run = fs::path(left.file).parent_path();
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(run, ec))
        if (entry.path().extension() == kCopyExtension)
            return;
    fs::remove_all(run, ec);
}

} // namespace tessel
