#pragma once

#include <QWidget>

// An empty screen that the game creates with the others and never shows.
class Tgameend : public QWidget {
    Q_OBJECT
public:
    explicit Tgameend(QWidget *parent = nullptr);
};
