#pragma once

// The saved-game file and the staging text in plain C++, free of Qt, so that the fuzzer
// can build it on its own.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int SavedValueCount = 17;
// The saved fields in the order of the file's lines 2 to 18.
using SavedValues = std::array<std::int32_t, SavedValueCount>;

// Reads numbers one byte at a time, as the game reads its text files: bytes of code 32 or
// below before a number are skipped across lines, the number runs to the next such byte
// and must be a signed 32-bit decimal, and the rest of its line is skipped. A line ends at CR
// or LF.
class ValueReader {
public:
    // Takes the next byte; false once a number has turned out not to be one.
    bool take(unsigned char byte);
    // The text has ended: a number in progress is complete. False when it is not a number.
    bool end();

    int count() const { return count_; }
    // The number most recently completed.
    std::int32_t last() const { return last_; }
    // Between numbers, with the line of the last one consumed up to its line end.
    bool betweenLines() const { return phase_ == Phase::Blanks || phase_ == Phase::AfterCr; }
    // That line ended at a CR, so an LF that follows belongs to it.
    bool lineEndedAtCr() const { return phase_ == Phase::AfterCr; }

private:
    enum class Phase : std::uint8_t { Blanks, AfterCr, Number, RestOfLine };
    bool finishNumber();

    Phase phase_ = Phase::Blanks;
    bool failed_ = false;
    bool negative_ = false;
    bool anyDigit_ = false;
    std::int64_t magnitude_ = 0; // stops growing once past the 32-bit range
    std::int32_t last_ = 0;
    int count_ = 0;
};

// Moves every byte of each line by a fixed amount, writing each line back with CR LF. A
// line's bytes end at CR or LF; CR LF is one line end, a lone CR ends its line too.
class LineShifter {
public:
    // afterCr: the text before ended with a CR, so a leading LF belongs to that line end.
    LineShifter(std::int64_t amount, bool afterCr);
    void feed(std::string_view bytes, std::string &out);
    // An unfinished last line still gets its line end.
    void finish(std::string &out);

private:
    enum class Phase : std::uint8_t { LineStart, InLine, AfterCr };
    Phase phase_ = Phase::LineStart;
    unsigned char amount_;
};

// Turns a saved-game file into staging text piece by piece, so that a file of any size is
// decoded in bounded memory: line 1 gives the shift, every later line is lowered by it.
class SavedGameDecoder {
public:
    // False once the first line has turned out not to hold a number.
    bool feed(std::string_view bytes, std::string &out);
    bool finish(std::string &out);
    // The first line has been read: staging text may follow.
    bool shiftKnown() const { return lines_.has_value(); }

private:
    LineShifter &startLines(bool afterCr);

    ValueReader first_;
    std::optional<LineShifter> lines_;
};

// Reads the 17 values from staging text piece by piece; the text may end early, and the
// missing trailing values are 0.
class SavedValuesReader {
public:
    // False once a value has turned out not to be a number.
    bool feed(std::string_view bytes);
    bool finish();
    // All 17 values read: nothing after them is looked at.
    bool complete() const { return collected_ == SavedValueCount; }
    const SavedValues &values() const { return values_; }

private:
    void collect();

    ValueReader reader_;
    SavedValues values_{};
    int collected_ = 0;
};

// The plain text of a value: "-" before a negative one, no leading zeros.
std::string valueText(std::int32_t value);
// The staging text of a save: the values in order, each followed by CR LF.
std::string stagingText(const SavedValues &values);
// The saved-game file for staging text: shift - 1 in plain text, then each staging line
// raised by the shift. The shift is 1 to 15.
std::string encodeSavedGame(std::string_view staging, int shift);
// The staging text of a whole saved-game file; nothing when its first line is not a number.
std::optional<std::string> decodeSavedGame(std::string_view file);
// The 17 values of staging text, missing trailing ones 0; nothing when one read is not a
// number.
std::optional<SavedValues> readSavedValues(std::string_view staging);

// The texts of failed file operations, each with its full stop.
inline constexpr std::string_view InvalidNumericInput = "Invalid numeric input.";
inline constexpr std::string_view InvalidFilename = "Invalid filename.";
inline constexpr std::string_view FileNotFound = "File not found.";
inline constexpr std::string_view TooManyOpenFiles = "Too many open files.";
inline constexpr std::string_view FileAccessDenied = "File access denied.";
inline constexpr std::string_view DiskFull = "Disk full.";
// The text for an errno left by a failed file operation; creating tells a missing folder
// on the way to a new file from a missing file that was to be read.
std::string fileErrorText(int error, bool creating);
