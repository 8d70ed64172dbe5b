// The recording rules with a fake clock: every answer carries the tick and
// the date it arrived at.
#include "history/HistFakes.h"
#include "history/HistSampler.h"
#include "history/HistTexts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730 {
namespace {

using test::HistRangeFrame;
using test::HistStatusFrame;

constexpr double MS = 1.0 / 86'400'000.0;

class HistSamplerTest : public ::testing::Test {
protected:
    // The registration starts now; the first answer comes one period later.
    void Start(int field, uint32_t period = 160) {
        sampler.Start(field, tick, days);
        Advance(period);
    }
    // One answer at the present tick, then the clock moves on.
    THistSampleOutcome Answer(const TBytes& frame, uint32_t step = 160) {
        const THistSampleOutcome out = sampler.OnStatus(frame, meter, tick, days);
        Advance(step);
        return out;
    }
    void Answers(int n, float value, uint32_t step = 160) {
        for (int i = 0; i < n; ++i)
            Answer(HistStatusFrame(value), step);
    }
    void Advance(uint32_t ms) {
        tick += ms;
        days += ms * MS;
    }
    const std::vector<HistSample>& Records() const { return sampler.Data().Samples; }
    std::string Time(size_t row) const { return HistCellText(sampler.Data(), row, hcTime, langEnglish, ','); }

    THistSampler sampler;
    TMeterInfo meter = test::HistMeter();
    uint32_t tick = 10'000;
    double days = 45'000.5;
};

// --- intervals and records --------------------------------------------------------

TEST_F(HistSamplerTest, FieldZeroRecordsEvery160msWithHundredths) {
    const double started = days;
    Start(0);
    Answers(5, 12.5f);
    ASSERT_EQ(Records().size(), 5u);
    EXPECT_EQ(sampler.Data().IntervalMs, 160);
    // The first sample stands for a conversion begun 240 ms before it was answered.
    EXPECT_EQ(Records()[0].TimeMs, 240);
    EXPECT_EQ(Records()[1].TimeMs, 400);
    EXPECT_EQ(Time(0), "0:00:00.16");
    EXPECT_EQ(Time(4), "0:00:00.80");
    EXPECT_NEAR(sampler.Data().StartDateTime, started, 1 * MS) << "first answer − 160 ms";
    EXPECT_EQ(sampler.Data().SerialNumber, 1001);
    EXPECT_EQ(sampler.Data().ModelDescriptor, "K-730/V/200/E/0");
    EXPECT_EQ(sampler.Data().RangeList, (std::vector<float>{2, 20, 200}));
}

TEST_F(HistSamplerTest, FieldFiveRecordsEveryFiveSeconds) {
    Start(5);
    Answers(63, 7.0f);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(sampler.Data().IntervalMs, 5000);
    EXPECT_EQ(Time(0), "0:00:05");
    EXPECT_EQ(Time(1), "0:00:10");
    EXPECT_EQ(Records()[1].TimeMs - Records()[0].TimeMs, 4960) << "31 answers 160 ms apart";
    EXPECT_FLOAT_EQ(Records()[0].Average, 7.0f);
}

TEST_F(HistSamplerTest, RecordAveragesItsSamplesAndKeepsTheirExtremes) {
    Start(1);
    test::THistStatus s;
    s.kindByte = 0x21; // the first answer's byte 22 is kept
    s.tempCode = 680;
    s.value = 10;
    Answer(HistStatusFrame(s));
    s.kindByte = 0x22;
    s.tempCode = 681;
    for (float v : {12.f, 14.f, 9.f, 11.f, 4.f}) {
        s.value = v;
        s.fullScale = v > 13 ? 200 : 20;
        s.flags = v > 13 ? 0x41 : 0x40;
        Answer(HistStatusFrame(s));
    }
    ASSERT_EQ(Records().size(), 1u) << "the answer after the due tick closes the interval";
    const HistSample& r = Records()[0];
    EXPECT_FLOAT_EQ(r.Average, 10.0f);
    EXPECT_FLOAT_EQ(r.Minimum, 4);
    EXPECT_FLOAT_EQ(r.Maximum, 14);
    EXPECT_FLOAT_EQ(r.FullScale, 200);
    EXPECT_FLOAT_EQ(r.FullScaleAtMin, 20);
    EXPECT_FLOAT_EQ(r.FullScaleAtMax, 200);
    EXPECT_EQ(r.Flags, HIST_OVERRANGE);
    EXPECT_EQ(r.Resolution, 0x21);
    // Codes 680 once and 681 five times round to 681: (681 × 1.07421875 − 500) / 10 = 23.15 °C.
    EXPECT_EQ(r.TempTenths, 232);
    for (const auto& e : sampler.Data().Extremes)
        EXPECT_EQ(e, (THistExtremes{4, 14, 20, 200}));
}

TEST_F(HistSamplerTest, SampleLimitCountsConversionsUnlessNewFirmwareMarksThem) {
    struct TCase {
        int field;
        bool newFirmware;
        uint32_t samples; // the interval closes with this one
    };
    for (const TCase c : {TCase{0, false, 2}, TCase{0, true, 1}, TCase{1, false, 7}, TCase{1, true, 7},
                          TCase{2, false, 13}}) {
        SCOPED_TRACE(testing::Message() << "field " << c.field << (c.newFirmware ? " new" : " old"));
        sampler = THistSampler{};
        meter = test::HistMeter(c.newFirmware);
        Start(c.field);
        // The first interval may close at once (field 0: its due tick lies
        // behind); 1 ms apart after that, only the count closes one.
        Answer(HistStatusFrame(1, 20, 0xC0), 1);
        const size_t before = Records().size();
        uint32_t samples = sampler.Interval().count;
        while (Records().size() == before && samples < 100) {
            Answer(HistStatusFrame(1, 20, 0xC0), 1);
            ++samples;
        }
        EXPECT_EQ(samples, c.samples);
    }
}

TEST_F(HistSamplerTest, NewFirmwareUsesOnlyAnswersMarkedFresh) {
    meter = test::HistMeter(true);
    Start(1, 144);
    for (int i = 0; i < 20; ++i)
        Answer(HistStatusFrame(i % 2 ? 50.f : 5.f, 200, i % 2 ? 0x40 : 0xC0), 144);
    ASSERT_FALSE(Records().empty());
    for (const auto& r : Records())
        EXPECT_FLOAT_EQ(r.Maximum, 5.f) << "the repeated results are not samples";
}

TEST_F(HistSamplerTest, AnswersBeforeTheFirst160msAfterAResetOrTooShortAreNotSamples) {
    sampler.Start(0, tick, days);
    Advance(159);
    EXPECT_FALSE(Answer(HistStatusFrame(1), 1).used) << "159 ms after the start";
    EXPECT_FALSE(Answer(HistStatusFrame(1, 20, 0xFF), 1).used) << "the meter's power-on report";
    TBytes cut = HistStatusFrame(1);
    cut.erase(cut.begin() + 40, cut.end() - 1);
    cut[1] = static_cast<uint8_t>(cut.size());
    EXPECT_FALSE(Answer(cut, 1).used);
    EXPECT_TRUE(Answer(HistStatusFrame(1)).used);
    sampler.Stop();
    EXPECT_FALSE(Answer(HistStatusFrame(1)).used) << "nothing is taken while stopped";
}

TEST_F(HistSamplerTest, SilentMeterLeavesAGapInsteadOfABurstOfRecords) {
    Start(1);
    Answers(6, 3);
    ASSERT_EQ(Records().size(), 1u);
    Advance(5000); // five intervals without an answer
    Answer(HistStatusFrame(3));
    EXPECT_EQ(Records().size(), 2u) << "one record for the whole gap";
    Answers(5, 3);
    ASSERT_EQ(Records().size(), 3u);
    EXPECT_EQ(Records()[2].TimeMs, 7000) << "the next record closes on the grid of whole intervals";
}

// --- automatic ranging ---------------------------------------------------------------

TEST_F(HistSamplerTest, OverRangeGoesUpAndTheTwoFollowingSamplesAreSkipped) {
    sampler.SetAutoRange(true);
    Start(0);
    Answers(2, 15);
    const size_t before = Records().size();
    const auto out = Answer(HistStatusFrame(25, 20));
    EXPECT_TRUE(out.trigger);
    EXPECT_FALSE(out.used) << "the sample that asks for another range is not recorded";
    EXPECT_TRUE(sampler.RangeUpWanted());
    EXPECT_EQ(sampler.OnTick().range, 2);
    EXPECT_FALSE(sampler.OnTick().range) << "the request went out once";
    EXPECT_FALSE(sampler.OnRange(HistRangeFrame(2)));
    EXPECT_FLOAT_EQ(sampler.PresentFullScale(), 200);
    EXPECT_FALSE(Answer(HistStatusFrame(25, 200)).used);
    EXPECT_FALSE(Answer(HistStatusFrame(25, 200)).used);
    EXPECT_TRUE(Answer(HistStatusFrame(25, 200)).used);
    EXPECT_GT(Records().size(), before);
}

TEST_F(HistSamplerTest, RangeDecisionsFollowTheirThresholds) {
    struct TCase {
        const char* what;
        test::THistStatus status;
        std::optional<uint8_t> range;
    };
    const TCase cases[] = {
        {"down at 0.9 × the next smaller range", {18, 200}, 1},
        {"just above it stays", {18.01f, 200}, std::nullopt},
        {"value above the full scale goes up", {20.5f, 20}, 2},
        {"over-range flag goes up", {19, 20, 0x41}, 2},
        {"raw reading at 1.06875 × 0xFFFFFF goes up", {19, 20, 0x40, 17930649}, 2},
        {"raw reading just below stays", {19, 20, 0x40, 17930648}, std::nullopt},
        {"no range above the last", {250, 200, 0x41}, std::nullopt},
        {"no range below the first", {0.1f, 2}, std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        sampler = THistSampler{};
        sampler.SetAutoRange(true);
        Start(1);
        Answer(HistStatusFrame(c.status));
        EXPECT_EQ(sampler.OnTick().range, c.range);
    }
    sampler = THistSampler{};
    Start(1);
    Answer(HistStatusFrame(25, 20));
    EXPECT_FALSE(sampler.OnTick().range) << "without the check box the range stays";
}

TEST_F(HistSamplerTest, RequestForAFullScaleOutsideTheRangeListIsDropped) {
    sampler.SetAutoRange(true);
    Start(1);
    Answer(HistStatusFrame(25, 20));
    Answer(HistStatusFrame(30, 25)); // a full scale the identity never named
    EXPECT_FALSE(sampler.OnTick().range);
    EXPECT_FALSE(sampler.RangeUpWanted()) << "status requests go on";
}

// --- clearing and deleting ------------------------------------------------------------

TEST_F(HistSamplerTest, DeletingALeadingBlockMovesTheStartByItsIntervals) {
    Start(1);
    while (Records().size() < 10)
        Answer(HistStatusFrame(4));
    sampler.Stop();
    const double start = sampler.Data().StartDateTime;
    const int32_t fourth = Records()[3].TimeMs, third = Records()[2].TimeMs;
    EXPECT_FALSE(sampler.CanDelete(2, 4)) << "records 3 to 5 are neither leading nor trailing";
    EXPECT_FALSE(sampler.CanDelete(0, 9)) << "never all";
    EXPECT_TRUE(sampler.CanDelete(3, 9));
    ASSERT_TRUE(sampler.Delete(0, 2));
    EXPECT_EQ(Records().size(), 7u);
    EXPECT_NEAR(sampler.Data().StartDateTime, start + 3000 * MS, 1e-9);
    EXPECT_EQ(Records()[0].TimeMs, fourth - third);
    EXPECT_TRUE(sampler.Delete(3, 6));
    EXPECT_EQ(Records().size(), 3u);
    EXPECT_EQ(sampler.Data().SavedCount, 0);

    THistData stored = sampler.Data();
    stored.IntervalMs = 0; // a history without an interval keeps its own times
    sampler.Replace(stored);
    const double before = sampler.Data().StartDateTime;
    ASSERT_TRUE(sampler.Delete(0, 0));
    EXPECT_NEAR(sampler.Data().StartDateTime, before + stored.Samples[0].TimeMs * MS, 1e-9);
}

TEST_F(HistSamplerTest, NothingIsDeletedWhileRecording) {
    Start(1);
    Answers(30, 4);
    EXPECT_FALSE(sampler.CanDelete(0, 0));
    EXPECT_FALSE(sampler.Delete(0, 0));
}

TEST_F(HistSamplerTest, ClearingWhileRecordingKeepsTheIntervalAndStartsAgain) {
    Start(1);
    Answers(20, 4);
    const double now = days;
    sampler.Clear(now);
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(sampler.Data().IntervalMs, 1000);
    EXPECT_EQ(sampler.Data().MeterKind, 0);
    Answers(8, 6);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_LT(Records()[0].TimeMs, 1500) << "times count from the clearing";
    EXPECT_EQ(sampler.Data().MeterKind, 1) << "the identity is taken again";
}

} // namespace
} // namespace k730
