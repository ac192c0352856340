#include "activities/bins.h"

#include "shell/screen_setup.h"

TForm4::TForm4(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form4"));
    makeDialogScreen(this, QStringLiteral("Урны"), QSize(447, 254));
}
