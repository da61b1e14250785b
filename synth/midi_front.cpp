#include "synth/midi_front.h"

namespace {

// Bytes a channel message takes, status included.
std::size_t messageLength(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

constexpr std::uint8_t dataByte(std::uint8_t value) {
    return value & 0x7F;
}

} // namespace

void MidiFront::message(const std::uint8_t* bytes, std::size_t size, std::int32_t frame) {
    if (bytes == nullptr || size == 0) return;
    const std::uint8_t status = bytes[0];
    // MIDI Tuning Standard messages retune; other SysEx and dump requests, which this intake
    // has no way to answer, change nothing.
    if (status == 0xF0) {
        instrument.applyTuningMessage(bytes, size);
        return;
    }
    if (status < 0x80 || status >= 0xF0 || size < messageLength(status)) return;
    const std::uint8_t data1 = dataByte(bytes[1]);
    const std::uint8_t data2 = messageLength(status) == 3 ? dataByte(bytes[2]) : 0;
    switch (status & 0xF0) {
    case 0x80:
        noteOff(data1, frame);
        break;
    case 0x90:
        noteOn(data1, data2, frame);
        break;
    case 0xB0:
        controller(data1, data2, frame);
        break;
    case 0xC0:
        programChange(data1);
        break;
    case 0xD0:
        channelPressure(data1);
        break;
    case 0xE0:
        pitchBend(static_cast<std::uint16_t>(data2 << 7 | data1));
        break;
    default:
        break;
    }
}

void MidiFront::noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t frame) {
    if (dataByte(velocity) == 0)
        releaseKey(dataByte(note), frame);
    else
        pressKey(dataByte(note), dataByte(velocity), frame);
}

void MidiFront::noteOff(std::uint8_t note, std::int32_t frame) {
    releaseKey(dataByte(note), frame);
}

void MidiFront::pressKey(std::uint8_t key, std::uint8_t velocity, std::int32_t frame) {
    // The instrument releases every voice of a note at once: a key struck again while the pedal
    // holds its earlier note ends that note first, so that lifting the pedal later cannot cut
    // the new one.
    if (sustained[key]) {
        instrument.noteOff(key, frame);
        sustained.reset(key);
    }
    keysDown.set(key);
    instrument.noteOn(key, velocity, frame);
}

void MidiFront::releaseKey(std::uint8_t key, std::int32_t frame) {
    keysDown.reset(key);
    if (pedal)
        sustained.set(key);
    else
        instrument.noteOff(key, frame);
}

void MidiFront::pitchBend(std::uint16_t amount) {
    instrument.bendWheel(amount); // the instrument counts it modulo 16384
}

void MidiFront::channelPressure(std::uint8_t value) {
    instrument.channelPressure(dataByte(value));
}

void MidiFront::programChange(std::uint8_t program) {
    if (dataByte(program) < kProgramCount) instrument.selectProgram(dataByte(program));
}

void MidiFront::reset() {
    controller(64, 0, 0);
    controller(120, 0, 0);
    pitchBend(8192);
}

void MidiFront::controller(std::uint8_t number, std::uint8_t value, std::int32_t frame) {
    value = dataByte(value);
    switch (dataByte(number)) {
    case 1:
        instrument.modWheel(value);
        break;
    case 7:
        instrument.channelVolume(value);
        break;
    case 11:
        instrument.expression(value);
        break;
    case 121: // reset all controllers: those that a stopped song must not leave behind
        instrument.modWheel(0);
        instrument.channelPressure(0);
        instrument.expression(127);
        instrument.bendWheel(8192);
        break;
    case 64: {
        const bool down = value >= 64;
        if (pedal && !down)
            for (std::uint8_t note = 0; note < 128; ++note)
                if (sustained[note]) instrument.noteOff(note, frame);
        if (!down) sustained.reset();
        pedal = down;
        break;
    }
    case 123: // all notes off: what the keys and the pedal hold is released
        for (std::uint8_t note = 0; note < 128; ++note)
            if (keysDown[note] || sustained[note]) instrument.noteOff(note, frame);
        keysDown.reset();
        sustained.reset();
        break;
    case 120: // all sound off: silence at once
        instrument.allSoundOff();
        keysDown.reset();
        sustained.reset();
        break;
    case 126: // the instrument's own all sound off, which leaves what the keys and pedal hold
        instrument.allSoundOff();
        break;
    default:
        break;
    }
}
