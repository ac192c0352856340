#include "persistence/save_codec.h"
#include "tests/fuzz/second_reading.h"

#include <QTest>
#include <limits>

namespace {

using Values = QList<int>;

} // namespace

// The number forms and line ends that no saved game of the game's own holds; whole files
// go through the real load in test_saved_games, and the fuzzer feeds them in pieces.
class TestSaveCodec : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyShiftStoresDigitsAndMinusAsVisibleBytes();
    void readingValues_data();
    void readingValues();
    void decodingDamagedFiles_data();
    void decodingDamagedFiles();
    void agreesWithTheSecondReading();
};

void TestSaveCodec::everyShiftStoresDigitsAndMinusAsVisibleBytes() {
    const SavedValues values = {std::numeric_limits<std::int32_t>::min(), -1234567890, 9};
    for (int shift = 1; shift <= 15; ++shift) {
        const QByteArray file =
            QByteArray::fromStdString(encodeSavedGame(stagingText(values), shift));
        const QList<QByteArray> lines = file.split('\n');
        QCOMPARE(lines.size(), 19); // 18 lines, each ending in CR LF
        QCOMPARE(lines[0], QByteArray::number(shift - 1) + '\r');
        for (int i = 1; i < 18; ++i) {
            QVERIFY(lines[i].endsWith('\r'));
            for (const char byte : lines[i].chopped(1))
                QVERIFY2(byte >= 46 && byte <= 72, qPrintable(QString::number(byte)));
        }
    }
}

void TestSaveCodec::readingValues_data() {
    QTest::addColumn<QByteArray>("staging");
    QTest::addColumn<Values>("values"); // empty: not a number
    QTest::newRow("blanks across lines, rest of line skipped, lone LF")
        << QByteArray(" \t\r\n\r\n 7 8 junk\r\n-8\n\x01 9\x1f 1\r\n")
        << Values{7, -8, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("lone CR ends the rest of a line")
        << QByteArray("1 x\r2\r\r\n3\r4")
        << Values{1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("leading zeros, minus zero")
        << QByteArray("007\r\n-00") << Values{7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("18th value never read")
        << QByteArray("1\r\n").repeated(17) + "x" << Values(SavedValueCount, 1);
    const char *const bad[][2] = {{"far past the range", "99999999999999999999"},
                                  {"plus sign", "+5"},
                                  {"hexadecimal", "0x10"},
                                  {"lone minus", "-"},
                                  {"minus inside", "1-2"},
                                  {"high byte", "\x80"},
                                  {"third value", "1\r\n2\r\n--3"}};
    for (const auto &[name, text] : bad)
        QTest::newRow(name) << QByteArray(text) << Values();
}

void TestSaveCodec::readingValues() {
    QFETCH(QByteArray, staging);
    QFETCH(Values, values);
    const auto read = readSavedValues(staging.toStdString());
    QCOMPARE(read ? Values(read->begin(), read->end()) : Values(), values);
}

void TestSaveCodec::decodingDamagedFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("staging"); // "-": not a number
    QTest::newRow("shift after blank lines, rest of its line skipped")
        << QByteArray("\r\n \r\n0 x\r\n3\r\n") << QByteArray("2\r\n");
    QTest::newRow("lone LF, unfinished last line")
        << QByteArray("1\n4\n\n5") << QByteArray("2\r\n\r\n3\r\n");
    QTest::newRow("lone CR ends its line")
        << QByteArray("0\r\n2\r9\r\n3\r\n") << QByteArray("1\r\n8\r\n2\r\n");
    QTest::newRow("lone CR after the shift, CR CR LF")
        << QByteArray("0\r2\r\r\n3") << QByteArray("1\r\n\r\n2\r\n");
    // Any 32-bit first line is taken; only its value modulo 256 matters.
    QTest::newRow("largest shift") << QByteArray("2147483647\r\nA\r\n") << QByteArray("A\r\n");
    QTest::newRow("smallest shift") << QByteArray("-2147483648\r\nB\r\n") << QByteArray("A\r\n");
    QTest::newRow("lowered below 0 wraps") << QByteArray("4\r\n\x01\r\n") << QByteArray("\xfc\r\n");
    QTest::newRow("first line past 32 bits")
        << QByteArray("\r\n2147483648\r\n1") << QByteArray("-");
    QTest::newRow("first line cut after its sign") << QByteArray("  -") << QByteArray("-");
}

void TestSaveCodec::decodingDamagedFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, staging);
    const auto decoded = decodeSavedGame(file.toStdString());
    QCOMPARE(decoded ? QByteArray::fromStdString(*decoded) : QByteArray("-"), staging);
}

// The game's codec against the second reading of the format on saved games of every shift and
// value class in every line-end form: whole, cut short at every byte, and with any one byte
// turned into a line end, a byte that decodes to one, a blank or a byte past ASCII.
void TestSaveCodec::agreesWithTheSecondReading() {
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    const SavedValues classes[] = {
        {},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 100, 0, 0, 100},
        {Min, Max, -1, 1, -10, 10, -999999999, 1000000000, 7, -7, 42, 0, 5, -2147483647, 9, 80, -3},
    };
    const std::string_view ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n"};
    const auto agree = [](std::string_view file) {
        const auto staging = decodeSavedGame(file);
        if (staging != second_reading::decode(file))
            return false;
        return !staging || readSavedValues(*staging) == second_reading::values(*staging);
    };
    for (int shift = 1; shift <= 15; ++shift) {
        for (const SavedValues &values : classes) {
            for (const std::string_view end : ends) {
                std::string file;
                for (const char c : encodeSavedGame(stagingText(values), shift)) {
                    if (c != '\r')
                        file += c == '\n' ? std::string(end) : std::string(1, c);
                }
                for (std::size_t at = 0; at <= file.size(); ++at) {
                    std::string damaged = file;
                    for (const int byte :
                         {-1, int{'\r'}, int{'\n'}, '\r' + shift, int{' '}, 0x80}) {
                        if (byte >= 0 && at < file.size())
                            damaged[at] = static_cast<char>(byte);
                        const std::string_view part =
                            byte < 0 ? std::string_view(file).substr(0, at) : damaged;
                        QVERIFY2(agree(part), QByteArray::fromStdString(std::string(part))
                                                  .toPercentEncoding()
                                                  .constData());
                    }
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestSaveCodec)
#include "test_save_codec.moc"
