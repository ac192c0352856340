#include "core/main_screen.h"

#include <QtGlobal>

namespace {
QWidget *main = nullptr;
} // namespace

QWidget *mainScreen() {
    Q_ASSERT(main);
    return main;
}

void setMainScreen(QWidget *screen) {
    main = screen;
}
