// A plug-in that records which of its operations the dispatchers called, with what.
#pragma once

#include <string>
#include <vector>

#include "plugin/vst2/audio_effect_x.h"

class ProbeEditor : public AEffEditorX {
  public:
    using AEffEditorX::AEffEditorX;
    ~ProbeEditor() override { ++destroyed; }

    void update() override { ++updates; }
    std::int32_t onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return 7;
    }
    void* window() const { return systemWindow; }

    static inline int destroyed = 0;
    int updates = 0;
    VstKeyCode lastKey{};
};

class ProbeEffect : public AudioEffectX {
  public:
    explicit ProbeEffect(audioMasterCallback master, std::int32_t programs = 4)
        : AudioEffectX(master, programs, 3) {}

    void process(float**, float**, std::int32_t) override {}
    void setProgram(std::int32_t program) override {
        log.push_back("setProgram " + std::to_string(program));
        AudioEffectX::setProgram(program);
    }
    void setSampleRate(float rate) override {
        log.push_back("setSampleRate");
        AudioEffectX::setSampleRate(rate);
    }
    void suspend() override { log.push_back("suspend"); }
    void resume() override { log.push_back("resume"); }
    float getVu() override { return vu; }
    std::int32_t getChunk(void**, bool isPreset) override {
        log.push_back(isPreset ? "getChunk preset" : "getChunk bank");
        return 0;
    }
    void getProgramName(char* name) override { name[0] = 'p', name[1] = 0; }
    void close() override { log.push_back("close"); }
    void setParameter(std::int32_t index, float value) override {
        log.push_back("setParameter " + std::to_string(index) + " " + std::to_string(value));
    }

    using AudioEffect::curProgram;
    std::vector<std::string> log;
    float vu = 0.0f;
};
