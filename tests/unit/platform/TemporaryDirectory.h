#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace zentrivo::test {

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
struct TemporaryDirectory {
    TemporaryDirectory() {
        std::string pattern = std::filesystem::temp_directory_path() / "zentrivo-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        root = pattern;
    }
    ~TemporaryDirectory() { std::error_code ec; std::filesystem::remove_all(root, ec); }
    const std::filesystem::path& path() const noexcept { return root; }
    std::filesystem::path operator/(const std::string& name) const { return root / name; }
    /// Writes `content` to `relative`, creating folders on the way.
    void write(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary) << content;
    }
    std::filesystem::path root;
};

/// The whole content of a file; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace zentrivo::test
