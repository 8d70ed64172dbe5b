// k730-tool callog certificate: the one-page PDF certificate of one record of
// a calibration history log, as the history window writes it. Built with Qt,
// whose fonts and PDF writer draw it; no display is needed.
#include "calibration/CalCertificatePdf.h"
#include "files/CalLog.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "tool/ToolCommands.h"

#include <QGuiApplication>

#include <iostream>
#include <memory>

namespace k730::tool {
namespace {

struct TCertificateArgs {
    std::string log, out, lang = "en", decimal;
    int index = 0;
};

int Certificate(const TCertificateArgs& a) {
    TCalTextFormat format{a.lang == "pl" ? langPolish : langEnglish, '.', '.', ':'};
    if ((a.lang != "en" && a.lang != "pl") || (!a.decimal.empty() && a.decimal != "," && a.decimal != ".")) {
        std::cerr << "k730-tool: --lang en|pl, --decimal , or .\n";
        return exitUsage;
    }
    format.decimal = a.decimal.empty() ? (format.lang == langPolish ? ',' : '.') : a.decimal[0];
    const auto bytes = ReadWholeFile(a.log, CAL_LOG_LIMIT);
    if (!bytes) {
        std::cerr << "k730-tool: cannot read " << a.log << "\n";
        return exitUsage;
    }
    const TCalLogRead read = ParseCalLog(*bytes);
    if (a.index < 1 || static_cast<size_t>(a.index) > read.records.size()) {
        std::cerr << "k730-tool: INDEX is 1.." << read.records.size() << ", newest first\n";
        return exitUsage;
    }
    // Fonts come from the offscreen platform unless another one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "k730-tool";
    char* argv[] = {name, nullptr};
    const QGuiApplication app(argc, argv);
    const TCalCertificate certificate = MakeCalCertificate(read.records[a.index - 1], format, NowDays());
    if (!WriteCalCertificatePdf(certificate, a.out)) {
        std::cerr << "k730-tool: cannot write " << a.out << "\n";
        return exitNegative;
    }
    return read.valid ? exitOk : exitNegative;
}

} // namespace

void AddCertificateCommand(CLI::App& app, int& status) {
    CLI::App* callog = app.get_subcommand("callog");
    auto args = std::make_shared<TCertificateArgs>();
    auto* cmd =
        callog->add_subcommand("certificate", "Write the PDF certificate of record INDEX (1 = newest)");
    cmd->add_option("LOG", args->log)->required();
    cmd->add_option("INDEX", args->index)->required();
    cmd->add_option("OUT", args->out)->required();
    cmd->add_option("--lang", args->lang, "en or pl");
    cmd->add_option("--decimal", args->decimal, ", or .");
    cmd->callback([args, &status] { status = Certificate(*args); });
}

} // namespace k730::tool
