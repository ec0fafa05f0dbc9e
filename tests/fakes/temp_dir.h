#pragma once

#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <string>

/// A fresh directory, removed with everything in it when the object goes. Other users may pass
/// through it: a program run as `nobody` may have to.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "comrs-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder");
        m_path = pattern;
        std::filesystem::permissions(
            m_path, std::filesystem::perms::others_exec, std::filesystem::perm_options::add);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    /// A path inside it.
    std::string operator/(const std::string &name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
