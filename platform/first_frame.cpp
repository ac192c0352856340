#include "platform/first_frame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace {

// Lives as a child of its screen, so jobs of a screen that is destroyed unpolished go too.
class PolishJobs : public QObject {
    Q_OBJECT
public:
    explicit PolishJobs(QWidget *screen)
        : QObject(screen) {
        screen->installEventFilter(this);
    }

    void add(std::function<void()> job) { jobs_.push_back(std::move(job)); }

protected:
    // Polish reaches the screen before its own polishing and its children's.
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Polish && watched == parent()) {
            watched->removeEventFilter(this);
            const std::vector<std::function<void()>> jobs = std::move(jobs_);
            deleteLater();
            for (const auto &job : jobs)
                job();
        }
        return false;
    }

private:
    std::vector<std::function<void()>> jobs_;
};

class FirstFrameWatch : public QObject {
public:
    FirstFrameWatch(QWidget *title, const QList<QWidget *> &hidden, std::function<void()> then)
        : QObject(title)
        , then_(std::move(then)) {
        for (QWidget *screen : hidden)
            hidden_.append(screen);
        title->installEventFilter(this);
        QTimer::singleShot(1000, this, &FirstFrameWatch::release);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        // Whatever runs from the event loop after this paint comes after its frame is flushed.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &FirstFrameWatch::release);
        return false;
    }

private:
    void release() {
        if (released_)
            return;
        released_ = true;
        parent()->removeEventFilter(this);
        then_();
        for (const QPointer<QWidget> &screen : std::as_const(hidden_))
            if (screen)
                screen->ensurePolished();
        deleteLater();
    }

    std::function<void()> then_;
    QList<QPointer<QWidget>> hidden_;
    bool released_ = false;
};

} // namespace

void whenPolished(QWidget *screen, std::function<void()> job) {
    if (screen->testAttribute(Qt::WA_WState_Polished)) {
        job();
        return;
    }
    auto *jobs = screen->findChild<PolishJobs *>(QString(), Qt::FindDirectChildrenOnly);
    if (!jobs)
        jobs = new PolishJobs(screen);
    jobs->add(std::move(job));
}

void holdUntilFirstFrame(QWidget *title, const QList<QWidget *> &hidden,
                         std::function<void()> then) {
    for (QWidget *screen : hidden) {
        QCoreApplication::removePostedEvents(screen, QEvent::PolishRequest);
        const QList<QWidget *> widgets = screen->findChildren<QWidget *>();
        for (QWidget *widget : widgets)
            QCoreApplication::removePostedEvents(widget, QEvent::PolishRequest);
    }
    new FirstFrameWatch(title, hidden, std::move(then));
}

#include "first_frame.moc"
