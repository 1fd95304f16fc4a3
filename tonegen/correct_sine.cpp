// A correctly rounded sine in two steps (Ziv's strategy):
//
// 1. Quick step, in double-double arithmetic. x is reduced to
//    x = k × π/1024 + y with |y| ≤ π/2048 (Cody and Waite's method with an
//    exactly split constant below 2^32, Payne and Hanek's method with the
//    bits of 2/π above), and
//        sin(x) = sin(a) cos(y) + cos(a) sin(y),   a = k × π/1024 mod 2π,
//    with sin(a) and cos(a) from a table of sin(i π/1024), i = 0 .. 512, and
//    short Taylor polynomials for sin(y) and cos(y). Its result carries a
//    proven error bound; when the interval it spans holds no midpoint
//    between two doubles, the nearest double is known.
// 2. Accurate step, in 256-bit fixed point, for the rare rest: x is reduced
//    modulo π/2 with 320 bits of x × 2/π, and the Taylor series of sin or cos
//    is summed to 2^-256. Its error, below 2^-186 relative, is far smaller
//    than the closest approach of any published hardest-to-round case to a
//    midpoint (about 2^-120 relative).
//
// Only binary64 additions, subtractions and multiplications rounded to
// nearest, and integer arithmetic, are used: the result is the same on
// every machine.
#include "correct_sine.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tonegen {

static_assert(std::numeric_limits<double>::is_iec559, "binary64 doubles are required");
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in double precision");

namespace {

// ---- Exact transformations of doubles (Dekker, Knuth) ----------------------

struct DoubleDouble {
    double high;
    double low;
};

// a + b = s + e exactly.
DoubleDouble TwoSum(double a, double b) {
    const double s = a + b;
    const double bPart = s - a;
    const double aPart = s - bPart;
    return {s, (a - aPart) + (b - bPart)};
}

// a + b = s + e exactly, provided |a| ≥ |b| or a = 0.
DoubleDouble FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a = high + low with each half fitting 26 bits (Veltkamp).
DoubleDouble Split(double a) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double c = kSplitter * a;
    const double high = c - (c - a);
    return {high, a - high};
}

// a × b = p + e exactly (Dekker), without a fused multiply-add, for
// products far from overflow and underflow.
DoubleDouble TwoProduct(double a, double b) {
    const double p = a * b;
    const DoubleDouble as = Split(a);
    const DoubleDouble bs = Split(b);
    const double e =
        ((as.high * bs.high - p) + as.high * bs.low + as.low * bs.high) + as.low * bs.low;
    return {p, e};
}

double PowerOfTwo(int exponent) {  // normal range only
    return std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52U);
}

// ---- 256-bit fixed point ---------------------------------------------------

// A number in [0, 1): sum of limb[i] × 2^(-32 (i + 1)).
constexpr std::size_t kLimbs = 8;
using Fixed = std::array<std::uint32_t, kLimbs>;

// 2^-256 × this is the error bound of the accurate step's sums (see Sine).
constexpr std::uint32_t kAccurateErrorUnits = 256;  // 2^-248

bool IsZero(const Fixed& a) {
    for (const std::uint32_t limb : a) {
        if (limb != 0) {
            return false;
        }
    }
    return true;
}

bool Less(const Fixed& a, const Fixed& b) {
    for (std::size_t i = 0; i < kLimbs; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i];
        }
    }
    return false;
}

Fixed Add(const Fixed& a, const Fixed& b) {  // the caller keeps the sum below 1
    Fixed sum{};
    std::uint64_t carry = 0;
    for (std::size_t n = kLimbs; n-- > 0;) {
        const std::uint64_t t = std::uint64_t{a[n]} + b[n] + carry;
        sum[n] = static_cast<std::uint32_t>(t);
        carry = t >> 32U;
    }
    return sum;
}

Fixed Subtract(const Fixed& a, const Fixed& b) {  // a - b modulo 1
    Fixed difference{};
    std::uint64_t borrow = 0;
    for (std::size_t n = kLimbs; n-- > 0;) {
        const std::uint64_t t = std::uint64_t{a[n]} - b[n] - borrow;
        difference[n] = static_cast<std::uint32_t>(t);
        borrow = (t >> 63U) & 1U;
    }
    return difference;
}

Fixed SmallFixed(std::uint32_t units) {  // units × 2^-256
    Fixed a{};
    a[kLimbs - 1] = units;
    return a;
}

// The product truncated to 256 bits: below the exact one by less than 2^-256.
Fixed Multiply(const Fixed& a, const Fixed& b) {
    std::array<std::uint32_t, 2 * kLimbs> full{};
    for (std::size_t i = kLimbs; i-- > 0;) {
        std::uint64_t carry = 0;
        for (std::size_t j = kLimbs; j-- > 0;) {
            const std::uint64_t t = std::uint64_t{a[i]} * b[j] + full[i + j + 1] + carry;
            full[i + j + 1] = static_cast<std::uint32_t>(t);
            carry = t >> 32U;
        }
        full[i] = static_cast<std::uint32_t>(carry);
    }
    Fixed product{};
    for (std::size_t i = 0; i < kLimbs; ++i) {
        product[i] = full[i];
    }
    return product;
}

// a / d truncated: below the exact quotient by less than 2^-256.
Fixed Divide(const Fixed& a, std::uint32_t d) {
    Fixed quotient{};
    std::uint64_t remainder = 0;
    for (std::size_t n = 0; n < kLimbs; ++n) {
        const std::uint64_t current = (remainder << 32U) | a[n];
        quotient[n] = static_cast<std::uint32_t>(current / d);
        remainder = current % d;
    }
    return quotient;
}

// 64 bits of a limb array from bit `position` on (bit 0 is the top bit of
// limb 0); bits past the end read as 0.
template <std::size_t N>
std::uint64_t Bits64(const std::array<std::uint32_t, N>& limbs, int position) {
    std::uint64_t bits = 0;
    const int first = position / 32;
    const int shift = position % 32;
    for (int k = 0; k < 3; ++k) {  // three limbs cover any 64-bit window
        const int at = first + k;
        const std::uint64_t limb =
            at < static_cast<int>(N) ? limbs[static_cast<std::size_t>(at)] : 0;
        const int place = 32 * (1 - k) + shift;  // where limb's bit 0 lands in bits
        if (place >= 64) {
            continue;
        }
        bits |= place >= 0 ? limb << static_cast<unsigned>(place)
                           : limb >> static_cast<unsigned>(-place);
    }
    return bits;
}

template <std::size_t N>
int LeadingBit(const std::array<std::uint32_t, N>& limbs) {  // -1 for zero
    for (std::size_t i = 0; i < N; ++i) {
        if (limbs[i] != 0) {
            return static_cast<int>(32 * i) + std::countl_zero(limbs[i]);
        }
    }
    return -1;
}

// The double nearest to a (ties to even).
double RoundToDouble(const Fixed& a) {
    const int lead = LeadingBit(a);
    if (lead < 0) {
        return 0.0;
    }
    const std::uint64_t top = Bits64(a, lead);  // bit 63 is the leading 1
    std::uint64_t mantissa = top >> 11U;
    const bool roundBit = ((top >> 10U) & 1U) != 0;
    bool sticky = (top & 0x3FFU) != 0;
    for (int position = lead + 64; !sticky && position < static_cast<int>(32 * kLimbs);
         position += 64) {
        sticky = Bits64(a, position) != 0;
    }
    if (roundBit && (sticky || (mantissa & 1U) != 0)) {
        ++mantissa;  // 2^53 is exact as a double as well
    }
    return static_cast<double>(mantissa) * PowerOfTwo(-(lead + 53));
}

// A double in [0, 1) with all its bits inside the 256 fraction bits.
Fixed FixedFromDouble(double d) {
    Fixed a{};
    if (d == 0.0) {
        return a;
    }
    const auto bits = std::bit_cast<std::uint64_t>(d);
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52U) - 1)) | (std::uint64_t{1} << 52U);
    const int exponent = static_cast<int>(bits >> 52U) - 1075;  // d = mantissa × 2^exponent
    // mantissa's bit 0 has weight 2^exponent, which is bit -exponent - 1 from the top.
    const int lowest = -exponent - 1;
    for (int k = 0; k < 53; ++k) {
        if (((mantissa >> static_cast<unsigned>(k)) & 1U) != 0) {
            const int position = lowest - k;
            a[static_cast<std::size_t>(position / 32)] |=
                1U << static_cast<unsigned>(31 - position % 32);
        }
    }
    return a;
}

// ---- Reduction with the bits of 2/π (Payne and Hanek) -----------------------

// 2/π = sum of kTwoOverPi[n] × 2^(-32 (n + 1)): 1,408 bits, enough for the
// largest double's exponent plus the 320-bit window of the accurate step.
constexpr std::array<std::uint32_t, 44> kTwoOverPi = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
    0xA9E39161, 0x5EE61B08, 0x6599855F, 0x14A06840,
};

// 32 bits of 2/π from bit `start` on, bit i weighing 2^-i (bits i ≤ 0 are 0).
std::uint32_t TwoOverPiBits(int start) {
    const int offset = start - 1;
    if (offset <= -32) {
        return 0;
    }
    if (offset < 0) {
        return kTwoOverPi[0] >> static_cast<unsigned>(-offset);
    }
    const auto word = static_cast<std::size_t>(offset / 32);
    const auto shift = static_cast<unsigned>(offset % 32);
    const std::uint64_t pair = (std::uint64_t{kTwoOverPi[word]} << 32U) | kTwoOverPi[word + 1];
    return static_cast<std::uint32_t>(pair >> (32U - shift));
}

// For x = mantissa × 2^exponent (x > 0), the 32 N bits of
// (x × 2^scale × 2/π) modulo 2^integerBits, as a fixed-point number with
// integerBits integer bits: the exact value lies above it by less than
// 2^(53 + integerBits - 32 N) (the bits of 2/π past the window).
// Bits of 2/π worth a multiple of 2^integerBits once multiplied are skipped.
template <std::size_t N>
std::array<std::uint32_t, N> ReduceWithTwoOverPi(std::uint64_t mantissa, int exponent, int scale,
                                                 int integerBits) {
    const int first = exponent + scale - integerBits + 1;
    std::array<std::uint32_t, N> window{};
    for (std::size_t n = 0; n < N; ++n) {
        window[n] = TwoOverPiBits(first + static_cast<int>(32 * n));
    }
    // mantissa × window, keeping the low 32 N bits.
    std::array<std::uint32_t, N> product{};
    const std::array<std::uint64_t, 2> factor = {mantissa & 0xFFFFFFFFU, mantissa >> 32U};
    for (std::size_t f = 0; f < 2; ++f) {
        std::uint64_t carry = 0;
        for (std::size_t k = 0; k + f < N; ++k) {
            const std::size_t at = N - 1 - k - f;
            const std::uint64_t t = factor[f] * window[N - 1 - k] + product[at] + carry;
            product[at] = static_cast<std::uint32_t>(t);
            carry = t >> 32U;
        }
    }
    return product;
}

struct Decomposed {
    std::uint64_t mantissa;
    int exponent;  // x = mantissa × 2^exponent
};

Decomposed Decompose(double x) {  // x positive and finite
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const auto biased = static_cast<int>(bits >> 52U);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52U) - 1);
    if (biased == 0) {
        return {fraction, -1074};
    }
    return {fraction | (std::uint64_t{1} << 52U), biased - 1075};
}

// ---- Quick step --------------------------------------------------------------

// π/1024 = kStep1 + kStep2 + kStep3 to 2^-170.
constexpr double kStep1 = 0x1.921fb54442d18p-9;
constexpr double kStep2 = 0x1.1a62633145c07p-63;
constexpr double kStep3 = -0x1.f1976b7ed8fbcp-119;
constexpr double kInverseStep = 0x1.45f306dc9c883p+8;  // 1024/π rounded
constexpr double kShifter = 0x1.8p52;                  // adding it rounds to a whole number
constexpr double kCodyWaiteLimit = 0x1p32;

struct Reduced {
    std::uint32_t index;  // k modulo 2048: a = index × π/1024
    DoubleDouble y;       // x - k π/1024, |y| ≤ 0.5003 π/1024
    double errorBound;    // on |y - (y.high + y.low)|
};

// x from 2^-26 to 2^32. k is below 2^41, so k × kStep1 and k × kStep2 are
// exact double-doubles; x - high(k kStep1) is exact (Sterbenz, or both are
// multiples of ulp(x) within a factor 2); the three leading terms are added
// exactly and the small rest in double, each rounding below 2^-114.
Reduced ReduceCodyWaite(double x) {
    const double shifted = x * kInverseStep + kShifter;
    const double k = shifted - kShifter;
    const auto index = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(shifted) & 2047U);
    const DoubleDouble p1 = TwoProduct(k, kStep1);
    const DoubleDouble p2 = TwoProduct(k, kStep2);
    const double p3 = k * kStep3;
    const DoubleDouble s1 = TwoSum(x - p1.high, -p1.low);
    const DoubleDouble s2 = TwoSum(s1.high, -p2.high);
    const double rest = ((s1.low + s2.low) - p2.low) - p3;
    return {index, TwoSum(s2.high, rest), 0x1p-110};
}

// x from 2^32 up: 192 bits of x × 1024/π modulo 2048, so 181 fraction
// bits, exact to 2^-128 (in units of π/1024).
Reduced ReducePayneHanek(double x) {
    const Decomposed d = Decompose(x);
    std::array<std::uint32_t, 6> bits = ReduceWithTwoOverPi<6>(d.mantissa, d.exponent, 9, 11);
    std::uint32_t index = bits[0] >> 21U;
    bits[0] &= (1U << 21U) - 1;  // the fraction, as a 192-bit number worth 2^-11 of it
    bool negative = false;
    if ((bits[0] >> 20U) != 0) {  // fraction ≥ 1/2: round k up, y = fraction - 1
        index = (index + 1) & 2047U;
        negative = true;
        std::uint64_t borrow = 0;  // bits = 2^181 - bits
        for (std::size_t n = bits.size(); n-- > 0;) {
            const std::uint64_t t = std::uint64_t{0} - bits[n] - borrow;
            bits[n] = static_cast<std::uint32_t>(t);
            borrow = (t >> 63U) & 1U;
        }
        bits[0] &= (1U << 21U) - 1;
    }
    const int lead = LeadingBit(bits);
    if (lead < 0) {  // cannot happen: no double is a multiple of π/1024
        return {index, {0.0, 0.0}, 0x1p-120};
    }
    // f = fraction in units of π/1024 = high + low: 53 bits exact, then the
    // next 64 rounded (relative error below 2^-116 with the truncated rest).
    const std::uint64_t top = Bits64(bits, lead);
    const std::uint64_t next = Bits64(bits, lead + 64);
    const double scale = PowerOfTwo(11 - (lead + 53));
    const double fHigh = static_cast<double>(top >> 11U) * scale;
    const double fLow = static_cast<double>((top << 53U) | (next >> 11U)) * (scale * 0x1p-64);
    // y = f × π/1024 in double-double: relative error below 2^-102.
    const DoubleDouble product = TwoProduct(fHigh, kStep1);
    const double low = product.low + (fHigh * kStep2 + fLow * kStep1);
    DoubleDouble y = FastTwoSum(product.high, low);
    if (negative) {
        y = {-y.high, -y.low};
    }
    return {index, y, std::fabs(y.high) * 0x1p-100 + 0x1p-125};
}

struct SineTable {
    std::array<DoubleDouble, 513> sineOfStep;  // sin(i π/1024), i = 0 .. 512
};

const SineTable& Table();

// Taylor coefficients of sin(y) = y + y^3 (S3 + y^2 (S5 + y^2 S7)) and
// cos(y) = 1 + y^2 (C2 + y^2 (C4 + y^2 (C6 + y^2 C8))); for |y| ≤ 0.0015351
// the omitted terms are below 2^-102 and 2^-115.
constexpr double kS3 = -1.0 / 6.0;
constexpr double kS5 = 1.0 / 120.0;
constexpr double kS7 = -1.0 / 5040.0;
constexpr double kC2 = -0.5;
constexpr double kC4 = 1.0 / 24.0;
constexpr double kC6 = -1.0 / 720.0;
constexpr double kC8 = 1.0 / 40320.0;

// Relative error bound of the evaluation below (the reduction's error is
// added separately). With R = sin(a) cos(y) + cos(a) sin(y) computed as
//     sin(a) + cos(a) y + [sin(a) c + cos(a) s],  c ≈ cos(y) - 1, s ≈ sin(y) - y,
// the table is exact to 2^-106, cos(a) y is a double-double product
// (2^-103), c and s are Horner evaluations in double of relative error
// below 6 × 2^-53 with |c| ≤ 2^-19.7 and |s| ≤ 2^-21.3 |y|, and the bracket
// and the final additions round three more times. Altogether the error is
// below 2^-68.9 |sin(a)| + 2^-70.7 |y|, and |sin(a)| ≤ 2.05 |R|, |y| ≤ 1.03 |R|
// whenever a ≠ 0 (and sin(a) = 0 otherwise), so below 2^-67.6 |R|. The bound
// used is about three times that (the largest error seen against MPFR over
// millions of arguments is near 2^-70.4 |R|).
constexpr double kQuickRelativeError = 0x1p-66;

}  // namespace

namespace sine_detail {

SineEstimate QuickSine(double x) {
    const Reduced r = x < kCodyWaiteLimit ? ReduceCodyWaite(x) : ReducePayneHanek(x);
    const SineTable& table = Table();
    const std::uint32_t quadrant = r.index >> 9U;
    const std::uint32_t step = r.index & 511U;
    // sin(quadrant π/2 + b + y) is ±sin(b + y) or ±cos(b + y), and
    // cos(b + y) = cos(b) cos(y) - sin(b) sin(y): the same form with
    // (sin b, cos b) replaced by (cos b, -sin b).
    DoubleDouble sinA = table.sineOfStep[step];
    DoubleDouble cosA = table.sineOfStep[512 - step];
    if ((quadrant & 1U) != 0) {
        const DoubleDouble sinB = sinA;
        sinA = cosA;
        cosA = {-sinB.high, -sinB.low};
    }
    const double y = r.y.high;
    const double z = y * y;
    const double s = y * z * (kS3 + z * (kS5 + z * kS7));
    const double c = z * (kC2 + z * (kC4 + z * (kC6 + z * kC8)));
    const DoubleDouble cosAy = TwoProduct(cosA.high, y);
    const double cosAyLow = cosAy.low + (cosA.high * r.y.low + cosA.low * y);
    const double bracket = sinA.high * c + cosA.high * s;
    const DoubleDouble sum = TwoSum(sinA.high, cosAy.high);
    const double low = sum.low + ((sinA.low + cosAyLow) + bracket);
    DoubleDouble result = TwoSum(sum.high, low);
    if (quadrant >= 2) {
        result = {-result.high, -result.low};
    }
    const double bound = kQuickRelativeError * std::fabs(result.high) + r.errorBound;
    return {result.high, result.low, bound};
}

}  // namespace sine_detail

namespace {

// ---- Accurate step -----------------------------------------------------------

// π/4, truncated to 256 bits.
constexpr Fixed kQuarterPi = {0xC90FDAA2, 0x2168C234, 0xC4C6628B, 0x80DC1CD1,
                              0x29024E08, 0x8A67CC74, 0x020BBEA6, 0x3B139B22};

// sin(theta) for 0 ≤ theta ≤ π/4 given to 3 × 2^-256. Every term of the
// series is truncated twice (2 × 2^-256) and carries the error of the one
// before it divided by at least 6, so about 30 terms stay within
// 100 × 2^-256 < kAccurateErrorUnits × 2^-256 of the sine.
Fixed SineSeries(const Fixed& theta) {
    const Fixed square = Multiply(theta, theta);
    Fixed sum = theta;
    Fixed term = theta;
    for (std::uint32_t n = 1; n < 64; ++n) {
        term = Divide(Multiply(term, square), (2 * n) * (2 * n + 1));
        if (IsZero(term)) {
            break;
        }
        sum = (n & 1U) != 0 ? Subtract(sum, term) : Add(sum, term);
    }
    return sum;
}

// 1 - cos(theta) for 0 ≤ theta ≤ π/4, within the same bound.
Fixed OneMinusCosineSeries(const Fixed& theta) {
    const Fixed square = Multiply(theta, theta);
    Fixed term = Divide(square, 2);
    Fixed sum = term;
    for (std::uint32_t n = 2; n < 64; ++n) {
        term = Divide(Multiply(term, square), (2 * n - 1) * (2 * n));
        if (IsZero(term)) {
            break;
        }
        sum = (n & 1U) != 0 ? Add(sum, term) : Subtract(sum, term);
    }
    return sum;
}

struct Approximation {
    Fixed value;  // in [0, 1), unless isOne
    bool isOne;   // the value is exactly 1 (cos 0)
};

Approximation Evaluate(const Fixed& theta, bool cosine) {
    if (!cosine) {
        return {SineSeries(theta), false};
    }
    const Fixed t = OneMinusCosineSeries(theta);
    if (IsZero(t)) {
        return {t, true};
    }
    return {Subtract(Fixed{}, t), false};
}

// The nearest double, when the value ± the error bound rounds the same way
// (the published hardest cases leave far more room than the bound).
double RoundApproximation(const Approximation& a) {
    if (a.isOne) {
        return 1.0;
    }
    const Fixed error = SmallFixed(kAccurateErrorUnits);
    const double nearest = RoundToDouble(a.value);
    if (Less(a.value, error)) {
        return nearest;
    }
    const double below = RoundToDouble(Subtract(a.value, error));
    const double above = RoundToDouble(Add(a.value, error));
    return below == above ? below : nearest;
}

const SineTable& Table() {
    static const SineTable kTable = [] {
        SineTable built{};
        const Fixed step = Divide(kQuarterPi, 256);  // π/1024, low by under 2^-255
        for (std::uint32_t i = 0; i <= 512; ++i) {
            // sin(i π/1024) = cos((512 - i) π/1024); the angle kept ≤ π/4.
            const bool cosine = i > 256;
            Fixed theta{};
            const std::uint32_t multiple = cosine ? 512 - i : i;
            for (std::uint32_t m = 0; m < multiple; ++m) {
                theta = Add(theta, step);
            }
            const Approximation a = Evaluate(theta, cosine);
            if (a.isOne) {
                built.sineOfStep[i] = {1.0, 0.0};
                continue;
            }
            const double high = RoundToDouble(a.value);
            const Fixed highFixed = FixedFromDouble(high);
            const double low = Less(a.value, highFixed)
                                   ? -RoundToDouble(Subtract(highFixed, a.value))
                                   : RoundToDouble(Subtract(a.value, highFixed));
            built.sineOfStep[i] = {high, low};
        }
        return built;
    }();
    return kTable;
}

}  // namespace

namespace sine_detail {

double AccurateSine(double x) {
    // x × 2/π modulo 4: 2 bits of quadrant and 318 fraction bits, exact to
    // 2^-265.
    const Decomposed d = Decompose(x);
    const std::array<std::uint32_t, 10> bits =
        ReduceWithTwoOverPi<10>(d.mantissa, d.exponent, 0, 2);
    const std::uint32_t quadrant = bits[0] >> 30U;
    const bool upperHalf = ((bits[0] >> 29U) & 1U) != 0;  // fraction F ≥ 1/2
    // g = 2F or 2 (1 - F), in [0, 1]: theta = g π/4 ≤ π/4, and
    // sin(quadrant π/2 + F π/2) is ±sin(theta) or ±cos(theta).
    Fixed g{};
    for (std::size_t i = 0; i < kLimbs; ++i) {
        g[i] = static_cast<std::uint32_t>(Bits64(bits, 3 + 32 * static_cast<int>(i)) >> 32U);
    }
    if (upperHalf) {
        g = IsZero(g) ? Subtract(Fixed{}, SmallFixed(1)) : Subtract(Fixed{}, g);
    }
    const Fixed theta = Multiply(g, kQuarterPi);
    const bool cosine = ((quadrant & 1U) != 0) != upperHalf;
    const double magnitude = RoundApproximation(Evaluate(theta, cosine));
    return quadrant >= 2 ? -magnitude : magnitude;
}

}  // namespace sine_detail

double CorrectlyRoundedSine(double x) {
    const double magnitude = std::fabs(x);
    if (!(magnitude <= std::numeric_limits<double>::max())) {
        return x - x;  // NaN for ±infinity and NaN
    }
    // Below 2^-26, x - x^3/6 lies within half an ulp of x (a quarter below a
    // power of two), so x is the nearest double; this covers 0 and the
    // subnormal numbers.
    if (magnitude < 0x1p-26) {
        return x;
    }
    const sine_detail::SineEstimate estimate = sine_detail::QuickSine(magnitude);
    // Half the gap to the nearer neighbour of high: the exact sine, within
    // |low| + errorBound of high, then rounds to high. (Comparing the rounded
    // sum with a power of two cannot make a larger sum pass.)
    const auto bits = std::bit_cast<std::uint64_t>(std::fabs(estimate.high));
    const int exponent = static_cast<int>(bits >> 52U) - 1023;
    const bool powerOfTwo = (bits & ((std::uint64_t{1} << 52U) - 1)) == 0;
    const double halfGap = PowerOfTwo(exponent - (powerOfTwo ? 54 : 53));
    const double sine = std::fabs(estimate.low) + estimate.errorBound < halfGap
                            ? estimate.high
                            : sine_detail::AccurateSine(magnitude);
    return x < 0.0 ? -sine : sine;
}

}  // namespace tonegen
