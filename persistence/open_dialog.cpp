#include "persistence/open_dialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLayout>
#include <QListView>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace {

const QString SavedGameType = QStringLiteral("Сохранённая игра");

QLocale russian() {
    return QLocale(QLocale::Russian, QLocale::Russia);
}

bool isSavedGameName(const QString &name) {
    return name.endsWith(QStringLiteral(".sav"), Qt::CaseInsensitive);
}

// Qt's own Russian sizes read "58 байты" and "1,46 KiB".
QString russianSize(qint64 bytes) {
    const QLocale locale = russian();
    if (bytes < 1024) {
        const qint64 last = bytes % 10;
        const qint64 lastTwo = bytes % 100;
        const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
        return locale.toString(bytes) + (few ? QStringLiteral(" байта") : QStringLiteral(" байт"));
    }
    const QString units[] = {QStringLiteral("КБ"), QStringLiteral("МБ"), QStringLiteral("ГБ"),
                             QStringLiteral("ТБ")};
    double value = double(bytes) / 1024;
    int unit = 0;
    for (; value >= 1024 && unit < 3; ++unit)
        value /= 1024;
    return locale.toString(value, 'f', value < 10 ? 1 : 0) + u' ' + units[unit];
}

// Qt's file list writes sizes and dates in the system's language and names a file by its
// MIME type, which calls ".sav" a statistics package's data file.
class RussianFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        switch (index.column()) {
        case 1:
            return files->isDir(file) ? QString() : russianSize(files->size(file));
        case 2:
            if (!files->isDir(file) && isSavedGameName(files->fileName(file.siblingAtColumn(0))))
                return SavedGameType;
            break;
        case 3:
            return russian().toString(files->lastModified(file), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

OpenSavedGameDialog::OpenSavedGameDialog(QWidget *parent, const QString &folder)
    : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog);
    setProxyModel(new RussianFileColumns(this));
    setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name that does not exist is returned too, and reported as not found.
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(QStringLiteral("*.sav"));
    // A save under an empty name is ".sav", a hidden name here; the list must show it.
    setFilter(filter() | QDir::Hidden);
    setDirectory(folder);
    fitColumns();
}

void OpenSavedGameDialog::showEvent(QShowEvent *event) {
    QFileDialog::showEvent(event);
    fitScreen();
}

// Qt sizes the columns for short English texts; each gets the width of its widest Russian
// text, and the list the width of all of them.
void OpenSavedGameDialog::fitColumns() {
    auto *view = findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView *header = view->header();
    const QFontMetrics metrics = view->fontMetrics();
    const int padding = 4 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    const QLocale locale = russian();
    const QStringList widest[] = {
        {},
        {russianSize(1023), russianSize(qint64{999} * 1024)},
        {SavedGameType},
        {locale.toString(QDateTime(QDate(2000, 12, 28), QTime(20, 58)), QLocale::ShortFormat)},
    };
    int total = header->sectionSize(0);
    for (int column = 1; column < 4; ++column) {
        int width = header->sectionSizeHint(column);
        for (const QString &text : widest[column])
            width = qMax(width, metrics.horizontalAdvance(text) + padding);
        header->resizeSection(column, width);
        total += width;
    }
    view->setMinimumWidth(total + 2 * view->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view));
    // The places at the left ("Компьютер") are cut as well.
    if (auto *places = findChild<QListView *>(QStringLiteral("sidebar")))
        places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() + padding);
    resize(sizeHint().expandedTo(size()));
}

// On a small or magnified screen the dialog fits the free area, its frame included: the list
// gives up its width first, and its columns scroll.
void OpenSavedGameDialog::fitScreen() {
    const QScreen *display = screen();
    const int frame = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize room = display->availableGeometry().size() - QSize(frame, 2 * frame);
    if (auto *view = findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const int excess = minimumSizeHint().width() - room.width();
        if (excess > 0) {
            view->setMinimumWidth(std::max(0, view->minimumWidth() - excess));
            // The splitter between the places and the list learns of it by a posted event.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            layout()->activate();
        }
    }
    resize(size().boundedTo(room).expandedTo(minimumSizeHint()));
    // Placed again within the free area, the frame's title and border included.
    const QRect free = display->availableGeometry();
    move(std::clamp(x(), free.left(), std::max(free.left(), free.right() - frame - width())),
         std::clamp(y(), free.top(), std::max(free.top(), free.bottom() - 2 * frame - height())));
}
