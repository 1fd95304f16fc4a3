#include "sound_player.h"

// Out of line so that the vtable has one home.
SoundPlayer::~SoundPlayer() = default;
