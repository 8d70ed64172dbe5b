// The program recording a history at 160 ms against k730-sim: the share of
// one core the program takes, and the status period the window achieves as
// the simulator receives the requests (its log's time stamps). A plain timing
// program: each run lasts a minute.
//   bench_history_sim [seconds] [firmware]   (default 60 s, firmware 2.1.0003)
#include "history/HistLink.h"
#include "history/K730HistMeas.h"
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace k730;
namespace fs = std::filesystem;

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Pump(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Status requests as the simulator received them, from `from` on (ms since 1970).
std::vector<double> StatusTimes(const fs::path& log, double from) {
    std::vector<double> times;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_discarded() || j.value("dir", "") != "rx" || !j["cmd"].is_number() || j["cmd"] != 4)
            continue;
        const double t = j["t"].get<double>();
        if (t >= from) times.push_back(t);
    }
    return times;
}

double NowMs() {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::string firmware = argc > 2 ? argv[2] : "2.1.0003";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path dir = fs::temp_directory_path() / ("k730-hist-sim-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "ports");
    setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    test::TSimProcess sim(dir / "ports");
    if (!sim.Start({"--name", "SIM1", "--conversions", "1", "--noise", "0", "--firmware", firmware, "--log",
                    (dir / "sim.log").string()})) {
        std::fprintf(stderr, "k730-sim did not start: %s\n", sim.Output().c_str());
        return 1;
    }
    TMemorySettingsStore store;
    TMainForm form(langEnglish);
    TMainSession session(form, store, DefaultSettings(dir.string()), langEnglish);
    form.show();
    session.Start();
    auto* device = form.findChild<QComboBox*>("CBDevice");
    const int index = device->findText("SIM1");
    device->setCurrentIndex(index);
    emit device->activated(index);
    for (int i = 0; i < 100 && session.Controller().State() != stIdentified; ++i)
        Pump(50);
    form.Action("MenuHistMeas")->trigger();
    TFormHistory* window = session.History().Form();
    window->findChild<QLineEdit*>("EditAverTime")->setText("0");
    emit window->findChild<QLineEdit*>("EditAverTime")->textEdited("0");
    window->findChild<QPushButton*>("BtnStartStop")->click();
    Pump(1000); // settled

    const double cpu0 = CpuSeconds(), wall0 = NowMs();
    Pump(seconds * 1000);
    const double cpu = CpuSeconds() - cpu0, wall = NowMs() - wall0;
    const size_t records = window->Recorder().Data().Samples.size();
    session.Close();
    sim.Stop();

    std::vector<double> times = StatusTimes(dir / "sim.log", wall0);
    std::vector<double> periods;
    for (size_t i = 1; i < times.size(); ++i)
        periods.push_back(times[i] - times[i - 1]);
    std::sort(periods.begin(), periods.end());
    double sum = 0, sq = 0;
    for (double p : periods)
        sum += p, sq += p * p;
    const double n = static_cast<double>(periods.size());
    const double mean = n > 0 ? sum / n : 0;
    const double sd = n > 1 ? std::sqrt(std::max(0.0, sq / n - mean * mean)) : 0;
    auto pct = [&](double q) { return periods.empty() ? 0 : periods[static_cast<size_t>(q * (n - 1))]; };
    std::printf("firmware %s, %d s recording at 160 ms, %u cores\n", firmware.c_str(), seconds,
                std::thread::hardware_concurrency());
    std::printf("program CPU: %.2f s of %.1f s = %.2f %% of one core\n", cpu, wall / 1000,
                100 * cpu / (wall / 1000));
    std::printf("records: %zu\n", records);
    std::printf("status requests: %zu, period mean %.2f ms, sd %.2f ms, p1 %.0f, median %.0f, p99 %.0f ms\n",
                times.size(), mean, sd, pct(0.01), pct(0.5), pct(0.99));
    fs::remove_all(dir);
    return 0;
}
