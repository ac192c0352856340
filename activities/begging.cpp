#include "activities/begging.h"

#include "shell/screen_setup.h"

TForm3::TForm3(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form3"));
    makeDialogScreen(this, QStringLiteral("Милостыня"), QSize(476, 317));
}
