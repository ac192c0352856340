#pragma once

#include <QProxyStyle>

// The platform's own style, with the few standard icons a screen asks for at creation drawn
// here: Qt's own come as files whose format it guesses, loading every image plugin it has
// (SVG among them) before the title can show.
class GameStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit GameStyle(const QString &baseKey);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

// Makes the application's style a GameStyle over the style it has; once is enough.
void useGameStyle();
