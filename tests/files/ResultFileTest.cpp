// The service results file: its 123-byte header and the line's number forms.
#include "files/FileIo.h"
#include "files/ResultFile.h"
#include "files/TempFolder.h"
#include "main/Cp1250.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TEST(ResultFile, HeaderIs123BytesInWindows1250) {
    EXPECT_EQ(Utf8ToCp1250(RESULT_HEADER).size(), 123u);
}

TEST(ResultFile, LineColumns) {
    TResultLineValues v;
    v.TempCode = 512; // 5.0 °C
    v.FullScale = 2000;
    v.KE = 1.5;
    v.DarkAdc = 16777215;
    v.SystemZeroAdc = -16777215.0 / 2;
    v.AdcAverage = 0;
    v.ResultAverage = 1234.5678;
    v.Dac0 = 0x1000;
    v.Dac = 0x0800; // below DAC0: the current is below 4 mA
    EXPECT_EQ(
        FormatResultLine(v, ','),
        "5,0\t2000\t3,0000000E+03\t-1,5000000E+03\t0,0000000E+00\t1,2345678E+03\t0x00001000\t0x00000800\t"
        "3,500000\r\n");
}

TEST(ResultFile, HeaderCheckNeedsTheWholeHeader) {
    const std::string header = Utf8ToCp1250(RESULT_HEADER);
    const TBytes bytes(header.begin(), header.end());
    EXPECT_TRUE(StartsWithResultHeader(bytes));
    EXPECT_FALSE(StartsWithResultHeader(std::span(bytes).first(bytes.size() - 1)));
    EXPECT_FALSE(StartsWithResultHeader(test::Text(RESULT_HEADER))); // UTF-8 is not the file's text
}

TEST(ResultFile, AppendsOnlyBelowTheExactHeader) {
    test::TTempFolder dir;
    const std::string path = dir / "r/results.txt";
    ASSERT_TRUE(AppendResultLine(path, "1\r\n"));
    ASSERT_TRUE(AppendResultLine(path, "2\r\n"));
    const TBytes bytes = test::ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Utf8ToCp1250(RESULT_HEADER) + "1\r\n2\r\n");
    const std::string other = dir / "other.txt";
    test::WriteBytes(other, test::Text("Another header\r\n"));
    EXPECT_FALSE(AppendResultLine(other, "1\r\n"));
    EXPECT_EQ(test::ReadBytes(other), test::Text("Another header\r\n"));
}

} // namespace
} // namespace k730
