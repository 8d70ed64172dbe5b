// k730-tool callog | hist | templates | buffer: audit and move the program's
// data files without opening the program. Each dump prints one JSON object.
#include "files/CalExport.h"
#include "files/CalLogBackup.h"
#include "files/CalMerge.h"
#include "files/FileIo.h"
#include "files/HistCsv.h"
#include "files/HistFile.h"
#include "files/TemplateLib.h"
#include "main/Cp1250.h"
#include "tool/HexText.h"
#include "tool/ToolCommands.h"
#include "traffic/BufferFile.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace k730::tool {
namespace {

using nlohmann::json;

// A single as the shortest decimal that reads back to the same single.
json Single(float v) {
    if (!std::isfinite(v)) return nullptr;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::strtod(std::string(text, end).c_str(), nullptr);
}

json Head(bool valid, const std::string& error) {
    return json{{"valid", valid}, {"error", valid ? json(nullptr) : json(error)}};
}

// One line on standard error that names the file and what is wrong with it.
void Complain(const std::string& path, const std::string& reason) {
    std::cerr << "k730-tool: " << path << ": " << reason << "\n";
}

// The exit status of a file that cannot be read: 2 when it is missing, 1 when
// it is there but unreadable (no permission, not a regular file, too large).
int Unreadable(const std::string& path, TReadError why) {
    Complain(path, ReadErrorText(why));
    return why == reMissing ? exitUsage : exitNegative;
}

// A file that reads but is not what the command needs.
int Invalid(const std::string& path, const std::string& what, const std::string& error) {
    Complain(path, "not a valid " + what + ": " + error);
    return exitNegative;
}

// A calibration history log that reads whole, or none with `status` set.
std::optional<TCalLogRead> ReadValidCalLog(const std::string& path, int& status) {
    TReadError why = reNone;
    const auto bytes = ReadWholeFile(path, CAL_LOG_LIMIT, &why);
    if (!bytes) {
        status = Unreadable(path, why);
        return std::nullopt;
    }
    TCalLogRead read = ParseCalLog(*bytes);
    if (!read.valid) {
        status = Invalid(path, "calibration history log", read.error);
        return std::nullopt;
    }
    return read;
}

// A file the command could not write; what has that name is left as it was.
int CannotWrite(const std::string& path) {
    const TWriteTarget target = ResolveWriteTarget(path);
    Complain(path,
             std::string("cannot be written") + (target.problem ? std::string(": ") + target.problem : ""));
    return exitNegative;
}

// A file for a dump: its bytes, or none with `status` set when it is missing.
// An unreadable file is dumped as an invalid one, with the reason as its error.
struct TDumpInput {
    TBytes bytes;
    std::optional<std::string> unreadable; // the reason, when the file could not be read
};
std::optional<TDumpInput> ReadForDump(const std::string& path, size_t limit, int& status) {
    TReadError why = reNone;
    auto bytes = ReadWholeFile(path, limit, &why);
    if (bytes) return TDumpInput{std::move(*bytes), std::nullopt};
    if (why == reMissing) {
        status = Unreadable(path, why);
        return std::nullopt;
    }
    return TDumpInput{{}, ReadErrorText(why)};
}

// Prints the dump; an invalid or unreadable file also gets its one line on
// standard error.
int Print(const json& j, bool valid, const std::string& path, const TDumpInput& in, const std::string& what) {
    std::cout << j.dump(2) << "\n";
    if (valid) return exitOk;
    if (in.unreadable) {
        Complain(path, *in.unreadable);
        return exitNegative;
    }
    return Invalid(path, what, j["error"].get<std::string>());
}

struct TTextArgs {
    std::string file, out, format = "text", lang = "en", decimal;
};

// Language and separators of an export; false for a bad option.
bool TextOptions(const TTextArgs& a, TLanguage& lang, char& decimal) {
    if (a.lang != "en" && a.lang != "pl") return false;
    lang = a.lang == "pl" ? langPolish : langEnglish;
    if (a.decimal.empty())
        decimal = lang == langPolish ? ',' : '.';
    else if (a.decimal == "," || a.decimal == ".")
        decimal = a.decimal[0];
    else
        return false;
    return true;
}

json CalRecordJson(const TCalLogRecord& r) {
    return json{{"comment", r.Comment},
                {"meter_type", r.MeterType},
                {"serial", r.SerialNumber},
                {"year", r.ProductionYear},
                {"date", r.CalDateTime},
                {"old_forcing", r.OldForcingValue4mA},
                {"new_forcing", r.NewForcingValue4mA},
                {"old_loop", Single(r.OldLoopFactor)},
                {"new_loop", Single(r.NewLoopFactor)},
                {"old_result", Single(r.OldResultFactor)},
                {"new_result", Single(r.NewResultFactor)},
                {"temp_code", r.CalTempCode}};
}

int CalDump(const std::string& file) {
    int status = exitOk;
    const auto in = ReadForDump(file, CAL_LOG_LIMIT, status);
    if (!in) return status;
    TCalLogRead read = ParseCalLog(in->bytes);
    if (in->unreadable) read.error = *in->unreadable;
    json j = Head(read.valid, read.error);
    j["records"] = json::array();
    for (const auto& r : read.records)
        j["records"].push_back(CalRecordJson(r));
    return Print(j, read.valid, file, *in, "calibration history log");
}

int CalExportCmd(const TTextArgs& a) {
    TCalTextFormat f;
    if ((a.format != "text" && a.format != "spreadsheet") || !TextOptions(a, f.lang, f.decimal)) {
        std::cerr << "k730-tool: --format text|spreadsheet, --lang en|pl, --decimal , or .\n";
        return exitUsage;
    }
    int status = exitOk;
    const auto read = ReadValidCalLog(a.file, status);
    if (!read) return status; // an export of a damaged log would pass for the whole log
    const TCalExportView view{cfAllMeters, "", read->records.size()};
    const std::string text =
        a.format == "text" ? CalExportText(read->records, view, f) : CalExportSpreadsheet(read->records, f);
    if (!WriteTextFile(a.out, text)) return CannotWrite(a.out);
    return exitOk;
}

std::string BackupPathOf(const std::string& log) {
    return std::filesystem::path(log).replace_extension(".bak").string();
}

int CalMergeCmd(const std::string& from, const std::string& into, const std::string& duplicates) {
    if (duplicates != "overwrite" && duplicates != "keep") {
        std::cerr << "k730-tool: --duplicates overwrite|keep\n";
        return exitUsage;
    }
    // Both logs are judged first, so that a failure names the file it is about.
    int status = exitOk;
    if (!ReadValidCalLog(from, status) || !ReadValidCalLog(into, status)) return status;
    const TAskAnswer answer = duplicates == "overwrite" ? aaYesToAll : aaNoToAll;
    const TCalImport r =
        SynchronizeCalLog(from, into, BackupPathOf(into), from,
                          [answer](const TFileMessage&, const TCalLogRecord&) { return answer; });
    if (!r.success) return CannotWrite(into);
    std::cout << json{{"overwritten", r.merge.overwritten}, {"appended", r.merge.appended}}.dump() << "\n";
    return exitOk;
}

// True when the backup file holds exactly these log bytes.
bool BackupHolds(const std::string& bak, const TBytes& log) {
    const auto bytes = ReadWholeFile(bak, CAL_BACKUP_FILE_LIMIT);
    const auto image = bytes ? OpenCalBackup(*bytes) : std::nullopt;
    return image && image->log == log;
}

int CalBackupCmd(const std::string& log, const std::string& bak) {
    int status = exitOk;
    if (!ReadValidCalLog(log, status)) return status;
    BackupCalLog(log, bak);
    const auto bytes = ReadWholeFile(log, CAL_LOG_LIMIT);
    return bytes && BackupHolds(bak, *bytes) ? exitOk : CannotWrite(bak);
}

int CalRestoreCmd(const std::string& bak, const std::string& log) {
    TReadError why = reNone;
    const auto backup = ReadWholeFile(bak, CAL_BACKUP_FILE_LIMIT, &why);
    if (!backup) return Unreadable(bak, why);
    const TCalRestore r = RestoreCalLog(log, bak);
    std::cout << json{{"attempted", r.attempted},
                      {"success", r.success},
                      {"damaged_copy", r.damagedCopy},
                      {"recovered_records", r.recoveredRecords}}
                     .dump()
              << "\n";
    if (!r.attempted || r.success) return exitOk;
    if (!OpenCalBackup(*backup)) {
        Complain(bak, "not a valid backup of a calibration history log");
        return exitNegative;
    }
    return CannotWrite(log);
}

json HistJson(const THistData& d, const THistRead& read) {
    json j = Head(read.valid, read.error);
    j.update(json{{"magic", read.magic},
                  {"version", read.version},
                  {"comment", read.comment},
                  {"descriptor", d.ModelDescriptor},
                  {"serial", d.SerialNumber},
                  {"year", d.ProductionYear},
                  {"firmware", d.FirmwareVersion},
                  {"kind", d.MeterKind},
                  {"lum_mode", d.LumMode},
                  {"start", d.StartDateTime},
                  {"interval_ms", d.IntervalMs}});
    j["extremes"] = json::array();
    for (const auto& e : d.Extremes)
        j["extremes"].push_back(
            {Single(e.Minimum), Single(e.Maximum), Single(e.FullScaleAtMin), Single(e.FullScaleAtMax)});
    j["records"] = json::array();
    for (const auto& s : d.Samples)
        j["records"].push_back(json{{"t_ms", s.TimeMs},
                                    {"resolution", s.Resolution},
                                    {"flags", s.Flags},
                                    {"avg", Single(s.Average)},
                                    {"min", Single(s.Minimum)},
                                    {"max", Single(s.Maximum)},
                                    {"fs", Single(s.FullScale)},
                                    {"fs_min", Single(s.FullScaleAtMin)},
                                    {"fs_max", Single(s.FullScaleAtMax)},
                                    {"temp_tenths", s.TempTenths}});
    return j;
}

int HistDump(const std::string& file) {
    int status = exitOk;
    const auto in = ReadForDump(file, HIST_FILE_LIMIT, status);
    if (!in) return status;
    THistData d;
    THistRead read = ParseHistFile(in->bytes, d);
    if (in->unreadable) read.error = *in->unreadable;
    return Print(HistJson(d, read), read.valid, file, *in, "history file");
}

int HistExportCmd(const TTextArgs& a) {
    THistTextFormat f;
    const bool csv = a.format == "csv";
    if ((!csv && a.format != "text") || !TextOptions(a, f.lang, f.decimal)) {
        std::cerr << "k730-tool: --format text|csv, --lang en|pl, --decimal , or .\n";
        return exitUsage;
    }
    TReadError why = reNone;
    const auto bytes = ReadWholeFile(a.file, HIST_FILE_LIMIT, &why);
    if (!bytes) return Unreadable(a.file, why);
    THistData d;
    const THistRead read = ParseHistFile(*bytes, d);
    if (!read.valid) return Invalid(a.file, "history file", read.error);
    if (d.Samples.empty()) return exitOk; // an empty history exports nothing
    if (csv) return WriteHistCsv(a.out, d) ? exitOk : CannotWrite(a.out);
    // The export replaces OUT whole (the history was just read, so nothing of it
    // has been exported yet); a folder or device of that name is left alone.
    if (!WriteHistFile(a.out, d, hwTextExport, read.comment, f)) return CannotWrite(a.out);
    return exitOk;
}

json TemplateJson(const TTemplateRec& t) {
    return json{{"meter_name", t.MeterName},
                {"user_name", t.UserName},
                {"kind", t.MeterKind},
                {"spectral", t.Spectral},
                {"lum_mode", t.LumMode},
                {"aperture", t.Aperture},
                {"default_range", t.DefaultRange},
                {"ranges", {Single(t.Ranges[0]), Single(t.Ranges[1]), Single(t.Ranges[2])}},
                {"config", t.Config},
                {"version", t.Version}};
}

int TemplatesDump(const std::string& file) {
    int status = exitOk;
    const auto in = ReadForDump(file, TEMPLATE_FILE_LIMIT, status);
    if (!in) return status;
    TSpectralLists lists;
    TTemplateArray templates;
    TTemplateRead read = ParseTemplateFile(in->bytes, &lists, &templates);
    if (in->unreadable) read.error = *in->unreadable;
    json j = Head(read.valid, read.error);
    j["version"] = read.version;
    j["lists"] = lists;
    j["templates"] = json::array();
    for (const auto& t : templates)
        j["templates"].push_back(TemplateJson(t));
    return Print(j, read.valid, file, *in, "template library");
}

int BufferDump(const std::string& file) {
    int status = exitOk;
    const auto in = ReadForDump(file, BUFFER_FILE_LIMIT, status);
    if (!in) return status;
    TBufferFileRead read = ParseBufferFile(in->bytes);
    if (in->unreadable) read.error = *in->unreadable;
    json j = Head(read.valid, read.error);
    j["version"] = read.version;
    // Numbered as loading numbers them: records of an unknown buffer get no
    // number there, so they are listed apart with their place in the file.
    j["records"] = json::array();
    j["skipped"] = json::array();
    uint32_t seq = 0;
    size_t place = 0;
    for (const auto& r : read.records) {
        ++place;
        if (r.buffer < TRAFFIC_BUFFER_COUNT) {
            j["records"].push_back({{"seq", ++seq}, {"buffer", r.buffer}, {"hex", FormatHex(r.bytes)}});
            continue;
        }
        const auto offset = static_cast<size_t>(r.bytes.data() - in->bytes.data()) - 5; // id and size precede
        j["skipped"].push_back(
            {{"record", place}, {"offset", offset}, {"buffer", r.buffer}, {"hex", FormatHex(r.bytes)}});
    }
    return Print(j, read.valid, file, *in, "traffic buffer file");
}

// FILE --json: the one output form of the dumps.
void AddDump(CLI::App* parent, const char* what, int& status, int (*run)(const std::string&)) {
    auto file = std::make_shared<std::string>();
    auto* dump = parent->add_subcommand("dump", std::string("Print a ") + what + " as JSON");
    dump->add_option("FILE", *file)->required();
    dump->add_flag("--json")->description("JSON output (the only form)");
    dump->callback([file, run, &status] { status = run(*file); });
}

void AddTextOptions(CLI::App* cmd, TTextArgs& a) {
    cmd->add_option("--lang", a.lang, "en or pl (default en)");
    cmd->add_option("--decimal", a.decimal, "decimal separator , or . (default by language)");
}

void AddCalLog(CLI::App& app, int& status) {
    auto* cal = app.add_subcommand("callog", "Calibration history log: dump, export, merge, backup, restore");
    cal->require_subcommand(1);
    AddDump(cal, "calibration history log (records newest first)", status, CalDump);

    auto ex = std::make_shared<TTextArgs>();
    auto* exp = cal->add_subcommand("export", "Write the text or spreadsheet export of all records");
    exp->add_option("FILE", ex->file)->required();
    exp->add_option("OUT", ex->out)->required();
    exp->add_option("--format", ex->format, "text or spreadsheet (default text)");
    AddTextOptions(exp, *ex);
    exp->callback([ex, &status] { status = CalExportCmd(*ex); });

    auto m = std::make_shared<std::array<std::string, 3>>(std::array<std::string, 3>{"", "", "keep"});
    auto* merge =
        cal->add_subcommand("merge", "Synchronize FROM into INTO; prints {\"overwritten\", \"appended\"}");
    merge->add_option("FROM", (*m)[0])->required();
    merge->add_option("INTO", (*m)[1])->required();
    merge->add_option("--duplicates", (*m)[2], "overwrite or keep (default keep)");
    merge->callback([m, &status] { status = CalMergeCmd((*m)[0], (*m)[1], (*m)[2]); });

    auto b = std::make_shared<std::array<std::string, 2>>();
    auto* backup =
        cal->add_subcommand("backup", "Make the compressed backup BAK of LOG when it is out of date");
    backup->add_option("LOG", (*b)[0])->required();
    backup->add_option("BAK", (*b)[1])->required();
    backup->callback([b, &status] { status = CalBackupCmd((*b)[0], (*b)[1]); });

    auto r = std::make_shared<std::array<std::string, 2>>();
    auto* restore = cal->add_subcommand("restore", "Rebuild LOG from BAK when LOG is missing or damaged");
    restore->add_option("BAK", (*r)[0])->required();
    restore->add_option("LOG", (*r)[1])->required();
    restore->callback([r, &status] { status = CalRestoreCmd((*r)[0], (*r)[1]); });
}

void AddHist(CLI::App& app, int& status) {
    auto* hist = app.add_subcommand("hist", "Measurement history file: dump, export");
    hist->require_subcommand(1);
    AddDump(hist, "measurement history file", status, HistDump);
    auto ex = std::make_shared<TTextArgs>();
    auto* exp = hist->add_subcommand("export", "Write the tab-separated text export, or CSV");
    exp->add_option("FILE", ex->file)->required();
    exp->add_option("OUT", ex->out)->required();
    exp->add_option("--format", ex->format, "text or csv (default text; csv ignores --lang and --decimal)");
    AddTextOptions(exp, *ex);
    exp->callback([ex, &status] { status = HistExportCmd(*ex); });
}

} // namespace

void AddFileCommands(CLI::App& app, int& status) {
    AddCalLog(app, status);
    AddHist(app, status);
    auto* templates = app.add_subcommand("templates", "Template library: dump");
    templates->require_subcommand(1);
    AddDump(templates, "template library", status, TemplatesDump);
    auto* buffer = app.add_subcommand("buffer", "Traffic buffer file: dump (records in sequence order)");
    buffer->require_subcommand(1);
    AddDump(buffer, "traffic buffer file", status, BufferDump);
}

} // namespace k730::tool
