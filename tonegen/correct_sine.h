// The sine of a double, correctly rounded: for every finite x the double
// nearest to the exact sine of x (an exact tie cannot happen), NaN for
// infinities and NaN. It uses plain binary64 operations in round-to-nearest
// and integer arithmetic only, so every IEEE-754 machine and compiler that
// evaluates double expressions as written (no x87 excess precision, no
// fused multiply-add contraction) gives the same bits.
#pragma once

namespace tonegen {

double CorrectlyRoundedSine(double x);

// The two steps, for the tests. Both take |x| from 2^-26 to the largest
// double.
namespace sine_detail {

// A double-double approximation high + low of sin(x) and a bound on its
// absolute error; the rounding test uses the bound to decide whether
// high is already the correctly rounded sine.
struct SineEstimate {
    double high = 0.0;
    double low = 0.0;
    double errorBound = 0.0;
};
SineEstimate QuickSine(double x);

// The sine to about 2^-186 relative, rounded; used when the quick estimate
// lies too close to the middle between two doubles.
double AccurateSine(double x);

}  // namespace sine_detail

}  // namespace tonegen
