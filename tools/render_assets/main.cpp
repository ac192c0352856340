#include "picture.h"
#include "render_error.h"
#include "sound.h"

#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdio>
#include <string>

namespace {

int usage() {
    std::fputs("usage:\n"
               "  render_assets picture IN.svg OUT.png|OUT.argb|OUT.bmp|OUT.jpg WIDTH HEIGHT\n"
               "  render_assets sound RECIPE OUT.wav\n",
               stderr);
    return 2;
}

int pixels(const std::string &text, const char *what) {
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > 8192) {
        throw RenderError(std::string(what) +
                          " must be a whole number of pixels from 1 to "
                          "8192, not '" +
                          text + "'");
    }
    return value;
}

// Qt notes that a headless build machine has no XDG runtime folder; that is expected here and
// would only bury real problems in the build log.
void quietStartup(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (message.startsWith(QStringLiteral("QStandardPaths:"))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    try {
        if (command == "picture" && argc == 6) {
            // Assets are rendered during the build, where there may be no display at all.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            const QtMessageHandler previous = qInstallMessageHandler(quietStartup);
            const QGuiApplication application(argc, argv);
            qInstallMessageHandler(previous);
            renderPicture(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                          pixels(argv[4], "WIDTH"), pixels(argv[5], "HEIGHT"));
            return 0;
        }
        if (command == "sound" && argc == 4) {
            renderSound(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
            return 0;
        }
    } catch (const RenderError &error) {
        std::fprintf(stderr, "render_assets: %s\n", error.what());
        return 1;
    }
    return usage();
}
