// In-process figures of the game: what start-up spends on the screens, and what the
// recurring work costs.
#include "activities/slot_machine.h"
#include "bench/built_game_services.h"
#include "core/character_state.h"
#include "persistence/saved_games.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

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

// A tick in the middle of a spin: every reel still turning, all five pictures read afresh.
void SlotMachineTick(benchmark::State &state) {
    createGameScreens();
    Character.Money = 1000000;
    Form11->show();
    Form11->Button1Click();
    Form11->Timer1.stop();
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        Form11->SpinTick = 0;
        Form11->Timer1Timer();
    }
    destroyGameScreens();
}
BENCHMARK(SlotMachineTick)->Unit(benchmark::kMillisecond);

// A whole spin on the real 15 ms timer, from "Запуск" to the payout.
void WholeSpin(benchmark::State &state) {
    createGameScreens();
    Character.Money = 1000000;
    Form11->show();
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        Form11->Button1Click();
        while (Form11->Timer1.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    destroyGameScreens();
}
BENCHMARK(WholeSpin)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void SaveGame(benchmark::State &state) {
    QTemporaryDir folder;
    CharacterState game;
    newGameReset(game);
    const SavedValues values = savedValues(game);
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        const QString problem =
            saveGameFile(folder.path(), QStringLiteral("bench"), values, [] { return 7; });
        if (!problem.isEmpty())
            state.SkipWithError(qPrintable(problem));
    }
}
BENCHMARK(SaveGame)->Unit(benchmark::kMillisecond);

void LoadGame(benchmark::State &state) {
    QTemporaryDir folder;
    CharacterState game;
    newGameReset(game);
    game.Money = -123456;
    saveGameFile(folder.path(), QStringLiteral("bench"), savedValues(game), [] { return 7; });
    const QString file = folder.filePath(QStringLiteral("bench.sav"));
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        LoadResult loaded = loadGameFile(folder.path(), file);
        if (!loaded.problem.isEmpty())
            state.SkipWithError(qPrintable(loaded.problem));
        benchmark::DoNotOptimize(loaded.values);
    }
}
BENCHMARK(LoadGame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BuiltGameServices services;
    installServices(&services);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
