// The desktop's alert, heard in place of a file that cannot be played: the
// sound theme's "bell" through libcanberra, or nothing where there is none.
#pragma once

struct ca_context;

class AlertSound final {
  public:
    AlertSound() = default;
    ~AlertSound();
    AlertSound(const AlertSound&) = delete;
    AlertSound& operator=(const AlertSound&) = delete;

    // Starts the alert and returns at once; an alert still sounding stops first.
    void play();
    // Stops the alert if it still sounds.
    void cancel();

  private:
    // Made on first use: a program that never needs the alert never connects
    // for it.
    ca_context* context();

    ca_context* context_ = nullptr;
    bool contextFailed_ = false;
    bool playing_ = false;
};
