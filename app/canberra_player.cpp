#include "canberra_player.h"

#include <canberra.h>

#include <cstdint>

#include <QFile>

namespace {

// Every sound of the program shares one id, so that cancelling it stops
// whatever the previous call started.
constexpr std::uint32_t kSoundId = 1;

// The freedesktop theme's generic alert, heard when the file cannot be played.
constexpr const char* kFallbackEvent = "bell";

}  // namespace

CanberraPlayer::CanberraPlayer() = default;

CanberraPlayer::~CanberraPlayer() {
    if (context_ != nullptr) {
        ca_context_destroy(context_);
    }
}

ca_context* CanberraPlayer::context() {
    if (context_ == nullptr && !contextFailed_) {
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            contextFailed_ = true;  // no audio at all: stay silent from now on
            return nullptr;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Quenbrix",
                                CA_PROP_APPLICATION_ID, "quenbrix", nullptr);
    }
    return context_;
}

void CanberraPlayer::play(const QString& path) {
    ca_context* ctx = context();
    if (ctx == nullptr) {
        return;
    }
    ca_context_cancel(ctx, kSoundId);
    const QByteArray file = QFile::encodeName(path);
    // test.wav is rewritten between plays, so the sound server must never
    // keep a copy of it.
    const int result = ca_context_play(ctx, kSoundId, CA_PROP_MEDIA_FILENAME, file.constData(),
                                       CA_PROP_CANBERRA_CACHE_CONTROL, "never", CA_PROP_MEDIA_ROLE,
                                       "event", nullptr);
    if (result == CA_SUCCESS || result == CA_ERROR_NODRIVER || result == CA_ERROR_DISABLED) {
        return;
    }
    // Missing, unreadable or not a sound: the desktop's alert instead, or
    // nothing if the theme has none.
    ca_context_play(ctx, kSoundId, CA_PROP_EVENT_ID, kFallbackEvent, CA_PROP_CANBERRA_CACHE_CONTROL,
                    "permanent", nullptr);
}
