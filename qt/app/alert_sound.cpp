#include "alert_sound.h"

#include <canberra.h>

#include <cstdint>

namespace {

constexpr std::uint32_t kAlertId = 1;
// The freedesktop theme's generic alert.
constexpr const char* kAlertEvent = "bell";

}  // namespace

AlertSound::~AlertSound() {
    if (context_ != nullptr) {
        ca_context_destroy(context_);
    }
}

ca_context* AlertSound::context() {
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

void AlertSound::play() {
    ca_context* ctx = context();
    if (ctx == nullptr) {
        return;
    }
    cancel();
    // An alert is an event sound: it follows the desktop's alert volume.
    playing_ = ca_context_play(ctx, kAlertId, CA_PROP_EVENT_ID, kAlertEvent,
                               CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr) == CA_SUCCESS;
}

void AlertSound::cancel() {
    if (playing_ && context_ != nullptr) {
        ca_context_cancel(context_, kAlertId);
    }
    playing_ = false;
}
