// What came out of a recording: the telephone keys found in it, when and how
// they sounded, or, when there is none, its two strongest tones. A window
// can show the same facts as quenbrix-tone --check.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "tonecheck/sample_source.h"
#include "tonegen/failure.h"

namespace tonecheck {

// A tone's level is in dB relative to a full-scale sine (0 dBFS); twist is
// the high-group tone's level minus the low-group tone's.
struct CheckSettings {
    double minLevelDbfs = -35.0;     // each tone of a key at least this loud
    double maxTwistNormalDb = 8.0;   // the high-group tone at most this much weaker
    double maxTwistReverseDb = 4.0;  // ... and at most this much stronger
};

struct FoundKey {
    char key = '\0';
    double startMs = 0.0;
    double endMs = 0.0;
    double highHertz = 0.0;  // measured, not the nominal column frequency
    double lowHertz = 0.0;
    double highLevelDbfs = 0.0;
    double lowLevelDbfs = 0.0;
    double twistDb = 0.0;
};

struct FoundTone {
    double hertz = 0.0;
    double levelDbfs = 0.0;
};

struct CheckResult {
    std::vector<FoundKey> keys;
    // Only when no key was found: the two strongest tones of the loudest
    // stretch, higher frequency first (fewer for silence).
    std::vector<FoundTone> strongestTones;
    double durationMs = 0.0;

    [[nodiscard]] std::string KeyString() const;
};

// Detects keys the way ITU-T Q.24 receivers do: each tone within ±1.5 % of
// its nominal frequency is accepted and beyond ±3.5 % refused, tones of
// 40 ms or more are found and those under 23 ms are not, a break of up to
// 10 ms does not split a key, and 40 ms of pause separates two presses of
// the same key. Fed block by block; its memory does not grow with the
// length of the sound. Below 4,000 samples a second it finds no key.
class DtmfDetector {
  public:
    DtmfDetector(int sampleRate, const CheckSettings& settings);
    ~DtmfDetector();
    DtmfDetector(const DtmfDetector&) = delete;
    DtmfDetector& operator=(const DtmfDetector&) = delete;

    void Feed(std::span<const float> samples);
    // Ends the sound and gives what was found.
    CheckResult Finish();

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads source to its end through a detector.
std::variant<CheckResult, tonegen::Failure> CheckSource(SampleSource& source,
                                                        const CheckSettings& settings);

}  // namespace tonecheck
