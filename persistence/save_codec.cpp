#include "persistence/save_codec.h"

#include <cerrno>

namespace {

constexpr std::int64_t Limit = std::int64_t{1} << 31; // magnitude of the most negative value

template <typename Phase> Phase afterLineEnd(unsigned char byte, Phase otherwise) {
    if (byte == '\r')
        return Phase::AfterCr;
    return byte == '\n' ? Phase::Blanks : otherwise;
}

} // namespace

bool ValueReader::take(unsigned char byte) {
    if (failed_)
        return false;
    if (phase_ == Phase::AfterCr)
        phase_ = Phase::Blanks;
    switch (phase_) {
    case Phase::AfterCr:
    case Phase::Blanks:
        if (byte <= 32)
            return true;
        phase_ = Phase::Number;
        negative_ = false;
        anyDigit_ = false;
        magnitude_ = 0;
        if (byte == '-') {
            negative_ = true;
            return true;
        }
        break;
    case Phase::Number:
        if (byte <= 32) {
            if (!finishNumber())
                return false;
            phase_ = afterLineEnd(byte, Phase::RestOfLine);
            return true;
        }
        break;
    case Phase::RestOfLine:
        phase_ = afterLineEnd(byte, Phase::RestOfLine);
        return true;
    }
    if (byte < '0' || byte > '9') {
        // Whatever follows, this cannot become a number: fail now rather than read on.
        failed_ = true;
        return false;
    }
    anyDigit_ = true;
    if (magnitude_ <= Limit)
        magnitude_ = magnitude_ * 10 + (byte - '0');
    if (magnitude_ > Limit) {
        failed_ = true;
        return false;
    }
    return true;
}

bool ValueReader::end() {
    if (failed_)
        return false;
    if (phase_ == Phase::Number && !finishNumber())
        return false;
    phase_ = Phase::Blanks;
    return true;
}

bool ValueReader::finishNumber() {
    if (!anyDigit_ || magnitude_ > (negative_ ? Limit : Limit - 1)) {
        failed_ = true;
        return false;
    }
    last_ = static_cast<std::int32_t>(negative_ ? -magnitude_ : magnitude_);
    ++count_;
    return true;
}

LineShifter::LineShifter(std::int64_t amount, bool afterCr)
    : phase_(afterCr ? Phase::AfterCr : Phase::LineStart)
    , amount_(static_cast<unsigned char>(((amount % 256) + 256) % 256)) {}

void LineShifter::feed(std::string_view bytes, std::string &out) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (phase_ == Phase::AfterCr) {
            phase_ = Phase::LineStart;
            if (byte == '\n')
                continue;
        }
        if (byte == '\n') {
            out += "\r\n";
            phase_ = Phase::LineStart;
        } else if (byte == '\r') {
            out += "\r\n";
            phase_ = Phase::AfterCr;
        } else {
            out += static_cast<char>(static_cast<unsigned char>(byte + amount_));
            phase_ = Phase::InLine;
        }
    }
}

void LineShifter::finish(std::string &out) {
    if (phase_ == Phase::InLine)
        out += "\r\n";
    phase_ = Phase::LineStart;
}

bool SavedGameDecoder::feed(std::string_view bytes, std::string &out) {
    if (lines_) {
        lines_->feed(bytes, out);
        return true;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!first_.take(static_cast<unsigned char>(bytes[i])))
            return false;
        if (first_.count() == 1 && first_.betweenLines()) {
            startLines(first_.lineEndedAtCr()).feed(bytes.substr(i + 1), out);
            return true;
        }
    }
    return true;
}

bool SavedGameDecoder::finish(std::string &out) {
    if (lines_) {
        lines_->finish(out);
        return true;
    }
    if (!first_.end())
        return false;
    startLines(false).finish(out);
    return true;
}

LineShifter &SavedGameDecoder::startLines(bool afterCr) {
    // A file that ends before its first number reads it as 0, a shift of 1. Any 32-bit
    // number is taken: the shift is only ever used modulo 256.
    const std::int64_t shift = (first_.count() > 0 ? first_.last() : 0) + std::int64_t{1};
    return lines_.emplace(-shift, afterCr);
}

bool SavedValuesReader::feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (complete())
            return true;
        if (!reader_.take(static_cast<unsigned char>(c)))
            return false;
        collect();
    }
    return true;
}

bool SavedValuesReader::finish() {
    if (complete())
        return true;
    if (!reader_.end())
        return false;
    collect();
    return true;
}

void SavedValuesReader::collect() {
    if (reader_.count() > collected_)
        values_[collected_++] = reader_.last();
}

std::string valueText(std::int32_t value) {
    return std::to_string(value);
}

std::string stagingText(const SavedValues &values) {
    std::string text;
    for (const std::int32_t value : values)
        text += valueText(value) + "\r\n";
    return text;
}

std::string encodeSavedGame(std::string_view staging, int shift) {
    std::string file = std::to_string(shift - 1) + "\r\n";
    LineShifter raise(shift, false);
    raise.feed(staging, file);
    raise.finish(file);
    return file;
}

std::optional<std::string> decodeSavedGame(std::string_view file) {
    SavedGameDecoder decoder;
    std::string staging;
    if (!decoder.feed(file, staging) || !decoder.finish(staging))
        return std::nullopt;
    return staging;
}

std::optional<SavedValues> readSavedValues(std::string_view staging) {
    SavedValuesReader reader;
    if (!reader.feed(staging) || !reader.finish())
        return std::nullopt;
    return reader.values();
}

std::string fileErrorText(int error, bool creating) {
    switch (error) {
    case ENOENT:
        return std::string(creating ? InvalidFilename : FileNotFound);
    case ENOTDIR:
        return std::string(InvalidFilename);
    case EMFILE:
    case ENFILE:
        return std::string(TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return std::string(FileAccessDenied);
    case ENOSPC:
    case EDQUOT:
        return std::string(DiskFull);
    default:
        return "I/O error " + std::to_string(error) + ".";
    }
}
