#pragma once

#include "system/qt_services.h"

#include <QCoreApplication>

// The real services, with the program folder where the build put the game's files, beside
// the measurements' own.
class BuiltGameServices : public QtServices {
public:
    QString programFolder() override {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/../game");
    }
};
