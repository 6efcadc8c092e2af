#pragma once

// A folder of its own for one test, removed with everything in it; an
// environment variable set for one test.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <system_error>

namespace tessel::test {

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessel-test-XXXXXX").string();
#if defined(_WIN32)
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            std::string name = pattern;
            name.replace(name.size() - 6, 6, std::to_string(random() % 1000000));
            std::error_code ec;
            if (std::filesystem::create_directory(name, ec))
                m_path = name;
        }
#else
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
#endif
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const {
        return !m_path.empty();
    }
    const std::string& path() const {
        return m_path;
    }
    std::string file(const std::string& name) const {
        return m_path + "/" + name;
    }

private:
    std::string m_path;
};

// Sets the variable `name` to `value` (unsets it for null) while the object
// lives, so that a test never sees or touches the user's own folders.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) const {
#if defined(_WIN32)
        ::_putenv_s(m_name.c_str(), value ? value : ""); // "" removes it
#else
        if (value)
            ::setenv(m_name.c_str(), value, 1);
        else
            ::unsetenv(m_name.c_str());
#endif
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tessel::test
