// k730-sim: a simulated K-730 meter on a pseudo-terminal, for training, for
// reproducing faults and as the peer of the end-to-end tests.
#include "sim/SimApp.h"

#include "K730Version.h"

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"k730-sim: simulated K-730 light meters on virtual serial ports"};
    k730::sim::TSimOptions options;
    k730::sim::AddSimOptions(app, options);
    app.set_version_flag("--version", std::string("k730-sim ") + K730_VERSION);
    CLI11_PARSE(app, argc, argv);
    k730::sim::TSimApp sim(options);
    std::string error;
    if (!sim.Start(error)) {
        std::cerr << "k730-sim: " << error << "\n";
        return 1;
    }
    return sim.Run();
}
