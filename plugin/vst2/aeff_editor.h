// The editor base class: what the dispatcher addresses for the editor opcodes. Every operation
// has a harmless default; the instrument's editor overrides what it needs.
#pragma once

#include <cstdint>

#include "plugin/vst2/aeffectx.h"

class AudioEffect;

class AEffEditor {
  public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // [ui thread] Publishes the editor's size by storing the address of a rectangle it owns.
    virtual std::int32_t getRect(ERect** rect) {
        *rect = nullptr;
        return 0;
    }
    // [ui thread] `ptr` is the host's parent window.
    virtual std::int32_t open(void* ptr) {
        systemWindow = ptr;
        return 0;
    }
    virtual void close() {}
    // [ui thread] Runs a pending update; an update asked for during `update` waits for the next
    // idle.
    virtual void idle() {
        if (updateFlag != 0) {
            updateFlag = 0;
            update();
        }
    }
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    virtual std::int32_t onKeyDown(VstKeyCode& /*keyCode*/) { return -1; }
    virtual std::int32_t onKeyUp(VstKeyCode& /*keyCode*/) { return -1; }
    virtual std::int32_t setKnobMode(std::int32_t /*mode*/) { return 0; }
    virtual bool onWheel(float /*distance*/) { return false; }

  protected:
    AudioEffect* effect;          // not owned: the plug-in owns its editor
    void* systemWindow = nullptr; // the parent window of the last open
    std::int32_t updateFlag = 0;  // 1 while an update is pending
};

// The second-generation editor base; adds nothing.
class AEffEditorX : public AEffEditor {
  public:
    using AEffEditor::AEffEditor;
};
