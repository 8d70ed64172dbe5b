// The results frame's rows over a results block, short blocks included, and
// the values of a results-file line.
#include "service/ResultsBlock.h"

#include "main/MinMaxAv.h"
#include "protocol/ByteOrder.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TBytes FullBlock() {
    TBytes b(65, 0);
    b[0] = 0x68;
    b[3] = 0x84;
    b[roAddress] = 0x34;
    b[roAddress + 1] = 0x12;
    b[roMode] = 0x04;
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(roResultAverage, std::bit_cast<uint32_t>(123.5f));
    put32(roAdcAverage, 0x7FFFFF);
    put32(roAdcSystemZero, static_cast<uint32_t>(-16));
    put32(roLoopDac, 0x6000);
    put32(roDac0, 0x4000);
    put32(roKE, std::bit_cast<uint32_t>(2.0f));
    put32(roKL, std::bit_cast<uint32_t>(1.0f));
    put32(roCalTemperature, 680);
    put32(roFullScale, std::bit_cast<uint32_t>(2000.0f));
    b[roTemperature] = 0xA8;
    b[roTemperature + 1] = 0x02;
    b[roZeroTemperature] = 0xFF;
    b[roZeroTemperature + 1] = 0xFF;
    return b;
}

const TResultsRow& Row(const std::vector<TResultsRow>& rows, const std::string& caption) {
    for (const auto& r : rows)
        if (r.caption == caption) return r;
    static TResultsRow none;
    ADD_FAILURE() << caption;
    return none;
}

TEST(ResultsFrame, DecodesEveryField) {
    const auto rows = ResultsRows(FullBlock(), 0x2A, 0x81, ',');
    ASSERT_EQ(rows.size(), RESULTS_ROW_COUNT);
    EXPECT_EQ(Row(rows, "Adres MerBUS:").bytes, (std::vector<std::string>{"12", "34"}));
    EXPECT_EQ(Row(rows, "Adres MerBUS:").decoded, "1234");
    EXPECT_EQ(Row(rows, "Tryb pracy:").decoded, "00000100");
    EXPECT_EQ(Row(rows, "Wynik Średnia: ").decoded, "1,2350000E+02");
    EXPECT_EQ(Row(rows, "LTC2400 Średnia:").decoded.substr(0, 7), "1999,99") << "half scale × KE 2 × 2000";
    EXPECT_EQ(Row(rows, "AD421 Prąd:").decoded, "6,0000");
    EXPECT_EQ(Row(rows, "Temperatura:").decoded, "23,0\u00B0C");
    EXPECT_EQ(Row(rows, "Temperatura kalibracji:").decoded, "23,0\u00B0C");
    EXPECT_EQ(Row(rows, "Wsp. KAL Miernika:").decoded, "2,0000000");
    EXPECT_EQ(Row(rows, "Zakres pomiarowy:").decoded, "2000");
    EXPECT_EQ(Row(rows, "Temperatura ZeraSystemu:").decoded, "___") << "0xFFFF: never zeroed";
    EXPECT_EQ(Row(rows, "Adres MODBUS:").decoded, "2A");
    EXPECT_EQ(Row(rows, "Konfiguracja:").decoded, "10000001");
}

TEST(ResultsFrame, ShortBlockMarksWhatIsMissing) {
    TBytes b = FullBlock();
    b.resize(41);
    const auto rows = ResultsRows(b, std::nullopt, std::nullopt, '.');
    EXPECT_TRUE(Row(rows, "Temperatura:").present);
    for (const char* missing :
         {"AD421 Prąd 4mA:", "Wsp. KAL Miernika:", "Zakres pomiarowy:", "Adres MODBUS:"})
        EXPECT_FALSE(Row(rows, missing).present) << missing;
    // Without KE and range the converter counts show bare.
    EXPECT_EQ(Row(rows, "LTC2400 ZeroSystemu: ").decoded, "-16");
    EXPECT_FALSE(ResultsRows({}, std::nullopt, std::nullopt, '.')[0].present);
}

TEST(ResultLine, ValuesFromTheBlockOrTheAverages) {
    const auto v = ResultLineValues(FullBlock(), nullptr);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->TempCode, 680);
    EXPECT_EQ(v->Dac, 0x6000u);
    EXPECT_EQ(v->Dac0, 0x4000u);
    EXPECT_EQ(v->SystemZeroAdc, -16);
    EXPECT_EQ(v->ResultAverage, 123.5);
    const std::string line = FormatResultLine(*v, '.');
    EXPECT_NE(line.find("\t0x00004000\t0x00006000\t6.000000\r\n"), std::string::npos) << line;

    TMinMaxAv stats;
    stats.AvgValid = true;
    stats.AvgTempCode = 700;
    stats.AvgRawReading = 5;
    stats.AvgLoopDac = 0x5000;
    stats.AvgValue = 7.5f;
    const auto averaged = ResultLineValues(FullBlock(), &stats);
    EXPECT_EQ(averaged->TempCode, 700);
    EXPECT_EQ(averaged->AdcAverage, 5);
    EXPECT_EQ(averaged->Dac, 0x5000u);
    EXPECT_EQ(averaged->ResultAverage, 7.5);
    EXPECT_EQ(averaged->Dac0, 0x4000u) << "the 4 mA value is never averaged";

    TBytes shortBlock = FullBlock();
    shortBlock.resize(RESULT_LINE_BLOCK_SIZE - 1);
    EXPECT_FALSE(ResultLineValues(shortBlock, nullptr));
}

} // namespace
} // namespace k730
