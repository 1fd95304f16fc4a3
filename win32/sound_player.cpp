#include "sound_player.h"

namespace win32 {

// Out of line so that the vtable has one home.
SoundPlayer::~SoundPlayer() = default;

}  // namespace win32
