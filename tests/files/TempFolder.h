// A fresh folder per test, removed with everything in it afterwards.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace k730::test {

class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "k730-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TTempFolder() {
        std::error_code ec;
        // Read-only files inside do not stop the removal of their folder.
        std::filesystem::remove_all(path_, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const TBytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline TBytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

inline TBytes Concat(std::initializer_list<TBytes> parts) {
    TBytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline TBytes Text(std::string_view s) {
    return TBytes(s.begin(), s.end());
}

} // namespace k730::test
