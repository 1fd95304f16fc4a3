#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <deque>
#include <limits>
#include <numbers>
#include <optional>

#include "goertzel_bank.h"
#include "strongest_tones.h"
#include "tonecheck/dtmf_check.h"
#include "tonegen/dtmf_keys.h"

namespace tonecheck {

namespace {

using Complex = std::complex<double>;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The sound is cut into blocks of 5 ms, and keys are judged on windows of
// five blocks (25 ms) sliding by one block: long enough to tell 697 Hz from
// 770 Hz, short enough that a 40 ms tone fills at least three whole windows.
constexpr double kBlockSeconds = 0.005;
constexpr std::size_t kWindowBlocks = 5;
// Enough past blocks to place both edges of a key (they lie within a window
// or two of its first and last windows).
constexpr std::size_t kKeptBlocks = 4 * kWindowBlocks;
// Q.24 accepts a tone within 1.5 % of its frequency and refuses it beyond
// 3.5 %; the receiver decides half-way.
constexpr double kMaxDeviation = 0.025;
// Q.24 finds tones of 40 ms or more and none under 23 ms.
constexpr double kMinKeySeconds = 0.030;
// A break of up to 10 ms inside a tone does not split it; 40 ms of pause
// separates two presses of the same key.
constexpr double kMaxBreakSeconds = 0.025;
// The two tones carry at least half the window's power: noise, speech and
// music spread theirs over many frequencies.
constexpr double kMinToneShare = 0.5;
// A pure tone has almost no second harmonic; a voice or an instrument whose
// partials happen to hit a key's frequencies has strong ones. Half the
// tone's amplitude leaves room for what the other tone of the key leaks
// into the harmonic's filter.
constexpr double kMaxHarmonicRatio = 0.5;
// Below this sample rate the high group cannot be carried (1633 Hz needs
// more than 3,266 samples a second, and a margin for the filters).
constexpr double kMinKeyRate = 4000.0;
// When there is no key, the strongest tones are sought in the loudest 200 ms.
constexpr std::size_t kLoudestBlocks = 40;
// An edge of a key lies where a block holds half the key's amplitude.
constexpr double kEdgeShare = 0.5;

constexpr std::size_t kFundamentals = 8;  // rows 0-3, columns 4-7
constexpr std::array<int, 2 * kFundamentals> kFilterHertz = [] {
    std::array<int, 2 * kFundamentals> hertz{};
    for (std::size_t i = 0; i < 4; ++i) {
        hertz[i] = tonegen::kDtmfRowFrequencies[i];
        hertz[i + 4] = tonegen::kDtmfColumnFrequencies[i];
    }
    for (std::size_t i = 0; i < kFundamentals; ++i) {
        hertz[i + kFundamentals] = 2 * hertz[i];
    }
    return hertz;
}();

// An angle brought into [-pi, pi].
double Wrap(double radians) {
    return radians - kTwoPi * std::nearbyint(radians / kTwoPi);
}

double Decibels(double amplitude) {
    return 20.0 * std::log10(std::max(amplitude, 1e-15));
}

char KeyAt(std::size_t row, std::size_t column) {
    return tonegen::kDtmfKeys[row * 4 + column].key;
}

struct BlockFacts {
    std::array<Complex, 2 * kFundamentals> sums{};
    std::array<double, kFundamentals> magnitude{};
    // Each block's sum times the conjugate of the previous one's, added up
    // since the start of the sound: over any stretch of blocks, the argument
    // of the difference is the phase a tone gains per block there, weighted
    // by its strength. Unlike a window's, it is not fooled by a window that
    // the key fills only in part.
    std::array<Complex, kFundamentals> advances{};
    double energy = 0.0;
};

// One window of a key: its index (that of its last block), each tone's
// amplitude and phase unwrapped since the key began.
struct WindowPoint {
    std::int64_t index = 0;
    double lowAmplitude = 0.0;
    double highAmplitude = 0.0;
    double lowPhase = 0.0;
    double highPhase = 0.0;
};

struct Stretch {
    int count = 0;
    double lowSum = 0.0;
    double highSum = 0.0;
    WindowPoint first;
    WindowPoint last;

    void Add(const WindowPoint& point) {
        if (count == 0) {
            first = point;
        }
        last = point;
        ++count;
        lowSum += point.lowAmplitude;
        highSum += point.highAmplitude;
    }
};

// A run of consecutive windows that all hold the same key.
struct Run {
    char key = '\0';
    std::size_t low = 0;  // filter indexes
    std::size_t high = 0;
    std::int64_t lastWindow = 0;
    std::int64_t refineEndAt = 0;  // the block once which the end can be placed
    double startSample = 0.0;
    double lowStepHertz = 0.0;  // from the first window alone, for the shortest runs
    double highStepHertz = 0.0;
    double lastLowArg = 0.0;
    double lastHighArg = 0.0;
    std::int64_t firstBlock = 0;
    Complex lowAdvancesBefore;  // the running sums at the key's first block
    Complex highAdvancesBefore;
    WindowPoint latest;
    std::deque<WindowPoint> recent;  // the last windows, not yet known to be whole
    Stretch whole;                   // windows wholly inside the key
    Stretch all;
};

// A key as the runs give it, before breaks are bridged and Q.24's limits applied.
struct Segment {
    char key = '\0';
    double startSample = 0.0;
    double endSample = 0.0;
    double lowHertz = 0.0;
    double highHertz = 0.0;
    Complex lowAdvances;  // over the blocks inside the key
    Complex highAdvances;
    Stretch levels;
};

}  // namespace

class DtmfDetector::Impl {
  public:
    Impl(int sampleRate, const CheckSettings& settings)
        : rate_(sampleRate),
          settings_(settings),
          blockLength_(std::max<std::size_t>(
              1, static_cast<std::size_t>(std::lround(sampleRate * kBlockSeconds)))),
          windowLength_(static_cast<double>(blockLength_ * kWindowBlocks)),
          minAmplitude_(std::pow(10.0, settings.minLevelDbfs / 20.0)),
          keyBank_(sampleRate, std::span(kFilterHertz).first(kFundamentals), blockLength_),
          harmonicBank_(sampleRate, std::span(kFilterHertz).subspan(kFundamentals), blockLength_),
          blocks_(kKeptBlocks),
          loudest_(kLoudestBlocks * blockLength_) {
        pending_.reserve(blockLength_);
        for (std::size_t k = 0; k < kFundamentals; ++k) {
            // A harmonic above half the sample rate folds back elsewhere.
            harmonicUsable_[k] = 2.0 * kFilterHertz[k + kFundamentals] < rate_;
        }
    }

    void Feed(std::span<const float> samples) {
        samplesSeen_ += static_cast<std::int64_t>(samples.size());
        while (!samples.empty()) {
            const std::size_t take = std::min(samples.size(), blockLength_ - pending_.size());
            pending_.insert(pending_.end(), samples.begin(),
                            samples.begin() + static_cast<std::ptrdiff_t>(take));
            samples = samples.subspan(take);
            if (pending_.size() == blockLength_) {
                TakeBlock();
                pending_.clear();
            }
        }
    }

    CheckResult Finish() {
        // The last, shorter block, as silence to its end: a key that lasts
        // to the end of the sound ends where the sound does.
        if (!pending_.empty()) {
            pending_.resize(blockLength_, 0.0F);
            TakeBlock();
            pending_.clear();
        }
        if (active_) {
            Close();
        }
        while (!closing_.empty()) {
            FinishRun();
        }
        if (segment_) {
            Emit(*segment_);
            segment_.reset();
        }
        result_.durationMs = 1000.0 * static_cast<double>(samplesSeen_) / rate_;
        if (result_.keys.empty()) {
            result_.strongestTones = StrongestTones(loudest_.Loudest(), static_cast<int>(rate_));
        }
        return std::move(result_);
    }

  private:
    BlockFacts& Block(std::int64_t index) {
        return blocks_[static_cast<std::size_t>(index) % kKeptBlocks];
    }
    bool Kept(std::int64_t index) const {
        return index >= 0 && index <= newest_ &&
               newest_ - index < static_cast<std::int64_t>(kKeptBlocks);
    }

    void TakeBlock() {
        ++newest_;
        BlockFacts& block = Block(newest_);
        block.energy = keyBank_.Process(pending_, std::span(block.sums).first(kFundamentals));
        loudest_.Feed(pending_, block.energy);
        // A block far below the least key level adds nothing that could
        // make a harmonic strong enough to matter: its harmonics are skipped.
        const auto harmonics = std::span(block.sums).subspan(kFundamentals);
        if (block.energy >=
            0.25 * minAmplitude_ * minAmplitude_ * static_cast<double>(blockLength_)) {
            harmonicBank_.Process(pending_, harmonics);
        } else {
            harmonicBank_.Skip();
            std::fill(harmonics.begin(), harmonics.end(), Complex(0.0, 0.0));
        }
        const BlockFacts* const previous = newest_ > 0 ? &Block(newest_ - 1) : nullptr;
        for (std::size_t k = 0; k < kFundamentals; ++k) {
            block.magnitude[k] = std::sqrt(std::norm(block.sums[k]));
            block.advances[k] =
                previous == nullptr
                    ? Complex(0.0, 0.0)
                    : previous->advances[k] + block.sums[k] * std::conj(previous->sums[k]);
        }
        if (newest_ + 1 >= static_cast<std::int64_t>(kWindowBlocks) && rate_ >= kMinKeyRate) {
            JudgeWindow();
        }
        while (!closing_.empty() && closing_.front().refineEndAt <= newest_) {
            FinishRun();
        }
    }

    // What a tone's filter says about the current window.
    struct ToneReading {
        double hertz = 0.0;
        double amplitude = 0.0;
        double arg = 0.0;
        bool nearNominal = false;
    };

    ToneReading Read(std::size_t filter) const {
        ToneReading reading;
        const Complex sum = window_[filter];
        // The phase gained since the previous window, one block earlier.
        const double step = Wrap(std::arg(sum * std::conj(previousWindow_[filter]))) /
                            static_cast<double>(blockLength_);
        reading.hertz = kFilterHertz[filter] + step * rate_ / kTwoPi;
        reading.nearNominal = std::abs(reading.hertz / kFilterHertz[filter] - 1.0) <= kMaxDeviation;
        // A tone off the filter's frequency comes out weaker by the window's
        // response there: undone, so that levels and twist are the tone's own.
        const double half = step / 2.0;
        const double response =
            std::abs(half) < 1e-12
                ? 1.0
                : std::abs(std::sin(half * windowLength_) / (windowLength_ * std::sin(half)));
        reading.amplitude =
            2.0 * std::sqrt(std::norm(sum)) / (windowLength_ * std::max(response, 1e-3));
        return reading;
    }

    void JudgeWindow() {
        previousWindow_ = window_;
        window_.fill(Complex(0.0, 0.0));
        double energy = 0.0;
        for (std::int64_t i = newest_ + 1 - static_cast<std::int64_t>(kWindowBlocks); i <= newest_;
             ++i) {
            const BlockFacts& block = Block(i);
            for (std::size_t k = 0; k < kFundamentals; ++k) {
                window_[k] += block.sums[k];
            }
            energy += block.energy;
        }
        const bool hasPrevious = newest_ >= static_cast<std::int64_t>(kWindowBlocks);
        std::optional<std::pair<std::size_t, std::size_t>> key;
        ToneReading low;
        ToneReading high;
        if (hasPrevious) {
            std::size_t row = 0;
            std::size_t column = 4;
            for (std::size_t k = 0; k < 4; ++k) {
                row = std::norm(window_[k]) > std::norm(window_[row]) ? k : row;
                column = std::norm(window_[k + 4]) > std::norm(window_[column]) ? k + 4 : column;
            }
            // Each of two tones at least at the minimum level: the window
            // holds at least their power. Most silence ends here.
            if (energy < minAmplitude_ * minAmplitude_ * windowLength_) {
                if (active_) {
                    Close();
                }
                return;
            }
            low = Read(row);
            high = Read(column);
            if (IsKey(row, low, column, high, energy)) {
                key = std::make_pair(row, column);
            }
        }
        if (active_ && (!key || key->first != active_->low || key->second != active_->high)) {
            Close();
        }
        if (!key) {
            return;
        }
        low.arg = std::arg(window_[key->first]);
        high.arg = std::arg(window_[key->second]);
        if (!active_) {
            Open(key->first, key->second, low, high);
        }
        Extend(low, high);
    }

    bool IsKey(std::size_t row, const ToneReading& low, std::size_t column, const ToneReading& high,
               double energy) const {
        if (!low.nearNominal || !high.nearNominal) {
            return false;
        }
        if (low.amplitude < minAmplitude_ || high.amplitude < minAmplitude_) {
            return false;
        }
        const double twist = Decibels(high.amplitude) - Decibels(low.amplitude);
        if (twist < -settings_.maxTwistNormalDb || twist > settings_.maxTwistReverseDb) {
            return false;
        }
        const double tonePower =
            (low.amplitude * low.amplitude + high.amplitude * high.amplitude) / 2.0;
        if (tonePower < kMinToneShare * energy / windowLength_) {
            return false;
        }
        for (const auto& [filter, amplitude] :
             {std::pair{row, low.amplitude}, {column, high.amplitude}}) {
            Complex sum(0.0, 0.0);
            for (std::int64_t i = newest_ + 1 - static_cast<std::int64_t>(kWindowBlocks);
                 i <= newest_; ++i) {
                sum +=
                    blocks_[static_cast<std::size_t>(i) % kKeptBlocks].sums[filter + kFundamentals];
            }
            const double harmonic = 2.0 * std::sqrt(std::norm(sum)) / windowLength_;
            if (harmonicUsable_[filter] && harmonic > kMaxHarmonicRatio * amplitude) {
                return false;
            }
        }
        return true;
    }

    // How much of block index the key fills, from its tones' amplitudes there
    // against those of a whole block of the key (reference).
    double Share(const Run& run, std::int64_t index, const std::array<double, 2>& reference) {
        const BlockFacts& block = Block(index);
        const double share = 0.5 * (block.magnitude[run.low] / reference[0] +
                                    block.magnitude[run.high] / reference[1]);
        return std::clamp(share, 0.0, 1.0);
    }

    // The fullest block of the window ending at index, and the amplitudes of
    // a block the key fills whole.
    std::pair<std::int64_t, std::array<double, 2>> Fullest(const Run& run, std::int64_t index) {
        // The median block: a window that holds a key is at least half
        // filled by it, and the median is less moved than the strongest block
        // by what the other tone leaks into each filter.
        std::array<double, kWindowBlocks> lows{};
        std::array<double, kWindowBlocks> highs{};
        for (std::size_t j = 0; j < kWindowBlocks; ++j) {
            const BlockFacts& block =
                Block(index + 1 - static_cast<std::int64_t>(kWindowBlocks - j));
            lows[j] = block.magnitude[run.low];
            highs[j] = block.magnitude[run.high];
        }
        const auto middle = static_cast<std::ptrdiff_t>(kWindowBlocks / 2);
        std::nth_element(lows.begin(), lows.begin() + middle, lows.end());
        std::nth_element(highs.begin(), highs.begin() + middle, highs.end());
        const std::array<double, 2> reference{std::max(lows[kWindowBlocks / 2], 1e-30),
                                              std::max(highs[kWindowBlocks / 2], 1e-30)};
        std::int64_t fullest = index;
        double best = -1.0;
        for (std::int64_t i = index + 1 - static_cast<std::int64_t>(kWindowBlocks); i <= index;
             ++i) {
            const double share = Share(run, i, reference);
            if (share > best) {
                best = share;
                fullest = i;
            }
        }
        return {fullest, reference};
    }

    void Open(std::size_t row, std::size_t column, const ToneReading& low,
              const ToneReading& high) {
        Run run;
        run.key = KeyAt(row, column - 4);
        run.low = row;
        run.high = column;
        run.lowStepHertz = low.hertz;
        run.highStepHertz = high.hertz;
        run.lastLowArg = low.arg;
        run.lastHighArg = high.arg;
        run.latest = {newest_, 0.0, 0.0, 0.0, 0.0};
        // The start: back from the fullest block while blocks are mostly key.
        const auto [fullest, reference] = Fullest(run, newest_);
        std::int64_t first = fullest;
        while (Kept(first - 1) && Share(run, first - 1, reference) >= kEdgeShare) {
            --first;
        }
        const double before = Kept(first - 1) ? Share(run, first - 1, reference) : 0.0;
        const auto length = static_cast<double>(blockLength_);
        run.startSample = static_cast<double>(first) * length +
                          (1.0 - Share(run, first, reference)) * length - before * length;
        run.firstBlock = first;
        run.lowAdvancesBefore = Block(first).advances[run.low];
        run.highAdvancesBefore = Block(first).advances[run.high];
        active_ = run;
    }

    void Extend(const ToneReading& low, const ToneReading& high) {
        Run& run = *active_;
        WindowPoint point = run.latest;
        if (run.all.count > 0) {
            point.lowPhase += Wrap(low.arg - run.lastLowArg);
            point.highPhase += Wrap(high.arg - run.lastHighArg);
        }
        point.index = newest_;
        point.lowAmplitude = low.amplitude;
        point.highAmplitude = high.amplitude;
        run.lastLowArg = low.arg;
        run.lastHighArg = high.arg;
        run.latest = point;
        run.lastWindow = newest_;
        run.all.Add(point);
        run.recent.push_back(point);
        // A window followed by a whole window's worth of the same key is
        // filled by it at its end; at its start once it begins after the key.
        if (run.recent.size() > kWindowBlocks) {
            AddIfWhole(run, run.recent.front(), std::numeric_limits<double>::infinity());
            run.recent.pop_front();
        }
    }

    void AddIfWhole(Run& run, const WindowPoint& point, double endSample) {
        const auto length = static_cast<double>(blockLength_);
        const double windowStart = static_cast<double>(point.index + 1) * length - windowLength_;
        const double windowEnd = static_cast<double>(point.index + 1) * length;
        // Half a millisecond of slack for where an edge was placed.
        const double slack = 0.0005 * rate_;
        if (windowStart >= run.startSample - slack && windowEnd <= endSample + slack) {
            run.whole.Add(point);
        }
    }

    void Close() {
        active_->refineEndAt = active_->lastWindow + static_cast<std::int64_t>(kWindowBlocks);
        closing_.push_back(std::move(*active_));
        active_.reset();
    }

    // Places the end of the oldest closed run and passes its key on.
    void FinishRun() {
        Run run = std::move(closing_.front());
        closing_.pop_front();
        const auto [fullest, reference] = Fullest(run, run.lastWindow);
        std::int64_t last = fullest;
        while (Kept(last + 1) && Share(run, last + 1, reference) >= kEdgeShare) {
            ++last;
        }
        const double after = Kept(last + 1) ? Share(run, last + 1, reference) : 0.0;
        const auto length = static_cast<double>(blockLength_);
        const double endSample = static_cast<double>(last + 1) * length -
                                 (1.0 - Share(run, last, reference)) * length + after * length;
        for (const WindowPoint& point : run.recent) {
            AddIfWhole(run, point, endSample);
        }
        Segment segment;
        segment.key = run.key;
        segment.startSample = run.startSample;
        segment.endSample = std::max(endSample, run.startSample);
        // The phase each tone gained from the first to the last window gives
        // its frequency; windows wholly inside the key, when there are two,
        // are free of what the edges add.
        const Stretch& span = run.whole.count >= 2 ? run.whole : run.all;
        if (span.count >= 2) {
            const double samples = static_cast<double>(span.last.index - span.first.index) * length;
            const auto measured = [&](std::size_t filter, double gained) {
                return kFilterHertz[filter] + gained / samples * rate_ / kTwoPi;
            };
            segment.lowHertz = measured(run.low, span.last.lowPhase - span.first.lowPhase);
            segment.highHertz = measured(run.high, span.last.highPhase - span.first.highPhase);
        } else {
            segment.lowHertz = run.lowStepHertz;
            segment.highHertz = run.highStepHertz;
        }
        segment.levels = run.whole.count > 0 ? run.whole : run.all;
        // The advances up to the block before the last, which the key may
        // fill only in part.
        if (last - 1 > run.firstBlock && Kept(last - 1)) {
            segment.lowAdvances = Block(last - 1).advances[run.low] - run.lowAdvancesBefore;
            segment.highAdvances = Block(last - 1).advances[run.high] - run.highAdvancesBefore;
        }
        Bridge(segment);
    }

    // Joins a key to the previous one across a short break, or lets the
    // previous one go.
    void Bridge(const Segment& next) {
        if (segment_ && segment_->key == next.key &&
            next.startSample - segment_->endSample <= kMaxBreakSeconds * rate_) {
            Segment& joined = *segment_;
            const double before = joined.endSample - joined.startSample;
            const double added = next.endSample - next.startSample;
            const double total = std::max(before + added, 1.0);
            joined.lowHertz = (joined.lowHertz * before + next.lowHertz * added) / total;
            joined.highHertz = (joined.highHertz * before + next.highHertz * added) / total;
            joined.endSample = next.endSample;
            joined.lowAdvances += next.lowAdvances;
            joined.highAdvances += next.highAdvances;
            joined.levels.count += next.levels.count;
            joined.levels.lowSum += next.levels.lowSum;
            joined.levels.highSum += next.levels.highSum;
            return;
        }
        if (segment_) {
            Emit(*segment_);
        }
        segment_ = next;
    }

    // The frequency of a tone from its blocks' advances, or the measured one
    // when the key is too short to have any.
    double BlockHertz(int nominal, Complex advances, double measured) const {
        if (std::norm(advances) == 0.0) {
            return measured;
        }
        return nominal + std::arg(advances) / static_cast<double>(blockLength_) * rate_ / kTwoPi;
    }

    void Emit(const Segment& segment) {
        const double seconds = (segment.endSample - segment.startSample) / rate_;
        const tonegen::DtmfKey nominal = *tonegen::FindDtmfKey(segment.key);
        const auto within = [](double hertz, int nominalHertz) {
            return std::abs(hertz / nominalHertz - 1.0) <= kMaxDeviation;
        };
        // Both measures must agree that the key is near its frequencies: the
        // windows' phase is the finer, the blocks' the harder to fool.
        const bool near =
            within(segment.lowHertz, nominal.lowHertz) &&
            within(segment.highHertz, nominal.highHertz) &&
            within(BlockHertz(nominal.lowHertz, segment.lowAdvances, segment.lowHertz),
                   nominal.lowHertz) &&
            within(BlockHertz(nominal.highHertz, segment.highAdvances, segment.highHertz),
                   nominal.highHertz);
        if (seconds < kMinKeySeconds || !near || segment.levels.count == 0) {
            return;
        }
        FoundKey key;
        key.key = segment.key;
        key.startMs = 1000.0 * segment.startSample / rate_;
        key.endMs = 1000.0 * segment.endSample / rate_;
        key.lowHertz = segment.lowHertz;
        key.highHertz = segment.highHertz;
        key.lowLevelDbfs = Decibels(segment.levels.lowSum / segment.levels.count);
        key.highLevelDbfs = Decibels(segment.levels.highSum / segment.levels.count);
        key.twistDb = key.highLevelDbfs - key.lowLevelDbfs;
        result_.keys.push_back(key);
    }

    double rate_;
    CheckSettings settings_;
    std::size_t blockLength_;
    double windowLength_;
    double minAmplitude_;
    GoertzelBank keyBank_;
    GoertzelBank harmonicBank_;
    std::vector<float> pending_;
    std::vector<BlockFacts> blocks_;
    std::int64_t newest_ = -1;
    std::int64_t samplesSeen_ = 0;
    std::array<Complex, 2 * kFundamentals> window_{};
    std::array<Complex, 2 * kFundamentals> previousWindow_{};
    std::array<bool, kFundamentals> harmonicUsable_{};
    std::optional<Run> active_;
    std::deque<Run> closing_;
    std::optional<Segment> segment_;
    LoudestStretch loudest_;
    CheckResult result_;
};

DtmfDetector::DtmfDetector(int sampleRate, const CheckSettings& settings)
    : impl_(std::make_unique<Impl>(sampleRate, settings)) {}

DtmfDetector::~DtmfDetector() = default;

void DtmfDetector::Feed(std::span<const float> samples) {
    impl_->Feed(samples);
}

CheckResult DtmfDetector::Finish() {
    return impl_->Finish();
}

std::string CheckResult::KeyString() const {
    std::string text;
    for (const FoundKey& key : keys) {
        text += key.key;
    }
    return text;
}

std::variant<CheckResult, tonegen::Failure> CheckSource(SampleSource& source,
                                                        const CheckSettings& settings) {
    DtmfDetector detector(source.SampleRate(), settings);
    std::vector<float> block(8192);
    for (;;) {
        const std::size_t count = source.Read(block);
        detector.Feed(std::span<const float>(block).first(count));
        if (count < block.size()) {
            break;
        }
    }
    if (auto failure = source.ReadFailure()) {
        return *failure;
    }
    return detector.Finish();
}

}  // namespace tonecheck
