// The output's level: the volume control's gain times channel volume (controller 7) and
// expression (controller 11), each controller as (value / 127)^2, the usual 40 log10 curve. A
// change glides there in a straight line, so that it cannot click. At unity, and not gliding,
// the output passes untouched. Touched only on the audio thread.
#pragma once

#include <cstdint>

class OutputGain {
  public:
    void setChannelVolume(std::uint8_t value) {
        channelVolume = value & 0x7F;
        controllersMoved = true;
    }
    void setExpression(std::uint8_t value) {
        expression = value & 0x7F;
        controllersMoved = true;
    }

    // Takes the volume control's gain (1 at 0 dB): a new target starts a glide of
    // kGlideSeconds at `sampleRate` (at least one frame) from where the gain stands.
    void follow(float volumeGain, double sampleRate) {
        // Most calls find nothing moved: no arithmetic for them.
        if (volumeGain != volumeFollowed || controllersMoved) retarget(volumeGain, sampleRate);
    }
    static constexpr double kGlideSeconds = 0.015;
    bool gliding() const { return glideLeft > 0; }
    // Ends a glide at once: while nothing sounds there is nothing a jump could click in, and a
    // level nobody heard is no level to glide from.
    void settle() {
        gain = target;
        glideLeft = 0;
    }
    // The output needs no scaling: the gain is 1 and stays there.
    bool unity() const { return gain == 1.0f && target == 1.0f; }
    // Scales `frames` frames of both channels in place (one buffer when they are the same),
    // gliding on.
    void scale(float* left, float* right, std::int32_t frames);
    // Adds `frames` frames of both sources, scaled, into both outputs, gliding on.
    void addScaled(const float* fromLeft, const float* fromRight, float* left, float* right,
                   std::int32_t frames);

  private:
    void retarget(float volumeGain, double sampleRate);
    // The gain of each of the next `frames` frames (at most kGlideBlock) into `out`.
    void nextGains(float* out, std::int32_t frames);
    static constexpr std::int32_t kGlideBlock = 64;

    std::uint8_t channelVolume = 127, expression = 127;
    bool controllersMoved = false;
    float volumeFollowed = 1.0f; // the volume's gain the target was made from
    float gain = 1.0f, target = 1.0f, step = 0.0f;
    std::int32_t glideLeft = 0; // frames until the gain reaches the target
};
