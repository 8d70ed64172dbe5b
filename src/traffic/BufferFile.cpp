#include "traffic/BufferFile.h"

#include "files/ByteCodec.h"
#include "files/FileIo.h"
#include "main/K730Fun.h"

#include <sys/stat.h>

namespace k730 {
namespace {

// Polish-only texts of the viewer.
TFileMessage Polish(std::string text, TMessageStyle style) {
    return TFileMessage{text, text, style};
}

// Visits the records of all three buffers in sequence order.
template <typename Visit> void InSequence(const TTrafficBuffers& buffers, Visit visit) {
    std::array<size_t, TRAFFIC_BUFFER_COUNT> next{};
    for (;;) {
        int best = -1;
        for (int id = 0; id < TRAFFIC_BUFFER_COUNT; ++id) {
            const auto& b = buffers.Buffer(id);
            const size_t i = next[static_cast<size_t>(id)];
            if (i < b.Count() &&
                (best < 0 || b.Record(i).sequence <
                                 buffers.Buffer(best).Record(next[static_cast<size_t>(best)]).sequence))
                best = id;
        }
        if (best < 0) return;
        visit(best, buffers.Buffer(best).Bytes(next[static_cast<size_t>(best)]++));
    }
}

TFileMessage VersionMessage(const std::string& shownPath, const std::string& version) {
    // The second label is padded to at least the first one's width.
    const std::string first = "Wersja pliku danych: ";
    std::string second = "Wersja programu: ";
    while (second.size() < first.size())
        second += ' ';
    return Polish("Niewłaściwa wersja pliku danych:\r\n" + shownPath + "\r\n" + first + version + "\r\n" +
                      second + std::string(BUFFER_FILE_VERSION),
                  msWarning);
}

} // namespace

TBufferFileRead ParseBufferFile(std::span<const uint8_t> bytes) {
    TBufferFileRead r;
    TByteReader in(bytes);
    if (!in.Match(BUFFER_FILE_MAGIC)) return r.error = "not a data file (magic)", r;
    if (!in.TextEndedBy(' ', r.version)) return r.error = "file ends inside its version text", r;
    if (CompareVersions(r.version, BUFFER_FILE_VERSION) > 0) return r.error = "version newer than 1.3", r;
    while (!in.AtEnd()) {
        TBufferFileRecord rec;
        uint32_t size = 0;
        if (!in.U(rec.buffer) || !in.U(size) || in.Size() - in.Pos() < size)
            return r.error = "record cut short", r;
        rec.bytes = bytes.subspan(in.Pos(), size);
        in.Skip(size);
        r.records.push_back(rec);
    }
    r.valid = true;
    return r;
}

TBytes SerializeBufferFile(const TTrafficBuffers& buffers, std::string_view version) {
    TBytes out;
    out.reserve(4096);
    PutText(out, BUFFER_FILE_MAGIC);
    PutText(out, version);
    out.push_back(' ');
    InSequence(buffers, [&](int id, std::span<const uint8_t> block) {
        out.push_back(static_cast<uint8_t>(id));
        PutU(out, static_cast<uint32_t>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    });
    return out;
}

TBufferSaveCheck CheckBufferFileForSave(const std::string& path, const std::string& shownPath) {
    TBufferSaveCheck check;
    if (!FileExists(path)) return check;
    const auto bytes = ReadWholeFile(path, BUFFER_FILE_LIMIT);
    TByteReader in(bytes ? std::span<const uint8_t>(*bytes) : std::span<const uint8_t>());
    if (!in.Match(BUFFER_FILE_MAGIC)) {
        check.kind = boNotDataFile;
        check.question = Polish("Nadpisywany plik:\r\n" + shownPath +
                                    "\r\nnie jest plikiem danych.\r\nCzy mimo to kontynuować?",
                                msQuestion);
        return check;
    }
    check.version = in.TextTo(' ');
    if (CompareVersions(check.version, BUFFER_FILE_VERSION) >= 0) {
        check.kind = boSameFormat;
        return check;
    }
    const std::string ours(BUFFER_FILE_VERSION);
    check.kind = boOlderFormat;
    check.question = Polish("Plik:\r\n" + shownPath + "\r\njest plikiem danych formatu " + check.version +
                                "\r\nCzy zachować go w formacie bieżącej wersji programu " + ours +
                                " ?\r\nWybierz 'TAK' aby zachować go w formacie " + ours +
                                "\r\nWybierz 'NIE' aby zachować go w formacie " + check.version,
                            msQuestion);
    return check;
}

TBufferFileOutcome SaveBufferFile(const std::string& path, const std::string& shownPath,
                                  const TTrafficBuffers& buffers, std::string_view version) {
    TBufferFileOutcome out;
    if (buffers.Empty()) return out.success = true, out;
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    out.success = WriteFileAtomic(path, SerializeBufferFile(buffers, version), false);
    if (existed) ::chmod(path.c_str(), st.st_mode & 07777);
    if (!out.success) out.message = Polish("Wystąpił błąd podczas zapisu pliku:\r\n" + shownPath, msWarning);
    for (int id = 0; id < TRAFFIC_BUFFER_COUNT; ++id)
        out.records += buffers.Buffer(id).Count();
    return out;
}

TBufferFileLoad ReadBufferFile(const std::string& path, const std::string& shownPath) {
    TBufferFileLoad load;
    TBufferFileOutcome& out = load.outcome;
    if (!FileExists(path))
        return out.message = Polish("Nie znaleziono pliku:\r\n" + shownPath, msWarning), load;
    const auto bytes = ReadWholeFile(path, BUFFER_FILE_LIMIT);
    if (!bytes)
        return out.message = Polish("Wystąpił błąd podczas odczytu pliku:\r\n" + shownPath, msWarning), load;
    const TBufferFileRead read = ParseBufferFile(*bytes);
    TByteReader in(*bytes);
    if (!in.Match(BUFFER_FILE_MAGIC))
        return out.message = Polish(shownPath + "\r\nnie jest plikiem danych.", msWarning), load;
    if (CompareVersions(read.version, BUFFER_FILE_VERSION) > 0)
        return out.message = VersionMessage(shownPath, read.version), load;
    if (!read.valid)
        return out.message = Polish("Wystąpił błąd podczas odczytu pliku:\r\n" + shownPath, msWarning), load;
    for (const auto& rec : read.records)
        if (rec.buffer < TRAFFIC_BUFFER_COUNT && load.buffers.AddRecord(rec.buffer, rec.bytes)) ++out.records;
    out.success = true;
    return load;
}

TBufferFileOutcome LoadBufferFile(const std::string& path, const std::string& shownPath,
                                  TTrafficBuffers& buffers) {
    TBufferFileLoad load = ReadBufferFile(path, shownPath);
    if (load.outcome.success && !buffers.AppendAll(std::move(load.buffers))) {
        load.outcome.success = false;
        load.outcome.records = 0;
        load.outcome.message = Polish("Wystąpił błąd podczas odczytu pliku:\r\n" + shownPath, msWarning);
    }
    return load.outcome;
}

} // namespace k730
