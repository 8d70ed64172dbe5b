// k730-tool callog certificate: a PDF of the record asked for, refused
// indexes and options.
#include "files/CalLog.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace k730 {
namespace {

namespace fs = std::filesystem;

int Tool(const std::string& args) {
    return test::RunCommand(test::BuildDir() + "/src/tool/k730-tool " + args + " 2>/dev/null").status;
}

TEST(CertificateCommand, WritesOnePagePdfOfTheRecordAskedFor) {
    const fs::path dir = fs::temp_directory_path() / ("k730-cert-" + std::to_string(getpid()));
    fs::create_directories(dir);
    TCalLogRecord r;
    r.MeterType = "K-730/V/20k/E/0";
    r.SerialNumber = 1001;
    r.ProductionYear = 2024;
    r.CalDateTime = EncodeDays({2024, 3, 19, 10, 5});
    r.Comment = "Lamp 7";
    const std::string log = (dir / "K730_CAL.dat").string();
    ASSERT_TRUE(WriteCalLog(log, {r, r}));
    const std::string pdf = (dir / "cert.pdf").string();
    EXPECT_EQ(Tool("callog certificate " + log + " 2 " + pdf + " --lang pl"), 0);
    const auto bytes = ReadWholeFile(pdf, size_t{64} << 20);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 5), "%PDF-");
    const std::string text(bytes->begin(), bytes->end());
    EXPECT_NE(text.find("/Count 1"), std::string::npos) << "one page";
    EXPECT_EQ(Tool("callog certificate " + log + " 3 " + pdf), 2) << "there are two records";
    EXPECT_EQ(Tool("callog certificate " + log + " 0 " + pdf), 2);
    EXPECT_EQ(Tool("callog certificate " + log + " 1 " + pdf + " --lang de"), 2);
    EXPECT_EQ(Tool("callog certificate " + (dir / "none.dat").string() + " 1 " + pdf), 2);
    fs::remove_all(dir);
}

} // namespace
} // namespace k730
