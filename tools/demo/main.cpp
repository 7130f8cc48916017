// Writes the demo scenario into the folder given: bash run.sh plays scenariusze/demo, which
// this program made (build/tools/demo/demo_generator scenariusze/demo).

#include "platform/core/AppError.h"
#include "tools/demo/DemoScenario.h"

#include <QString>
#include <cstdio>
#include <stdexcept>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    try {
        DemoScenario::write(QString::fromLocal8Bit(argv[1]));
    } catch (const AppError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::logic_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
