// The form's window for builds without a windowing backend: no window at all. The controls live
// in memory, the repaint runs FormPaint directly, and nothing ticks on its own: whoever drives
// the form calls Timer1Timer. The editor still opens, closes and answers its size.
#include <vector>

#include "editor/bound_controls.h"
#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"
#include "editor/headless/memory_control.h"
#include "editor/parameter_binding.h"

namespace {

class HeadlessFormWindow : public FormWindow {
  public:
    explicit HeadlessFormWindow(TForm1& form) : form(form) {
        auto memory = [this](const ControlLayout& row, ControlRect) -> FormControl& {
            controls.push_back(
                std::make_unique<MemoryControl>(kBindings[row.parameter].steps, row.position));
            return *controls.back();
        };
        auto programs = [this](const ControlLayout&, ControlRect) -> FormControl& {
            controls.push_back(std::make_unique<MemoryControl>(kChooserProgramCount - 1, 0));
            return *controls.back();
        };
        buildBoundControls(form, {memory, memory, nullptr, programs});
        form.RepaintNow = [this] { repaintNow(); };
    }
    ~HeadlessFormWindow() override { form.RepaintNow = nullptr; }

    void show() override {}
    void repaintNow() override { form.FormPaint(); }
    std::int32_t width() const override { return kFormWidth; }
    std::int32_t height() const override { return formHeight(form.extent()); }

  private:
    TForm1& form;
    std::vector<std::unique_ptr<MemoryControl>> controls;
};

} // namespace

std::unique_ptr<FormWindow> createFormWindow(void* /*parent*/, TForm1& form) {
    return std::make_unique<HeadlessFormWindow>(form);
}
