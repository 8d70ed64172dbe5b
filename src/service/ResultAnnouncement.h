// The announcement of a results file to a cooperating program that reads an
// external multimeter. After a line was appended (or, from the DAC page, with
// no line written) every listener in the announcement folder receives one
// datagram that carries the message's fields and the shared block's text:
//
//   offset  size  content
//   0       32    "MERIDOX_SHARE_MSG_K730TODIV4020", zero-padded (the message)
//   32      4     wParam: length of the file name in bytes, little-endian
//   36      4     lParam: 0 a line was appended, 1 sent from the DAC page
//   40      32    "MERIDOX_SHARE_BUF_K730TODIV4020", zero-padded (the block)
//   72      n     the file name, wParam bytes, no terminating zero
//
// The folder is $XDG_RUNTIME_DIR/k730/MERIDOX_SHARE_MSG_K730TODIV4020 (mode
// 0700; /tmp/k730-<uid>/... without a runtime folder; K730_SHARE_DIR
// overrides it). A listener binds a datagram socket of any name in it.
// Sending never blocks and never fails the append: nobody listening, a full
// queue or a stale socket are all ignored.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

constexpr std::string_view RESULT_MESSAGE_NAME = "MERIDOX_SHARE_MSG_K730TODIV4020";
constexpr std::string_view RESULT_BLOCK_NAME = "MERIDOX_SHARE_BUF_K730TODIV4020";
constexpr size_t RESULT_NAME_FIELD = 32;
constexpr size_t RESULT_ANNOUNCEMENT_HEADER = 2 * RESULT_NAME_FIELD + 8;
constexpr uint32_t RESULT_FROM_RESULTS = 0; // lParam: a line was appended
constexpr uint32_t RESULT_FROM_DAC = 1;     // lParam: sent from the DAC page

struct TResultAnnouncement {
    std::string fileName;
    uint32_t lParam = 0;
};

TBytes ResultAnnouncementDatagram(std::string_view fileName, uint32_t lParam);
// What a listener reads back; nothing for a datagram of another layout.
std::optional<TResultAnnouncement> ParseResultAnnouncement(std::span<const uint8_t> datagram);

std::filesystem::path ResultAnnouncementFolder();
// Sends to every listener; returns how many took the datagram.
int AnnounceResultFile(std::string_view fileName, uint32_t lParam);

} // namespace k730
