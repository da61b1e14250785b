// The instrument's editor object: answers the host's editor requests, creates the form inside
// the host's window on the first open, and destroys it on the last close. The form reaches the
// instrument through the plug-in's parameter entries, and reports what the user changes to the
// host as automation.
#pragma once

#include <cstdint>
#include <memory>

#include "plugin/vst2/aeff_editor.h"
#include "plugin/vst2/effect_parameter_link.h"

class FormWindow;
class TForm1;

class GrEditor : public AEffEditorX {
  public:
    explicit GrEditor(AudioEffect* effect);
    ~GrEditor() override; // destroys an open form, however many opens are pending

    // [ui thread] Publishes `rect`: the form's size while it exists, all zeros otherwise.
    std::int32_t getRect(ERect** out) override;
    // [ui thread] Counts the open; the first creates the form in `ptr`, every one shows it.
    // A null window answers 0 and changes nothing.
    std::int32_t open(void* ptr) override;
    // [ui thread] Counts down; the close that reaches 0 destroys the form. Without a pending
    // open it does nothing.
    void close() override;
    void idle() override;
    // [ui thread] Repaints the form at once, which moves its controls to their shown values.
    void update() override;

    // Read access for tests.
    std::int32_t getOpenCount() const { return openCount; }
    TForm1* getForm() const { return form.get(); }
    void* getParentWindow() const { return parentWindow; }

  private:
    EffectParameterLink link;     // the form's way to the plug-in
    std::int32_t openCount = 0;   // opens not yet matched by a close; never below 0
    ERect rect{};                 // lives as long as the editor, so the host may keep its address
    void* parentWindow = nullptr; // the window of the latest open, while the form exists
    std::unique_ptr<TForm1> form; // while open
    std::unique_ptr<FormWindow> window; // the form's window; destroyed before the form
};
