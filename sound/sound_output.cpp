#include "sound/sound_output.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <pulse/context.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long a lost or refused connection waits before the next try: a restarted server is back
// within a few seconds, and a try costs next to nothing.
constexpr milliseconds RetryAfter{2000};

// The desktop entry's id, which is also the name of the installed icon.
constexpr const char *AppId = "ru.skitalia.Skitalia";

static_assert(MaxSoundRate <= PA_RATE_MAX, "the checked sounds must be playable");

class OutputPlayer;

// The one connection to the sound server. libpulse runs the callbacks on a thread of its own
// with the mainloop's lock held; once that thread runs, the game's thread takes the same lock
// for everything here.
struct Output {
    std::vector<OutputPlayer *> players;
    pa_threaded_mainloop *loop = nullptr;
    pa_mainloop_api *api = nullptr;
    pa_context *context = nullptr;
    pa_time_event *retry = nullptr;
    bool asked = false;
    // Until the first connection is made or fails, requests wait for it: a server slow to
    // answer at start-up still gives the greeting. Later, a server away is silence.
    bool starting = true;

    Output() = default;
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;
    ~Output() { stop(); }
    void connect();
    void retryLater();
    void dropContext();
    void stop();
};

Output output;

class OutputLock {
public:
    OutputLock()
        : loop_(output.loop) {
        if (loop_)
            pa_threaded_mainloop_lock(loop_);
    }
    ~OutputLock() {
        if (loop_)
            pa_threaded_mainloop_unlock(loop_);
    }
    OutputLock(const OutputLock &) = delete;
    OutputLock &operator=(const OutputLock &) = delete;

private:
    pa_threaded_mainloop *loop_;
};

bool contextReady() {
    return output.context && pa_context_get_state(output.context) == PA_CONTEXT_READY;
}

// What mixers show for the game and its streams, and how a desktop's policy treats them.
pa_proplist *gameProperties() {
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Скиталия");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, AppId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, AppId);
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    return properties;
}

// Arms a mainloop timer to fire after the given time, creating it when there is none yet.
void armTimer(pa_time_event *&event, milliseconds after, pa_time_event_cb_t callback, void *data) {
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(after.count()) * PA_USEC_PER_MSEC);
    if (event)
        output.api->time_restart(event, &when);
    else
        event = output.api->time_new(output.api, &when, callback, data);
}

void freeTimer(pa_time_event *&event) {
    if (event && output.api)
        output.api->time_free(event);
    event = nullptr;
}

// Plays one sound through a stream of its own. The sound is followed by silence and the stream
// is not stopped at the sound's end: a stream stopped as soon as its last sample is handed
// over loses what the server has not played yet, the whole of a short click. It is corked once
// the tail has surely played, so that an idle game keeps no output running.
class OutputPlayer : public SoundPlayer {
public:
    OutputPlayer(const QString &name, const PcmSound &sound)
        : name_(name.toUtf8()) {
        spec_.format = sound.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
        spec_.rate = static_cast<std::uint32_t>(sound.rate);
        spec_.channels = static_cast<std::uint8_t>(sound.channels);
        const qsizetype frame = sound.channels * sound.bits / 8;
        length_ = milliseconds(sound.samples.size() / frame * 1000 / sound.rate);
        const qsizetype tail = qsizetype(sound.rate) * TailMs / 1000 * frame;
        samples_ = sound.samples + QByteArray(tail, sound.bits == 8 ? '\x80' : '\0');
        const OutputLock lock;
        output.players.push_back(this);
        if (contextReady())
            openStream();
    }

    ~OutputPlayer() override {
        const OutputLock lock;
        freeTimer(corkTimer_);
        closeStream();
        std::erase(output.players, this);
    }

    OutputPlayer(const OutputPlayer &) = delete;
    OutputPlayer &operator=(const OutputPlayer &) = delete;

    bool isPlaying() const override {
        const OutputLock lock;
        return started_ && Clock::now() - *started_ < length_;
    }

    // A request plays now or never: one made while the server is away is not kept for its
    // return. Only a stream being opened, or the first connection, is waited for.
    void playFromStart() override {
        const OutputLock lock;
        if (!stream_ && contextReady())
            openStream(); // the server ended the last one while staying connected
        if (!stream_ && !output.starting)
            return;
        started_ = Clock::now();
        pending_ = true;
        if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY)
            handOver();
    }

    void openStream() {
        pa_proplist *properties = gameProperties();
        stream_ = pa_stream_new_with_proplist(output.context, name_.constData(), &spec_, nullptr,
                                              properties);
        pa_proplist_free(properties);
        if (!stream_)
            return;
        pa_stream_set_state_callback(stream_, streamState, this);
        pa_stream_set_write_callback(stream_, streamWritable, this);
        // Corked until there is something to play: a running stream keeps the output awake.
        corked_ = wantCorked_ = true;
        if (pa_stream_connect_playback(stream_, nullptr, nullptr, PA_STREAM_START_CORKED, nullptr,
                                       nullptr) < 0)
            closeStream();
    }

    void closeStream() {
        if (operation_) {
            pa_operation_cancel(operation_);
            pa_operation_unref(operation_);
            operation_ = nullptr;
        }
        if (!stream_)
            return;
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
        written_ = samples_.size();
        // Whatever was asked of this stream is lost with it; the next request starts anew.
        pending_ = false;
        started_.reset();
    }

    void freeTimers() { freeTimer(corkTimer_); }

private:
    static constexpr int TailMs = 300;
    // After the tail, how long the sound may still sit in the server's and the device's
    // buffers: corking takes back what they have not played yet.
    static constexpr milliseconds CorkMargin{2000};

    static void streamState(pa_stream *stream, void *data) {
        auto *player = static_cast<OutputPlayer *>(data);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY && player->pending_)
            player->handOver();
        else if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
            player->closeStream(); // the connection or the stream went: reopened when needed
    }

    static void streamWritable(pa_stream *, size_t, void *data) {
        static_cast<OutputPlayer *>(data)->writeMore();
    }

    static void operationDone(pa_stream *, int, void *data) {
        auto *player = static_cast<OutputPlayer *>(data);
        pa_operation_unref(player->operation_);
        player->operation_ = nullptr;
        player->settle();
    }

    static void corkTime(pa_mainloop_api *, pa_time_event *, const timeval *, void *data) {
        auto *player = static_cast<OutputPlayer *>(data);
        player->wantCorked_ = true;
        player->settle();
    }

    void handOver() {
        pending_ = false;
        started_ = Clock::now();
        written_ = 0;
        wantCorked_ = false;
        settle();
        writeMore();
        armTimer(corkTimer_, length_ + milliseconds(TailMs) + CorkMargin, corkTime, this);
    }

    // Writes as much of the sound as the server asks for; it asks again as it plays. Written
    // all at once, a sound longer than the server's queue for a stream loses its end.
    void writeMore() {
        while (stream_ && written_ < samples_.size()) {
            const size_t room = pa_stream_writable_size(stream_);
            if (room == 0 || room == static_cast<size_t>(-1))
                return;
            const size_t piece = std::min(room, static_cast<size_t>(samples_.size() - written_));
            if (pa_stream_write(stream_, samples_.constData() + written_, piece, nullptr, 0,
                                PA_SEEK_RELATIVE) < 0)
                return;
            written_ += static_cast<qsizetype>(piece);
        }
    }

    // Sends the next operation the stream needs, one at a time. A server that does not answer
    // (stopped, hung) would otherwise have libpulse keep every request ever made.
    void settle() {
        if (operation_ && pa_operation_get_state(operation_) != PA_OPERATION_RUNNING) {
            pa_operation_unref(operation_);
            operation_ = nullptr;
        }
        if (!stream_ || operation_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
            return;
        if (corked_ != wantCorked_) {
            operation_ = pa_stream_cork(stream_, wantCorked_ ? 1 : 0, operationDone, this);
            corked_ = wantCorked_;
        }
    }

    QByteArray name_;
    pa_sample_spec spec_{};
    milliseconds length_{};
    QByteArray samples_;
    pa_stream *stream_ = nullptr;
    pa_operation *operation_ = nullptr;
    pa_time_event *corkTimer_ = nullptr;
    qsizetype written_ = 0;
    bool corked_ = true;
    bool wantCorked_ = true;
    bool pending_ = false;
    std::optional<Clock::time_point> started_;
};

void contextState(pa_context *context, void *) {
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        output.starting = false;
        for (OutputPlayer *player : output.players)
            player->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server went away, restarted or never answered: silence until a new connection.
        for (OutputPlayer *player : output.players)
            player->closeStream();
        output.retryLater();
        break;
    default:
        break;
    }
}

void retryTime(pa_mainloop_api *, pa_time_event *, const timeval *, void *) {
    output.connect();
}

// No server is no reason to start one: the game plays on in silence.
void Output::connect() {
    dropContext();
    pa_proplist *properties = gameProperties();
    context = pa_context_new_with_proplist(api, nullptr, properties);
    pa_proplist_free(properties);
    if (!context) {
        retryLater();
        return;
    }
    pa_context_set_state_callback(context, contextState, nullptr);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        retryLater();
}

void Output::retryLater() {
    starting = false;
    armTimer(retry, RetryAfter, retryTime, nullptr);
}

void Output::dropContext() {
    if (!context)
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

// Stops the thread first: nothing runs beside the game's thread while the rest is freed.
void Output::stop() {
    if (!loop)
        return;
    pa_threaded_mainloop_stop(loop);
    for (OutputPlayer *player : players) {
        player->freeTimers();
        player->closeStream();
    }
    freeTimer(retry);
    dropContext();
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
    api = nullptr;
}

} // namespace

std::unique_ptr<SoundPlayer> makeOutputPlayer(const QString &name, const PcmSound &sound) {
    return std::make_unique<OutputPlayer>(name, sound);
}

void startSoundOutput() {
    if (output.asked)
        return;
    output.asked = true;
    output.loop = pa_threaded_mainloop_new();
    if (!output.loop)
        return;
    output.api = pa_threaded_mainloop_get_api(output.loop);
    output.connect();
    if (pa_threaded_mainloop_start(output.loop) < 0)
        output.stop();
}
