#include "silent_player.h"

void SilentPlayer::play(const std::filesystem::path& /*path*/) {}
