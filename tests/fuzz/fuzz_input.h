// Decodes a fuzzer's byte string into the values a host passes. Every read is defined for every
// input: once the bytes run out, each read gives 0, so an input always decodes to one finite
// sequence of host calls. tests/fuzz/corpus/make_seeds.py writes seeds in this encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool done() const { return position >= size; }

    std::uint8_t byte() { return position < size ? data[position++] : 0; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
    std::uint32_t u32() { return u16() | (static_cast<std::uint32_t>(u16()) << 16); }
    std::uint64_t u64() { return u32() | (static_cast<std::uint64_t>(u32()) << 32); }

    // An int32 that is mostly small (-8 to 191), sometimes an edge of the range or any value.
    std::int32_t anyInt() {
        const std::uint8_t b = byte();
        if (b < 200) return b - 8;
        if (b == 255) return static_cast<std::int32_t>(u32());
        constexpr std::int32_t kEdges[] = {std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max(),
                                           -1,
                                           255,
                                           256,
                                           4095,
                                           4096,
                                           65535,
                                           65536,
                                           std::numeric_limits<std::int32_t>::min() + 1,
                                           std::numeric_limits<std::int32_t>::max() - 1};
        return kEdges[(b - 200) % (sizeof kEdges / sizeof kEdges[0])];
    }

    // A pointer-sized value, from anyInt or (selector 255 of the first byte) all 64 bits.
    std::intptr_t anyPointerSized() {
        if (position < size && data[position] == 254) {
            ++position;
            return static_cast<std::intptr_t>(u64());
        }
        return anyInt();
    }

    // A block size: 0 to 4096, or -1 or the most negative value.
    std::int32_t frames() {
        const std::int32_t v = u16() % 4099;
        if (v == 4097) return -1;
        if (v == 4098) return std::numeric_limits<std::int32_t>::min();
        return v;
    }

    // A float: a special value (NaN, infinities, subnormals, huge, mapping edges), a value in 0 to
    // 1, or any bit pattern.
    float anyFloat() {
        const std::uint8_t b = byte();
        if (b < 64) return special(b);
        if (b < 192) return static_cast<float>(u16()) / 65535.0f;
        const std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // A float in 0 to 1.
    float unitFloat() { return static_cast<float>(u16()) / 65535.0f; }

    // Zero-terminated text of up to `capacity` - 1 bytes, any byte values but the terminator.
    void text(char* buffer, std::size_t capacity) {
        std::size_t length = byte();
        if (length == 255) length = u16();
        if (length > capacity - 1) length = capacity - 1;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t c = byte();
            buffer[i] = static_cast<char>(c == 0 ? 'x' : c);
        }
        buffer[length] = '\0';
    }

  private:
    static float special(std::uint8_t b) {
        using L = std::numeric_limits<float>;
        const float values[] = {L::quiet_NaN(),
                                -L::quiet_NaN(),
                                L::signaling_NaN(),
                                L::infinity(),
                                -L::infinity(),
                                0.0f,
                                -0.0f,
                                L::denorm_min(),
                                -L::denorm_min(),
                                L::min(),
                                -L::min(),
                                L::max(),
                                -L::max(),
                                L::epsilon(),
                                1e-30f,
                                -1e-30f,
                                1e30f,
                                -1e30f,
                                1e6f,
                                -1e6f,
                                1e7f,
                                3e9f,
                                -3e9f,
                                0.5f,
                                1.0f,
                                -1.0f,
                                2.0f,
                                -2.0f,
                                0.25f,
                                0.75f,
                                1.25f,
                                1.75f,
                                -0.25f,
                                -0.5f,
                                7.0f / 6.0f,
                                -1.0f / 6.0f,
                                0.1f,
                                0.9999f,
                                1.0001f,
                                44100.0f,
                                48000.0f,
                                96000.0f,
                                192000.0f,
                                1.0f / 3.0f,
                                2.0f / 3.0f,
                                1e-38f,
                                1e-45f,
                                8.0f,
                                100.0f,
                                -100.0f,
                                1e15f,
                                1e19f,
                                65536.0f,
                                16777217.0f,
                                2147483648.0f,
                                -2147483904.0f,
                                0.001f,
                                1e-5f,
                                0.3f,
                                0.6f,
                                1.5f,
                                1e38f,
                                -1e38f,
                                3.4e38f};
        return values[b % (sizeof values / sizeof values[0])];
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};
