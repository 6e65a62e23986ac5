// A fresh temporary directory that a test works in; removed with everything in it at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace quillet::test {

class TempDirectory {
public:
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    ~TempDirectory() {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_path);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::filesystem::path m_previous;
};

} // namespace quillet::test
