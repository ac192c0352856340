#include "persistence/save_codec.h"
#include "tests/fuzz/second_reading.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

// Any bytes as a saved-game file. Decoding and reading must not crash, must agree with the
// second reading of the format, must give the same whether the file arrives whole or in two
// pieces, and whatever loads must save and load back to the very same values under any shift.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);

    const auto staging = decodeSavedGame(file);
    const auto secondStaging = second_reading::decode(file);
    check(staging == secondStaging);
    if (staging) {
        const auto secondValues = second_reading::values(*staging);
        const auto values = readSavedValues(*staging);
        check(values.has_value() == secondValues.has_value());
        check(!values || *values == *secondValues);
    }
    SavedGameDecoder decoder;
    std::string pieces;
    const bool decoded = decoder.feed(file.substr(0, split), pieces) &&
                         decoder.feed(file.substr(split), pieces) && decoder.finish(pieces);
    check(decoded == staging.has_value());
    if (!staging)
        return 0;
    check(pieces == *staging);

    const auto values = readSavedValues(*staging);
    SavedValuesReader reader;
    const std::string_view text(*staging);
    const std::size_t middle = std::min(split, text.size());
    const bool read =
        reader.feed(text.substr(0, middle)) && reader.feed(text.substr(middle)) && reader.finish();
    check(read == values.has_value());
    if (!values)
        return 0;
    check(reader.values() == *values);

    const int shift = 1 + static_cast<int>(size % 15);
    const std::string saved = encodeSavedGame(stagingText(*values), shift);
    check(saved == second_reading::encode(*values, shift));
    const auto again = decodeSavedGame(saved);
    check(again && *again == stagingText(*values));
    check(readSavedValues(*again) == values);
    return 0;
}
