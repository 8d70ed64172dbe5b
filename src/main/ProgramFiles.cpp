#include "main/ProgramFiles.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace k730 {

std::vector<std::string> ProgramFileCandidates(const std::string& programFolder,
                                               const std::string& fileName) {
    const fs::path folder(programFolder);
    return {(folder / fileName).string(),
            (folder.parent_path() / "share" / "doc" / "k730" / fileName).lexically_normal().string()};
}

std::string FindProgramFile(const std::string& programFolder, const std::string& fileName) {
    const std::vector<std::string> candidates = ProgramFileCandidates(programFolder, fileName);
    for (const std::string& path : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(path, ec)) return path;
    }
    return candidates.front();
}

} // namespace k730
