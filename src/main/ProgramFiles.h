// Where the program finds the files it ships with (the manuals): beside the
// executable when it runs from its build folder, in the documentation folder
// of its installation prefix when it is installed.
#pragma once

#include <string>
#include <vector>

namespace k730 {

// The places a shipped file may be, in the order they are tried: the
// program's folder, then <prefix>/share/doc/k730 for a program in <prefix>/bin.
std::vector<std::string> ProgramFileCandidates(const std::string& programFolder, const std::string& fileName);

// The first candidate that exists; the first one when none does (so a
// message can name where it was expected).
std::string FindProgramFile(const std::string& programFolder, const std::string& fileName);

} // namespace k730
