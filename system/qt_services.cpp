#include "system/qt_services.h"

#include <QApplication>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

std::uint32_t clockSeed() {
    return static_cast<std::uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

void showBox(QMessageBox::Icon icon, const QString &caption, const QString &text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QString title() {
    return programTitle(QCoreApplication::applicationFilePath());
}

} // namespace

QtServices::QtServices()
    : random_(clockSeed()) {
    const QString install = QCoreApplication::applicationDirPath();
    folders_ = chooseGameFolders(install, folderWritable(install) && !insideSystemPrefix(install),
                                 userGameFolder());
}

void QtServices::tellFolderProblem() {
    if (!folders_.problem.isEmpty())
        errorBox(std::exchange(folders_.problem, QString()));
}

void QtServices::messageBox(const QString &text, const QString &caption) {
    showBox(QMessageBox::NoIcon, caption, text);
}

void QtServices::notice(const QString &text) {
    showBox(QMessageBox::NoIcon, title(), text);
}

void QtServices::errorBox(const QString &text) {
    showBox(QMessageBox::Critical, title(), text);
}

int QtServices::randomBelow(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random_);
}

void QtServices::reseedRandom() {
    random_.seed(clockSeed());
}

QString QtServices::programFolder() {
    return folders_.program;
}

QString QtServices::saveFolder() {
    return folders_.saves;
}

std::uint32_t QtServices::tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void QtServices::endProgram() {
    // At once, also from inside a box or a begging run: no event loop gets to unwind.
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}
