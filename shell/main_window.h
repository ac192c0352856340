#pragma once

#include "core/game_sounds.h"
#include "desktop/tray_watch.h"

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class TForm2;
}
struct VitalDisplay;

// The hub of the game: goods, vitals, documents and money on seven tabs, the buttons of
// every activity, the menu, and the tick that keeps it all current.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    Ui::TForm2 &ui() { return *ui_; }

    SoundSlot &MediaPlayer1 = gameSounds().click;          // 3.wav
    SoundSlot &MediaPlayer2 = gameSounds().sleep;          // 6.wav
    SoundSlot &MediaPlayer3 = gameSounds().toiletAndDeath; // 7.wav
    QTimer Timer1;
    // Made once Qt can pick its tray without waiting on a silent panel.
    std::unique_ptr<QSystemTrayIcon> VrTrayIcon1;

public Q_SLOTS:
    void Timer1Timer();
    void PageControl1Change();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void VrTrayIcon1DblClick();
    void trayGone();
    void N4Click();
    void N6Click();
    void N7Click();
    void N9Click();

    // Handled in the activities' own units.
    void Button3Click();
    void SpeedButton3Click();
    void Button4Click();
    void Button5Click();
    void BitBtn1Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button1Click();
    void Button2Click();
    void Button6Click();
    void Button7Click();
    void N2Click();
    void N3Click();
    // The market's bag panel, which only a purchase of a bigger bag redraws.
    void showBag(const QString &text);

private:
    void setUpFrame();
    void showPictures();
    void connectHandlers();
    void setUpKeyboard();
    void FormCreate();
    void putOffUntilShown();
    void makeTrayIcon();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void fillNeutralTexts();
    void changeEvent(QEvent *event) override;
    void describeForScreenReaders(const VitalDisplay &shown);
    // The next (1) or previous (-1) page, round from the last to the first.
    void turnPage(int step);

    std::unique_ptr<Ui::TForm2> ui_;
    // The street picture's file, read at creation and decoded when first drawn.
    QByteArray street_;
    QString streetProblem_;
    TrayWatch trayWatch_;
    // What describeForScreenReaders last told; nothing at first.
    std::optional<std::array<std::int32_t, 4>> describedVitals_;
    QString describedMoneyAndStatus_;
    // The window became active since the last tick.
    bool cameBack_ = false;
};

// The notice of "Об игре".
inline constexpr char16_t AboutText[] = u"Скиталия 1.4";
