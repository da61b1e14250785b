#include "plugin/vst2/gr_editor.h"

#include "editor/editor_form.h"
#include "editor/form_window.h"

GrEditor::GrEditor(AudioEffect* effect) : AEffEditorX(effect), link(effect) {}

GrEditor::~GrEditor() {
    if (openCount > 0) {
        openCount = 1;
        close();
    }
}

std::int32_t GrEditor::getRect(ERect** out) {
    if (out == nullptr) return 0;
    rect = {};
    if (window != nullptr) {
        rect.bottom = static_cast<std::int16_t>(window->height());
        rect.right = static_cast<std::int16_t>(window->width());
    }
    *out = &rect;
    return 1;
}

std::int32_t GrEditor::open(void* ptr) {
    if (ptr == nullptr) return 0;
    if (openCount == 0) {
        // The layout's positions stand before FormCreate attaches the handlers, so nothing is
        // sent while the form is built.
        auto newForm = std::make_unique<TForm1>();
        auto newWindow = createFormWindow(ptr, *newForm);
        if (newWindow == nullptr) return 0;
        newForm->FormCreate();
        newForm->Synth = effect != nullptr ? &link : nullptr;
        form = std::move(newForm);
        window = std::move(newWindow);
    }
    parentWindow = ptr; // a later open only counts: the form stays in the first window
    ++openCount;
    window->show();
    return 1;
}

void GrEditor::close() {
    if (openCount == 0) return;
    if (--openCount > 0) return;
    window.reset(); // stops the timer and the controls before the form they call goes
    form.reset();
    parentWindow = nullptr;
}

void GrEditor::idle() {
    AEffEditorX::idle();
    if (window != nullptr) window->idle();
}

void GrEditor::update() {
    if (window != nullptr) window->repaintNow();
}
