// The samples of a dialled key, computed as every other file's samples are.
#pragma once

#include <cstdint>

#include "sample_formula.h"
#include "tonegen/dtmf_keys.h"

namespace tonegen {

// Frequency 1 is the key's column (high) frequency and frequency 2 its row
// (low) one, as for the window's key "1" (1209 Hz with 697 Hz); each step is
// F / rate × 6.28 in that order, so that at 44,100 Hz sample i of a key's
// stretch, counted from the stretch's start, is sample i of the key's own file.
SampleConstants DialKeyConstants(const DtmfKey& key, std::int32_t sampleRate, double amplitude);

}  // namespace tonegen
