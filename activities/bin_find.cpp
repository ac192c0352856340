#include "activities/bin_find.h"

#include "shell/screen_setup.h"

TForm5::TForm5(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form5"));
    makeDialogScreen(this, QStringLiteral("В помойке"), QSize(271, 158));
}
