#include "silent_player.h"

void SilentPlayer::play(const QString& /*path*/) {}
