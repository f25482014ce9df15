// x = |v|·10^k = M·2^q·10^k = M·T_k·2^-(128+s) + [0, 2^-69) in [10^16, 2·10^17); 17 digits
#include "runtime/scientific17.hpp"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/bit_cast.hpp"
#include "runtime/real_format.hpp"

#include "runtime/digit_pairs.hpp"

namespace runtime {
namespace {

__extension__ typedef unsigned __int128 Uint128;

struct Power {
    std::uint64_t high;
    std::uint64_t low;
};

#include "runtime/scientific17_powers.inc"

constexpr std::uint64_t TEN8 = 100000000;
constexpr std::uint64_t TEN16 = TEN8 * TEN8;
constexpr std::uint64_t TEN17 = 10 * TEN16;
constexpr std::uint64_t HALF = std::uint64_t{1} << 63;

std::atomic<std::uint64_t> fallback_count{0};

void put_eight(char* out, std::uint32_t n)
{
    const std::uint32_t high = n / 10000;
    const std::uint32_t low = n % 10000;
    put_pair(out, high / 100);
    put_pair(out + 2, high % 100);
    put_pair(out + 4, low / 100);
    put_pair(out + 6, low % 100);
}

// digits in [10^16, 10^17): "d.dddddddddddddddde+XX", the exponent in two digits or three.
char* put_scientific(char* out, std::uint64_t digits, int exponent)
{
    const std::uint64_t lead = digits / TEN16;
    const std::uint64_t rest = digits - lead * TEN16;
    out[0] = static_cast<char>('0' + lead);
    out[1] = '.';
    put_eight(out + 2, static_cast<std::uint32_t>(rest / TEN8));
    put_eight(out + 10, static_cast<std::uint32_t>(rest % TEN8));
    out[18] = 'e';
    out[19] = exponent < 0 ? '-' : '+';
    const auto magnitude = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent);
    if (magnitude < 100) return put_pair(out + 20, magnitude);
    out[20] = static_cast<char>('0' + magnitude / 100);
    return put_pair(out + 21, magnitude % 100);
}

char* zero(char* first, double value)
{
    const std::string_view text =
        std::signbit(value) ? "-0.0000000000000000e+00" : "0.0000000000000000e+00";
    std::memcpy(first, text.data(), text.size());
    return first + text.size();
}

// Where x lies within about 2^-63 of a rounding boundary without being on it. No double
// does (bench/scientific17_hard_cases.py searches them all); the way stays for safety.
[[gnu::noinline, gnu::cold]] char* undecided(char* first, double value)
{
    fallback_count.fetch_add(1, std::memory_order_relaxed);
    const std::string text = real_text(value, std::chars_format::scientific, 16);
    std::memcpy(first, text.data(), text.size());
    return first + text.size();
}

// The 17 significant digits of a finite v != 0: |v| rounded to digits·10^(exponent-16).
struct SeventeenDigits {
    std::uint64_t digits;  // in [10^16, 10^17)
    int exponent;
};

// False where the product's bits cannot round x.
[[gnu::always_inline]] inline bool decimal(std::uint64_t bits, SeventeenDigits& result)
{
    const auto field = static_cast<int>(bits >> 52 & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    std::uint64_t m;
    int q;
    if (field != 0) {
        m = (fraction | std::uint64_t{1} << 52) << 11;
        q = field - 1086;
    } else {  // subnormal
        const int shift = std::countl_zero(fraction);
        m = fraction << shift;
        q = -1074 - shift;
    }

    const int e0 = ((q + 63) * LOG10_2_FACTOR) >> LOG10_2_SHIFT;
    const int k = 16 - e0;
    const int s = -(1 + q + ((k * LOG2_10_FACTOR) >> LOG2_10_SHIFT));
    const Power& t = POWERS[k - POWER_K_MIN];

    // Bits 64 and up of the 192-bit product; the bits below add at most a carry.
    const Uint128 low = static_cast<Uint128>(m) * t.low;
    const Uint128 high = static_cast<Uint128>(m) * t.high + static_cast<std::uint64_t>(low >> 64);
    // N + F/2^64 <= x < N + (F + 1.04)/2^64
    const auto n = static_cast<std::uint64_t>(high >> (64 + s));
    const auto f = static_cast<std::uint64_t>(high >> s);

    // A tie, x·10^-j an odd multiple of 1/2 (j = 0 for 17 digits, 1 for 18), needs
    // k - j >= 0: with 5^(j-k) in the denominator its odd part would pass 2^53. Then
    // x·10^-j = M·5^(k-j)·2^(q+k-j) is one exactly when ctz(M) + q + k - j + 1 = 0.
    const int ctz = std::countr_zero(m);
    if (n < TEN17) {  // round x: 17 digits
        bool up;
        if (k >= 0 && ctz + q + k + 1 == 0)
            up = n & 1;
        else if (f - (HALF - 2) < 2)
            return false;
        else
            up = f >= HALF;
        result = {n + up, e0};
        if (result.digits == TEN17) result = {TEN16, e0 + 1};
    } else {  // round x/10: N = 10a + r
        const std::uint64_t a = n / 10;
        const std::uint64_t r = n - 10 * a;
        bool up;
        if (k >= 1 && ctz + q + k == 0)
            up = a & 1;
        else if (r == 4 && f >= ~std::uint64_t{0} - 1)
            return false;
        else
            up = r >= 5;
        result = {a + up, e0 + 1};
    }
    return true;
}

bool is_zero(std::uint64_t bits) { return (bits << 1) == 0; }

}  // namespace

char* scientific17(char* first, double value)
{
    const auto bits = runtime::bit_cast<std::uint64_t>(value);
    SeventeenDigits d;
    if (is_zero(bits)) return zero(first, value);
    if (!decimal(bits, d)) return undecided(first, value);
    char* out = first;
    if (bits >> 63) *out++ = '-';
    return put_scientific(out, d.digits, d.exponent);
}

char* scientific17_field(char* first, std::size_t width, double value)
{
    const auto bits = runtime::bit_cast<std::uint64_t>(value);
    SeventeenDigits d;
    std::memset(first, ' ', width);
    char* const end = first + width;
    if (is_zero(bits) || !decimal(bits, d)) {
        char text[SCIENTIFIC17_MAX_LENGTH];
        const char* text_end = is_zero(bits) ? zero(text, value) : undecided(text, value);
        const auto length = static_cast<std::size_t>(text_end - text);
        std::memcpy(end - length, text, length);
        return end;
    }
    const bool negative = bits >> 63;
    char* out = end - (22 + negative + (d.exponent <= -100 || d.exponent >= 100));
    if (negative) *out++ = '-';
    put_scientific(out, d.digits, d.exponent);
    return end;
}

std::uint64_t scientific17_fallbacks() { return fallback_count.load(std::memory_order_relaxed); }

}  // namespace runtime
