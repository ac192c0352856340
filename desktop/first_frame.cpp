#include "desktop/first_frame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace {

// Holds the jobs waiting for one event of one widget. A child of that widget, so the jobs of
// a widget destroyed before the event go with it.
class WaitingJobs : public QObject {
    Q_OBJECT
public:
    WaitingJobs(QWidget *widget, QEvent::Type type)
        : QObject(widget)
        , type_(type) {
        widget->installEventFilter(this);
    }

    QEvent::Type type() const { return type_; }
    void add(std::function<void()> job) { jobs_.push_back(std::move(job)); }

protected:
    // The filter sees the event before the widget does: the job runs before the polishing of
    // the widget and its children, before the painting.
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == type_ && watched == parent()) {
            watched->removeEventFilter(this);
            const std::vector<std::function<void()>> jobs = std::move(jobs_);
            deleteLater();
            for (const auto &job : jobs)
                job();
        }
        return false;
    }

private:
    QEvent::Type type_;
    std::vector<std::function<void()>> jobs_;
};

void whenEvent(QWidget *widget, QEvent::Type type, std::function<void()> job) {
    WaitingJobs *jobs = nullptr;
    for (auto *candidate : widget->findChildren<WaitingJobs *>(Qt::FindDirectChildrenOnly))
        if (candidate->type() == type)
            jobs = candidate;
    if (!jobs)
        jobs = new WaitingJobs(widget, type);
    jobs->add(std::move(job));
}

class FirstFrameWatch : public QObject {
    Q_OBJECT
public:
    FirstFrameWatch(QWidget *title, std::function<void()> then)
        : QObject(title)
        , then_(std::move(then)) {
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
        deleteLater();
        then_();
    }

    std::function<void()> then_;
    bool released_ = false;
};

} // namespace

void whenPolished(QWidget *screen, std::function<void()> job) {
    if (screen->testAttribute(Qt::WA_WState_Polished))
        job();
    else
        whenEvent(screen, QEvent::Polish, std::move(job));
}

void whenFirstPainted(QWidget *widget, std::function<void()> job) {
    whenEvent(widget, QEvent::Paint, std::move(job));
}

void holdUntilFirstFrame(QWidget *title, const QList<QWidget *> &hidden,
                         std::function<void()> then) {
    for (QWidget *screen : hidden) {
        QCoreApplication::removePostedEvents(screen, QEvent::PolishRequest);
        const QList<QWidget *> widgets = screen->findChildren<QWidget *>();
        for (QWidget *widget : widgets)
            QCoreApplication::removePostedEvents(widget, QEvent::PolishRequest);
    }
    new FirstFrameWatch(title, std::move(then));
}

#include "first_frame.moc"
