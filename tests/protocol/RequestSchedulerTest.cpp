#include "protocol/MerBusCommands.h"
#include "protocol/RequestScheduler.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

constexpr uint16_t kAddr = 0x0012;

// A scheduler whose sends are recorded instead of written to a port.
class Scheduler : public testing::Test {
protected:
    std::vector<TBytes> sent;
    TRequestScheduler scheduler{[this](const TBytes& frame) { sent.push_back(frame); }};

    // Command code of the last frame sent, 0 when nothing was sent.
    uint8_t LastCommand() const { return sent.empty() ? 0 : sent.back()[3]; }
    // Runs one answer-driven scan and returns the command it sent (0 = none).
    uint8_t ScanCommand() {
        const size_t before = sent.size();
        scheduler.ScanNow(kAddr);
        return sent.size() > before ? LastCommand() : 0;
    }
};

TEST_F(Scheduler, SessionReadsIdentityThenSettingsThenStatus) {
    scheduler.ResetSession();
    std::vector<uint8_t> order;
    const std::vector<std::pair<uint8_t, size_t>> slotOf = {{1, slotIdentify},     {5, slotRange},
                                                            {6, slotDefaultRange}, {3, slotModBusAddress},
                                                            {7, slotConversions},  {4, slotStatus}};
    for (int i = 0; i < 6; ++i) {
        order.push_back(ScanCommand());
        for (const auto& [command, slot] : slotOf)
            if (command == order.back()) scheduler.ClearSlot(slot); // the answer arrives
    }
    EXPECT_EQ(order, (std::vector<uint8_t>{1, 5, 6, 3, 7, 4}));
    EXPECT_EQ(sent.front(), BuildIdentify(kAddr));
    EXPECT_FALSE(scheduler.ScanNow(kAddr));
}

TEST_F(Scheduler, ServiceSlotsOnlyWhileTheServiceWindowIsOpen) {
    scheduler.SetServiceWindowOpen(true);
    scheduler.ResetSession();
    for (const size_t slot : {slotIdentify, slotRange, slotDefaultRange})
        scheduler.ClearSlot(slot);
    EXPECT_EQ(ScanCommand(), CMD_SVC_READINGS);
    EXPECT_EQ(sent.back(), BuildSvcReadings(kAddr));
    scheduler.SetServiceWindowOpen(false);
    scheduler.ResetSlots(true, false);
    for (const size_t slot : {slotIdentify, slotRange, slotDefaultRange})
        scheduler.ClearSlot(slot);
    EXPECT_EQ(ScanCommand(), CMD_MODBUS_ADDRESS);
}

TEST_F(Scheduler, SlotTenGoesBeforeSlotNineAndZeroingStartsWithByteOne) {
    scheduler.Slot(slotStoreZero).pending = true;
    scheduler.Slot(slotSvcZeroDetector).pending = true;
    EXPECT_EQ(ScanCommand(), CMD_SVC_ZERO_DETECTOR);
    EXPECT_EQ(sent.back(), BuildSvcZeroDetector(kAddr, true));
    scheduler.ClearSlot(slotSvcZeroDetector);
    EXPECT_EQ(ScanCommand(), CMD_STORE_ZERO);
}

TEST_F(Scheduler, SlotStopsBeingPendingAfterItsSixthSend) {
    scheduler.ResetSession();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ScanCommand(), CMD_IDENTIFY);
    EXPECT_FALSE(scheduler.Slot(slotIdentify).pending);
    EXPECT_EQ(scheduler.Slot(slotIdentify).sentCount, 6u);
    EXPECT_EQ(ScanCommand(), CMD_RANGE);
}

TEST_F(Scheduler, TimedSlotsGoOutWhenDueAndAreReArmed) {
    scheduler.Slot(slotZeroDetector).dueTick = 1000;
    EXPECT_TRUE(scheduler.Scan(kAddr, 999));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(scheduler.Scan(kAddr, 1000));
    EXPECT_EQ(sent.back(), BuildZeroDetector(kAddr, false)); // due, not pending: asks only
    EXPECT_EQ(scheduler.Slot(slotZeroDetector).dueTick, 1500u);
    EXPECT_TRUE(scheduler.Scan(kAddr, 1499));
    EXPECT_EQ(sent.size(), 1u);
    // Pending slots are not timer business, timed ones not answer business.
    scheduler.Slot(slotRange).pending = true;
    EXPECT_TRUE(scheduler.Scan(kAddr, 1499));
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(ScanCommand(), CMD_RANGE);
}

TEST_F(Scheduler, StatusTimedButNotDueHoldsBackLaterSlots) {
    scheduler.Slot(slotStatus).alternateDueTick = 2000;
    EXPECT_TRUE(scheduler.Scan(kAddr, 1500));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(scheduler.Scan(kAddr, 2000));
    EXPECT_EQ(LastCommand(), CMD_STATUS);
    EXPECT_EQ(scheduler.Slot(slotStatus).alternateDueTick, 2000u); // only the due tick is re-armed

    // An earlier slot that is timed but not due ends the scan before a due one.
    scheduler.Slot(slotConversions).dueTick = 5000;
    scheduler.Slot(slotStatus).dueTick = 100;
    sent.clear();
    EXPECT_TRUE(scheduler.Scan(kAddr, 3000));
    EXPECT_TRUE(sent.empty());
}

TEST_F(Scheduler, HistoryWindowTakesOverTheStatusRequests) {
    scheduler.ResetSession();
    for (const size_t slot : {slotIdentify, slotRange, slotDefaultRange, slotModBusAddress, slotConversions})
        scheduler.ClearSlot(slot);
    scheduler.SetHistoryWindowOpen(true);
    scheduler.Slot(slotStatus).dueTick = 10;
    EXPECT_FALSE(scheduler.ScanNow(kAddr));
    EXPECT_FALSE(scheduler.Scan(kAddr, 20));
    EXPECT_TRUE(sent.empty());
    scheduler.SetHistoryWindowOpen(false);
    EXPECT_EQ(ScanCommand(), CMD_STATUS);
}

TEST_F(Scheduler, QueuedItemIsResentUntilItsAnswerArrives) {
    scheduler.ResetSession();
    ASSERT_TRUE(scheduler.Queue({{CMD_RANGE, 2}, {}}));
    EXPECT_EQ(ScanCommand(), CMD_RANGE);
    EXPECT_EQ(ScanCommand(), CMD_RANGE);
    EXPECT_EQ(sent.back(), BuildRange(kAddr, 2));
    EXPECT_FALSE(scheduler.TakeAnsweredHead(CMD_STATUS));
    EXPECT_TRUE(scheduler.TakeAnsweredHead(CMD_RANGE));
    EXPECT_EQ(ScanCommand(), CMD_IDENTIFY); // back to the slots
}

TEST_F(Scheduler, RawItemsAreSentOnceAndRemoved) {
    ASSERT_TRUE(scheduler.Queue({Hex("00 00 68 08 00 2A 06 01 00 16"), {}}));
    ASSERT_TRUE(scheduler.Queue({Hex("00 60 34 12 AB"), {}}));
    EXPECT_EQ(ScanCommand(), 0x2A);
    EXPECT_EQ(sent.back(), Hex("68 08 00 2A 06 01 00 16"));
    EXPECT_EQ(ScanCommand(), 0x60);
    EXPECT_EQ(sent.back(), Hex("68 09 00 60 06 34 12 AB 16")); // item's address, no access code
    EXPECT_TRUE(scheduler.QueueEmpty());
}

TEST_F(Scheduler, ModeAndMeasurementItems) {
    scheduler.ResetSession();
    ASSERT_TRUE(scheduler.QueueMeasurement(false, false, kAddr));
    ASSERT_TRUE(scheduler.QueueMode(mmForcing4mA, true, true, kAddr));
    EXPECT_EQ(sent.back(), BuildSetMode(kAddr, mmForcing4mA));
    scheduler.TakeAnsweredHead(CMD_SET_MODE);
    EXPECT_EQ(ScanCommand(), CMD_STATUS);
}

TEST_F(Scheduler, EveryItemTypeProducesItsRequest) {
    const auto request = [](const TBytes& item) { return TRequestScheduler::RequestForItem(item, kAddr); };
    EXPECT_EQ(request(Hex("0B 04 03 02 01")), BuildSetForcingValue(kAddr, 0x01020304));
    EXPECT_EQ(request(Hex("0C 02 A1 A2 A3 A4")), BuildSetCalParameter(kAddr, 2, {0xA1, 0xA2, 0xA3, 0xA4}));
    const TBytes cal = Hex("0D 44 33 22 11 00 00 80 3F 00 00 00 C0 F4 01 00 00");
    EXPECT_EQ(request(cal), BuildSaveCalibration(kAddr, {0x11223344, 1.0f, -2.0f, 0x01F4, 0}));
    TBytes calWithRef = cal;
    calWithRef.insert(calWithRef.end(), {1, 2, 3, 4});
    EXPECT_EQ(request(calWithRef), request(cal));
    EXPECT_EQ(request(Hex("60 05")), BuildSvcConfig(kAddr, 5));
    EXPECT_EQ(request(Hex("61 81")), BuildSvcKind(kAddr, 0x81));
    EXPECT_EQ(request(Hex("62 4B 2D 37")), BuildSvcDescriptor(kAddr, "K-7"));
    EXPECT_EQ(request(Hex("63 34 12 E8 07")), BuildSvcSerialYear(kAddr, 0x1234, 2024));
    EXPECT_EQ(request(Hex("64 00 00 20 41 00 00 C8 42 00 00 00 00")), BuildSvcRanges(kAddr, {10, 100, 0}));
    EXPECT_EQ(request(Hex("65")), BuildSvc101(kAddr));
    EXPECT_EQ(request(Hex("67 01 00 00 00 02 00 00 00 03 00 00 00")),
              BuildSvcReadings(kAddr, std::array<uint32_t, 3>{1, 2, 3}));
    EXPECT_EQ(request(Hex("69 00 00 80 3F")), BuildSvcValue(kAddr, 0x3F800000));
    EXPECT_EQ(request(Hex("06 01")), BuildDefaultRange(kAddr, 1));
    EXPECT_EQ(request(Hex("07 10")), BuildConversions(kAddr, 16));
}

TEST_F(Scheduler, UnknownOrMalformedItemsAreNotQueued) {
    for (const char* item : {"", "01", "08 01", "05", "05 01 02", "0B 01 02 03", "00", "00 00", "00 05 01"})
        EXPECT_FALSE(scheduler.Queue({Hex(item), {}})) << item;
    EXPECT_TRUE(scheduler.QueueEmpty());
}

TEST_F(Scheduler, ResetKeepsOrDropsQueueAndRecordsAsAsked) {
    scheduler.ResetSession();
    scheduler.Queue({{CMD_RANGE, 1}, {}});
    scheduler.Slot(slotZeroSystem).save = true;
    scheduler.ScanNow(kAddr);
    scheduler.ResetSlots(true, false);
    EXPECT_EQ(scheduler.QueueSize(), 1u);
    EXPECT_FALSE(scheduler.Slot(slotZeroSystem).save);
    scheduler.ResetSlots(false, true);
    EXPECT_TRUE(scheduler.QueueEmpty());
    EXPECT_TRUE(scheduler.Slot(slotRange).quiet);
    EXPECT_TRUE(scheduler.Slot(slotStatus).pending);
}

TEST_F(Scheduler, SendThatQueuesAgainDoesNotLoseTheNewItem) {
    // A send that re-enters the scheduler (a nested message loop) queues an
    // item at the front while a raw item is being sent; only the raw item goes.
    TRequestScheduler* self = nullptr;
    bool reentered = false;
    TRequestScheduler nested([&](const TBytes&) {
        if (!reentered) {
            reentered = true;
            self->Queue({{CMD_RANGE, 0}, {}}, true);
        }
    });
    self = &nested;
    nested.Queue({Hex("00 00 68 08 00 2A 06 01 00 16"), {}});
    nested.ScanNow(kAddr);
    ASSERT_EQ(nested.QueueSize(), 1u);
    EXPECT_EQ(nested.Head()->bytes, (TBytes{CMD_RANGE, 0}));
}

} // namespace
} // namespace k730
