// Helpers of the module frame tests: temporary directories with copies of built files, and
// reading what a child process wrote.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace opm::detail::test {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary directory, removed with its contents afterwards.
struct TempDirectory {
    TempDirectory() {
        std::random_device seed;
        while (!fs::create_directory(path = fs::temp_directory_path() /
                                            ("opm-frame-" + std::to_string(seed())))) {
        }
    }
    ~TempDirectory() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // Copies source into the directory under name; returns the copy's path.
    fs::path Copy(const fs::path& source, const char* name) const {
        fs::copy_file(source, path / name);
        return path / name;
    }
    fs::path path;
};

inline std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf(); // text mode: Windows line ends read as \n
    return text.str();
}

} // namespace opm::detail::test
