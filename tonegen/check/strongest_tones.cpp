#include "strongest_tones.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace tonecheck {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Below this a stretch is silence, not a tone (about -200 dBFS).
constexpr double kSilentAmplitude = 1e-10;
// A second tone this far below the first is the scan's own floor (leakage,
// rounding), not something the sound holds.
constexpr double kMaxBelowStrongest = 1e-3;  // 60 dB
constexpr double kTopHertz = 20000.0;
// Two peaks closer than this many scan steps are one tone seen twice.
constexpr double kDistinctSteps = 3.0;

double Wrap(double radians) {
    return std::remainder(radians, kTwoPi);
}

// A Hann window: the scan's peaks stand out from their neighbours' skirts.
std::vector<double> HannWindow(std::size_t count) {
    std::vector<double> window(count);
    for (std::size_t n = 0; n < count; ++n) {
        window[n] = 0.5 - 0.5 * std::cos(kTwoPi * (static_cast<double>(n) + 0.5) /
                                         static_cast<double>(count));
    }
    return window;
}

// The windowed sum of x[n] e^(-i w n) over samples (as long as window).
std::complex<double> WeightedSum(std::span<const float> samples, std::span<const double> window,
                                 double w) {
    // A recurrence for the rotating factor keeps the scan at one complex
    // multiplication per sample.
    const std::complex<double> step = std::polar(1.0, -w);
    std::complex<double> turn(1.0, 0.0);
    std::complex<double> sum(0.0, 0.0);
    for (std::size_t n = 0; n < samples.size(); ++n) {
        sum += window[n] * static_cast<double>(samples[n]) * turn;
        turn *= step;
    }
    return sum;
}

// The frequency near coarse (radians per sample) of the tone that dominates
// there: the phase it gains between two parts of the stretch a quarter of it
// apart, which is unambiguous within two scan steps of the coarse guess.
double RefineFrequency(std::span<const float> samples, double coarse) {
    const std::size_t shift = samples.size() / 4;
    const std::span<const float> early = samples.first(samples.size() - shift);
    const std::span<const float> late = samples.subspan(shift);
    const std::vector<double> window = HannWindow(early.size());
    double w = coarse;
    for (int round = 0; round < 3; ++round) {
        const std::complex<double> a = WeightedSum(early, window, w);
        const std::complex<double> b = WeightedSum(late, window, w);
        const double gained = std::arg(b * std::conj(a));
        const double expected = w * static_cast<double>(shift);
        w += Wrap(gained - expected) / static_cast<double>(shift);
    }
    return w;
}

}  // namespace

LoudestStretch::LoudestStretch(std::size_t length) : length_(std::max<std::size_t>(length, 1)) {
    current_.reserve(length_);
    loudest_.reserve(length_);
}

void LoudestStretch::Feed(std::span<const float> samples, double energy) {
    current_.insert(current_.end(), samples.begin(), samples.end());
    currentEnergy_ += energy;
    {
        if (current_.size() >= length_) {
            if (currentEnergy_ > loudestEnergy_) {
                loudestEnergy_ = currentEnergy_;
                std::swap(current_, loudest_);
            }
            current_.clear();
            currentEnergy_ = 0.0;
        }
    }
}

std::span<const float> LoudestStretch::Loudest() const {
    return loudestEnergy_ >= 0.0 ? std::span<const float>(loudest_)
                                 : std::span<const float>(current_);
}

std::vector<FoundTone> StrongestTones(std::span<const float> samples, int sampleRate) {
    std::vector<FoundTone> tones;
    if (samples.size() < 16) {
        return tones;
    }
    const auto count = static_cast<double>(samples.size());
    const double rate = sampleRate;
    // Steps of one bin of the stretch, from the lowest tone it can hold a
    // few periods of up to half the sample rate or the top of hearing,
    // which keeps the scan short at the highest rates.
    const double stepHertz = rate / count;
    struct Peak {
        double hertz;
        double power;
    };
    const std::vector<double> window = HannWindow(samples.size());
    double weightTotal = 0.0;
    for (const double weight : window) {
        weightTotal += weight;
    }
    std::vector<double> power;
    const double top = std::min(rate / 2.0, kTopHertz);
    // Counted in whole steps, so that the scanned frequencies are the ones
    // the peaks are named after below, without a sum's rounding drift.
    for (std::size_t step = 1; stepHertz * static_cast<double>(step) < top; ++step) {
        const double f = stepHertz * static_cast<double>(step);
        power.push_back(std::norm(WeightedSum(samples, window, kTwoPi * f / rate)));
    }
    std::vector<Peak> peaks;
    for (std::size_t i = 0; i < power.size(); ++i) {
        const bool aboveLeft = i == 0 || power[i] > power[i - 1];
        const bool notBelowRight = i + 1 == power.size() || power[i] >= power[i + 1];
        if (aboveLeft && notBelowRight) {
            peaks.push_back({stepHertz * static_cast<double>(i + 1), power[i]});
        }
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const Peak& a, const Peak& b) { return a.power > b.power; });
    double strongest = 0.0;
    for (const Peak& peak : peaks) {
        if (tones.size() == 2) {
            break;
        }
        const double w = RefineFrequency(samples, kTwoPi * peak.hertz / rate);
        const double hertz = w * rate / kTwoPi;
        const double amplitude = 2.0 * std::abs(WeightedSum(samples, window, w)) / weightTotal;
        const bool seen = std::any_of(tones.begin(), tones.end(), [&](const FoundTone& tone) {
            return std::abs(tone.hertz - hertz) < kDistinctSteps * stepHertz;
        });
        const bool faint = !tones.empty() && amplitude < kMaxBelowStrongest * strongest;
        if (amplitude < kSilentAmplitude || seen || faint || hertz <= 0.0) {
            continue;
        }
        strongest = std::max(strongest, amplitude);
        tones.push_back({hertz, 20.0 * std::log10(amplitude)});
    }
    std::sort(tones.begin(), tones.end(),
              [](const FoundTone& a, const FoundTone& b) { return a.hertz > b.hertz; });
    return tones;
}

}  // namespace tonecheck
