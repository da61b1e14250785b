#include "tools/render/voice_count.h"

#include <algorithm>
#include <array>

std::int64_t countVoiceFrames(const std::vector<TimedMessage>& messages, std::int64_t totalFrames) {
    std::array<std::array<std::int32_t, 128>, 16> held{}; // note-ons not yet ended, by key
    std::int64_t sounding = 0;
    std::int64_t voiceFrames = 0;
    std::int64_t previous = 0;
    for (const TimedMessage& m : messages) {
        const std::int64_t frame = std::min(m.frame, totalFrames);
        voiceFrames += sounding * (frame - previous);
        previous = frame;
        const int type = m.bytes[0] & 0xF0;
        auto& keys = held[m.bytes[0] & 0x0F];
        const int key = m.bytes[1] & 0x7F;
        if (type == 0x90 && m.bytes[2] > 0) {
            ++keys[key];
            ++sounding;
        } else if ((type == 0x80 || type == 0x90) && keys[key] > 0) {
            --keys[key];
            --sounding;
        } else if (type == 0xB0 && (key == 120 || key >= 123)) {
            for (std::int32_t& count : keys) {
                sounding -= count;
                count = 0;
            }
        }
    }
    return voiceFrames + sounding * (totalFrames - previous);
}
