#include "shell/main_window.h"

#include "activities/begging.h"
#include "activities/bins.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/papers.h"
#include "activities/recycling.h"
#include "activities/sleep_and_toilet.h"
#include "activities/slot_machine.h"
#include "core/character_state.h"
#include "core/prices.h"
#include "core/vital_monitor.h"
#include "desktop/first_frame.h"
#include "desktop/screen_reader.h"
#include "desktop/screen_setup.h"
#include "persistence/open_dialog.h"
#include "persistence/save_screen.h"
#include "persistence/saved_games.h"
#include "pictures/jpeg_picture.h"
#include "pictures/pictures.h"
#include "shell/death_screen.h"
#include "shell/screens.h"
#include "shell/title_screen.h"
#include "system/services.h"
#include "ui_main_window.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLayout>
#include <QScrollBar>
#include <QShortcut>
#include <QTabBar>
#include <algorithm>
#include <utility>

namespace {

const QColor MainBackground(193, 230, 196);

} // namespace

// Set up in this order; what only the shown window needs comes last, put off until then.
TForm2::TForm2(QWidget *parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TForm2>()) {
    ui_->setupUi(this);
    setUpFrame();
    showPictures();
    connectHandlers();
    setUpKeyboard();
    refuseWindowClose(this);
    centreOnScreen(this);
    FormCreate();
    putOffUntilShown();
}

TForm2::~TForm2() = default;

void TForm2::setUpFrame() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setBackground(this, MainBackground);
    ui_->centralwidget->setFixedSize(536, 350);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm2::showPictures() {
    showBuiltInPicture(ui_->Image6, QStringLiteral("goods"));
    showBuiltInPicture(ui_->Image1, QStringLiteral("character"));
    showBuiltInPicture(ui_->Image4, QStringLiteral("slots"));
    showBuiltInPicture(ui_->Image3, QStringLiteral("keys"));
    showBuiltInPicture(ui_->Image5, QStringLiteral("housing"));
    showBuiltInPicture(ui_->Button1, QStringLiteral("food"));
    showBuiltInPicture(ui_->Button2, QStringLiteral("injection"));
    showBuiltInPicture(ui_->Button3, QStringLiteral("sleep"));
    showBuiltInPicture(ui_->SpeedButton3, QStringLiteral("toilet"));
    showBuiltInPicture(ui_->Button4, QStringLiteral("beg"));
    showBuiltInPicture(ui_->Button5, QStringLiteral("rummage"));
    showBuiltInPicture(ui_->Button6, QStringLiteral("market"));
    showBuiltInPicture(ui_->BitBtn1, QStringLiteral("recycle"));
}

void TForm2::setUpKeyboard() {
    ui_->PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    // Qt leaves the scroll bars of the text pages unnamed; screen readers announce them too.
    for (QAbstractScrollArea *view : std::initializer_list<QAbstractScrollArea *>{
             ui_->WebBrowser1, ui_->Memo1, ui_->Memo2, ui_->Memo3}) {
        view->verticalScrollBar()->setAccessibleName(QStringLiteral("Вертикальная прокрутка"));
        view->horizontalScrollBar()->setAccessibleName(QStringLiteral("Горизонтальная прокрутка"));
    }
    // Named for screen readers, which say the page's name as its first control takes the focus.
    for (int page = 0; page < ui_->PageControl1->count(); ++page)
        ui_->PageControl1->widget(page)->setAccessibleName(ui_->PageControl1->tabText(page));
    connect(ui_->PageControl1, &QTabWidget::currentChanged, this,
            [this] { focusFirstControl(ui_->PageControl1->currentWidget()); });
    // The tab bar takes no focus, so the pages turn by a shortcut of the whole window.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { turnPage(1); });
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] { turnPage(-1); });
    // "▁" comes after the pages' controls. "✕" ends the game unasked, so no Tab reaches it:
    // on a page without controls of its own, Tab, Tab, Space would end the game by accident.
    setTabOrder(ui_->Memo3, ui_->SpeedButton2);
    ui_->SpeedButton1->setFocusPolicy(Qt::NoFocus);
    ui_->SpeedButton2->setToolTip(QStringLiteral("Свернуть в трей"));
    ui_->SpeedButton1->setToolTip(QStringLiteral("Выход"));
    playByKeyboard(this, [](QWidget *window) {
        return static_cast<TForm2 *>(window)->ui().PageControl1->currentWidget();
    });
}

void TForm2::connectHandlers() {
    connect(ui_->PageControl1, &QTabWidget::currentChanged, this, &TForm2::PageControl1Change);
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
    connect(ui_->N4, &QAction::triggered, this, &TForm2::N4Click);
    connect(ui_->N6, &QAction::triggered, this, &TForm2::N6Click);
    connect(ui_->N7, &QAction::triggered, this, &TForm2::N7Click);
    connect(ui_->N9, &QAction::triggered, this, &TForm2::N9Click);
    connect(ui_->Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(ui_->SpeedButton3, &QPushButton::clicked, this, &TForm2::SpeedButton3Click);
    connect(ui_->Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(ui_->Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(ui_->Button8, &QPushButton::clicked, this, &TForm2::Button8Click);
    connect(ui_->Button9, &QPushButton::clicked, this, &TForm2::Button9Click);
    connect(ui_->Button10, &QPushButton::clicked, this, &TForm2::Button10Click);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(ui_->Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connect(ui_->Button7, &QPushButton::clicked, this, &TForm2::Button7Click);
    connect(ui_->N2, &QAction::triggered, this, &TForm2::N2Click);
    connect(ui_->N3, &QAction::triggered, this, &TForm2::N3Click);
    connect(&trayWatch_, &TrayWatch::iconMayBeMade, this, &TForm2::makeTrayIcon);
    connect(&trayWatch_, &TrayWatch::gone, this, &TForm2::trayGone);
    // A watcher that came after the icon was shown, or came back, knows nothing of it.
    connect(&trayWatch_, &TrayWatch::ready, this, [this] {
        if (!VrTrayIcon1)
            return;
        VrTrayIcon1->hide();
        VrTrayIcon1->show();
    });
    // Qt never re-enters a timer whose timeout is still running, so a box opened inside the
    // timeout would stop every tick until it closes; a queued call leaves the timer free.
    connect(&Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer, Qt::QueuedConnection);
}

void TForm2::FormCreate() {
    Character.AppDir = services().programFolder();
    MediaPlayer1.bind(appFile(Character, QStringLiteral("3.wav")));
    MediaPlayer2.bind(appFile(Character, QStringLiteral("6.wav")));
    MediaPlayer3.bind(appFile(Character, QStringLiteral("7.wav")));
    Character.BagCapacity = StartBagCapacity;
    ui_->Panel9->setText(QStringLiteral("Вместимость сумки: ") + QString::number(StartBagCapacity));
    for (const auto &[label, price] :
         {std::pair{ui_->Label7, CitizenshipPrice}, std::pair{ui_->Label8, PassportPrice},
          std::pair{ui_->Label13, RoomPrice}})
        label->setText(QString::number(price) + QStringLiteral(" рублей"));
    // The street picture is the one JPEG of the game; without it the page simply shows none.
    // The file is read now and decoded when its page is first drawn.
    street_ = readJpegFile(appFile(Character, QStringLiteral("trades.jpg")), &streetProblem_);
    Timer1.start(150);
}

void TForm2::makeTrayIcon() {
    VrTrayIcon1 = std::make_unique<QSystemTrayIcon>(windowIcon());
    VrTrayIcon1->setToolTip(QStringLiteral("Скиталия"));
    connect(VrTrayIcon1.get(), &QSystemTrayIcon::activated, this, &TForm2::trayActivated);
    // Shown even before a tray exists: Qt docks the icon when a tray appears later.
    VrTrayIcon1->show();
}

// The title needs none of this, and the window's face and the tabs' style re-lay every page
// out: it waits until the window first shows, the street picture until its page is drawn.
void TForm2::putOffUntilShown() {
    whenPolished(this, [this] {
        QFont font = this->font();
        font.setPixelSize(11);
        setFont(font);
        ui_->PageControl1->setStyleSheet(QStringLiteral(
            "QTabWidget::pane { border: none; }"
            "QTabWidget > QWidget > QWidget { background: transparent; }"
            "QTabBar::tab { background: #d9d5cc; border: 2px outset #eeeae2; padding: 3px 3px;"
            " margin-right: 1px; font-size: 11px; }"
            "QTabBar::tab:selected { background: #c4c0b6; border-style: inset; }"));
        // Laid out in the window's own face, so no page scrolls sideways for a wider one.
        fillNeutralTexts();
    });
    whenFirstPainted(ui_->Image2, [this] {
        const QImage picture =
            streetProblem_.isEmpty() ? decodeJpeg(street_, &streetProblem_) : QImage();
        if (!streetProblem_.isEmpty())
            qWarning("trades.jpg: %s", qUtf8Printable(streetProblem_));
        ui_->Image2->setPixmap(QPixmap::fromImage(picture));
        street_.clear();
    });
}

void TForm2::fillNeutralTexts() {
    ui_->WebBrowser1->setPlainText(QStringLiteral(
        "Голуби на площади\n\n"
        "У фонтана снова собрались голуби. Прохожие кормят их семечками, а дети гоняют по "
        "брусчатке. Говорят, кто насчитает сотню голубей за раз, тому весь день будет "
        "везти.\n\n"
        "В парке открылся новый игровой зал: яркие автоматы, фрукты на барабанах и "
        "обещания крупного выигрыша. Играйте с умом."));
    ui_->Memo1->setPlainText(
        QStringLiteral("Объявления\n\n"
                       "Требуются грузчики на овощную базу. Оплата в конце смены.\n\n"
                       "Ищем дворника на участок у вокзала. Метла и жилет выдаются.\n\n"
                       "Пункт приёма стеклотары принимает бутылки без сколов и этикеток.\n\n"
                       "Разнорабочие на стройку, без опыта. Спрашивать прораба у ворот."));
    ui_->Memo2->setPlainText(
        QStringLiteral("Новости города\n\n"
                       "Морозы отступили: к выходным обещают оттепель и мокрый снег.\n\n"
                       "На рынке подешевели макароны и спички, мясо по-прежнему дорогое."));
    ui_->Memo3->setPlainText(QStringLiteral(
        "Новости района\n\n"
        "В ночлежке на окраине прибавилось коек.\n\n"
        "Столовая у депо снова кормит по старым ценам, было бы что принести с собой."));
    ui_->Label19->setText(QStringLiteral("Объявления обновляются каждый понедельник"));
    ui_->Label20->setText(QStringLiteral("Свежие новости — у газетного киоска"));
}

void TForm2::Timer1Timer() {
    const VitalDisplay shown = vitalDisplay(Character);
    // Described first, so a control that takes the focus from a disabled one says the new money.
    describeForScreenReaders(shown);
    // A document bought hands the focus to the next one for sale, the last to its page.
    setEnabledFlags({{ui_->Button8, shown.citizenshipEnabled},
                     {ui_->Button9, shown.passportEnabled},
                     {ui_->Button10, shown.roomEnabled}},
                    ui_->TabSheet5);
    setEnabledFlags({{ui_->BitBtn1, shown.recyclingEnabled}}, ui_->TabSheet3);
    Character.MoneyText = shown.money;
    ui_->Label6->setText(Character.MoneyText);
    ui_->Label9->setText(shown.citizenship);
    ui_->Label10->setText(shown.passport);
    ui_->Label11->setText(shown.room);
    ui_->ProgressBar1->setValue(shown.satiety);
    ui_->ProgressBar3->setValue(shown.health);
    ui_->ProgressBar2->setValue(shown.fatigue);
    ui_->ProgressBar4->setValue(shown.feces);
    applyVitalLimits({[this] { return isVisible() && !isMinimized(); },
                      [this] {
                          // Shown once: raising it on every tick would take the focus from any
                          // other window.
                          if (!Form10->isVisible())
                              showScreen(Form10);
                          hideScreen(this);
                      }});
}

// A screen reader says a control's description when it takes the focus: the money; on the vitals
// page the bars by name and the status lines; on the documents page the document's price and
// the status lines, which say what is bought.
void TForm2::describeForScreenReaders(const VitalDisplay &shown) {
    // As the record holds them: the bars show them clamped to their range.
    const std::array<std::int32_t, 4> vitals = {Character.Satiety, Character.Health,
                                                Character.Fatigue, Character.Feces};
    const bool vitalsChanged = vitals != describedVitals_;
    const bool cameBack = std::exchange(cameBack_, false);
    const QString money = QStringLiteral("Деньги: ") + shown.money;
    const QString status = shown.citizenship + QStringLiteral(", ") + shown.passport +
                           QStringLiteral(", ") + shown.room;
    if (!vitalsChanged && money + status == describedMoneyAndStatus_)
        return;
    describedVitals_ = vitals;
    describedMoneyAndStatus_ = money + status;
    const QString life = QStringLiteral("Сытость %1, Здоровье %2, Усталость %3, Кал %4. ")
                             .arg(vitals[0])
                             .arg(vitals[1])
                             .arg(vitals[2])
                             .arg(vitals[3]) +
                         status + QStringLiteral(". ") + money;
    const std::pair<QAbstractButton *, QLabel *> documents[] = {
        {ui_->Button8, ui_->Label7}, {ui_->Button9, ui_->Label8}, {ui_->Button10, ui_->Label13}};
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        if (button->focusPolicy() & Qt::TabFocus)
            button->setAccessibleDescription(ui_->TabSheet2->isAncestorOf(button) ? life : money);
    for (const auto &[button, price] : documents)
        button->setAccessibleDescription(price->text() + QStringLiteral(". ") + status +
                                         QStringLiteral(". ") + money);
    // A sleep, the toilet or a purchase leaves the focus where it was: the change is told. Back
    // from another screen, the focus that comes says the new values itself.
    if (!focusWidget() || cameBack)
        return;
    if (ui_->TabSheet2->isAncestorOf(focusWidget()))
        tellScreenReaders(this, vitalsChanged ? life : money);
    else if (focusWidget()->focusPolicy() & Qt::TabFocus)
        tellScreenReaders(this, money);
}

// Every page turn plays the title's greeting, which plays on if it still sounds: the rules'
// sign of a turned page, not a slip of the click's slot. The goods panels are redrawn here.
void TForm2::PageControl1Change() {
    Form1->MediaPlayer1.play();
    ui_->Panel1->setText(QStringLiteral("Чебурашки: ") + QString::number(Character.Bottles));
    ui_->Panel2->setText(QStringLiteral("Макулатура (кг): ") +
                         QString::number(Character.WastePaper));
    ui_->Panel3->setText(QStringLiteral("Хлеб: ") + QString::number(Character.Bread));
    ui_->Panel4->setText(QStringLiteral("Макароны: ") + QString::number(Character.Pasta));
    ui_->Panel5->setText(QStringLiteral("Спички: ") + QString::number(Character.Matches));
    ui_->Panel6->setText(QStringLiteral("Сигареты: ") + QString::number(Character.Cigarettes));
    ui_->Panel7->setText(QStringLiteral("Жевачка: ") + QString::number(Character.Gum));
    ui_->Panel8->setText(QStringLiteral("Мясо(кг): ") + QString::number(Character.Meat));
    ui_->Panel9->setText(QStringLiteral("Вместимость сумки: ") +
                         QString::number(Character.BagCapacity));
}

void TForm2::turnPage(int step) {
    const int count = ui_->PageControl1->count();
    ui_->PageControl1->setCurrentIndex((ui_->PageControl1->currentIndex() + step + count) % count);
}

void TForm2::SpeedButton1Click() {
    MediaPlayer1.play();
    services().endProgram();
}

// Without a tray there would be no way back to a hidden window, so it is minimised instead.
void TForm2::SpeedButton2Click() {
    MediaPlayer1.play();
    if (!VrTrayIcon1 || !VrTrayIcon1->isVisible())
        return minimiseScreen(this);
    trayWatch_.askPresent(this, [this](bool present) {
        if (present)
            hideScreen(this);
        else
            minimiseScreen(this);
    });
}

void TForm2::VrTrayIcon1DblClick() {
    // Wayland has no request to bring a minimised window back, and Qt there cannot tell that
    // the window was minimised; but a window hidden and shown again is mapped anew.
    if (isVisible() && QGuiApplication::platformName() == u"wayland")
        hide();
    showScreen(this);
}

// Trays that speak StatusNotifier (Plasma, AppIndicator) never report a double-click.
void TForm2::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick ||
        (reason == QSystemTrayIcon::Trigger && trayWatch_.statusNotifier()))
        VrTrayIcon1DblClick();
}

// A game hidden in a tray whose panel went away has no way back but this. A game on one of
// its screens has one already, and the main window stays hidden behind it; but the save
// screen only hides itself, so beside it the main window comes back too.
void TForm2::trayGone() {
    const QList<QWidget *> screens = gameScreens();
    if (std::none_of(screens.begin(), screens.end(),
                     [](const QWidget *screen) { return screen->isVisible() && screen != Form12; }))
        showScreen(this);
}

// Restored by the window manager, the window would still come back iconic from the tray.
void TForm2::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
        startNormalWhenMapped(this);
    // Back from another screen, the focus that comes says the new values: they are described
    // before it comes, as a screen reader may read them at once, not after the next tick.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        cameBack_ = true;
        describeForScreenReaders(vitalDisplay(Character));
    }
}

void TForm2::N4Click() {
    services().endProgram();
}

void TForm2::N6Click() {
    services().notice(QString::fromUtf16(AboutText));
}

void TForm2::N7Click() {
    services().notice(QStringLiteral("Скиталия — маленькая игра о большой жизни на улице. "
                                     "Сделана с любовью к простым играм."));
}

void TForm2::N9Click() {
    newGameReset(Character);
}

void TForm2::Button4Click() {
    Form3->visit(this);
}

void TForm2::Button5Click() {
    Form4->visit(this);
}

void TForm2::Button1Click() {
    Form8->visit(this);
}

void TForm2::Button2Click() {
    Form9->visit(this);
}

void TForm2::Button6Click() {
    Form6->visit(this);
}

void TForm2::BitBtn1Click() {
    Form7->visit(this);
}

void TForm2::Button7Click() {
    Form11->visit(this);
}

void TForm2::Button3Click() {
    sleepOnce();
}

void TForm2::SpeedButton3Click() {
    useToilet();
}

void TForm2::Button8Click() {
    buyCitizenship();
}

void TForm2::Button9Click() {
    buyPassport();
}

void TForm2::Button10Click() {
    buyRoom();
}

// Not modal: the main window stays usable, and "OK" saves the state of that moment.
void TForm2::N2Click() {
    showScreen(Form12);
}

// Loading redraws nothing: the next tick of the main window shows the loaded state.
void TForm2::N3Click() {
    Character.AppDir = services().programFolder();
    OpenSavedGameDialog dialog(this, services().saveFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const LoadResult loaded =
        loadGameFile(services().saveFolder(), dialog.selectedFiles().constFirst());
    if (!loaded.problem.isEmpty()) {
        services().errorBox(loaded.problem);
        return;
    }
    restoreSavedValues(Character, loaded.values);
}

void TForm2::showBag(const QString &text) {
    ui_->Panel9->setText(text);
}
