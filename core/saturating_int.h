#pragma once

#include <cstdint>
#include <limits>

// A 32-bit signed game value whose arithmetic stops at the 32-bit limits instead of
// overflowing: saved games can hold any 32-bit value, and play must not turn a huge
// count into undefined behaviour.
class SaturatingInt {
public:
    constexpr SaturatingInt(std::int32_t value = 0) noexcept
        : value_(value) {}

    constexpr operator std::int32_t() const noexcept { return value_; }
    constexpr std::int64_t wide() const noexcept { return value_; }

    static constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    static constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();

    static constexpr std::int32_t saturate(std::int64_t v) noexcept {
        return v > Max ? Max : v < Min ? Min : static_cast<std::int32_t>(v);
    }

    constexpr SaturatingInt &operator+=(std::int64_t delta) noexcept {
        std::int64_t sum = 0;
        value_ =
            __builtin_add_overflow(wide(), delta, &sum) ? (delta > 0 ? Max : Min) : saturate(sum);
        return *this;
    }

    constexpr SaturatingInt &operator-=(std::int64_t delta) noexcept {
        std::int64_t difference = 0;
        value_ = __builtin_sub_overflow(wide(), delta, &difference) ? (delta < 0 ? Max : Min)
                                                                    : saturate(difference);
        return *this;
    }

private:
    std::int32_t value_;
};
