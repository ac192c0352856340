// In-process figures of the game: what start-up spends on the screens, and what the
// recurring work costs.
#include "core/character_state.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/qt_services.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// The real services, with the program folder where the build put the game's files.
class BenchServices : public QtServices {
public:
    QString programFolder() override { return QStringLiteral(SKITALIA_GAME_DIR); }
};

void CreateAllScreens(benchmark::State &state) {
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        createGameScreens();
        state.PauseTiming();
        destroyGameScreens();
        state.ResumeTiming();
    }
}
BENCHMARK(CreateAllScreens)->Unit(benchmark::kMillisecond)->Iterations(20);

void MainWindowTickWithNothingToChange(benchmark::State &state) {
    createGameScreens();
    Form2->Timer1.stop();
    Form2->show();
    Form2->Timer1Timer();
    QCoreApplication::processEvents();
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        Form2->Timer1Timer();
        QCoreApplication::processEvents(); // any repaint the tick asked for
    }
    destroyGameScreens();
}
BENCHMARK(MainWindowTickWithNothingToChange)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchServices services;
    installServices(&services);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
