#include "editor/x11/form_scene.h"

#include "editor/editor_form.h"
#include "editor/logo_bitmap.h"
#include "editor/parameter_binding.h"
#include "editor/x11/classic_look.h"
#include "editor/x11/system_colours.h"

namespace {

// Where the Windows controls put their text, in pixels.
constexpr std::int32_t kCaptionIndent = 8;   // a group box's caption from its left edge
constexpr std::int32_t kRadioTextIndent = 16; // an item's text from its round box's left edge
constexpr std::int32_t kMemoTextLeft = 6;    // inside the text box's edge and margin
constexpr std::int32_t kMemoTextTop = 3;
constexpr std::int32_t kEdgeWidth = 2;

bool contains(ControlRect r, PixelPoint p) {
    return p.x >= r.left && p.y >= r.top && p.x < r.left + r.width && p.y < r.top + r.height;
}

} // namespace

FormScene::FormScene(TForm1& form, TextMetrics metrics)
    : form(form), metrics(std::move(metrics)), logo(logoPixels()) {
    for (const ControlLayout& control : kFormLayout) {
        const ControlRect rect = formRect(control);
        switch (control.kind) {
        case ControlKind::TrackBar:
            trackBars.push_back(std::make_unique<TrackBar>(rect, kBindings[control.parameter].steps,
                                                           control.position,
                                                           control.tickFrequency));
            form.attachControl(control.parameter, *trackBars.back());
            break;
        case ControlKind::RadioGroup:
            radioGroups.push_back(std::make_unique<RadioGroup>(
                rect, radioItems(control.parameter), control.position, this->metrics.height));
            form.attachControl(control.parameter, *radioGroups.back());
            break;
        case ControlKind::Knob:
            knobs.push_back({form.knobFor(control.parameter), rect});
            break;
        default:
            break;
        }
    }
}

std::int32_t FormScene::textWidth(std::string_view text) const {
    return metrics.width ? metrics.width(text) : 0;
}

TrackBar* FormScene::trackBar(std::int32_t parameter) const {
    for (const auto& bar : trackBars)
        if (form.boundControl(parameter) == bar.get()) return bar.get();
    return nullptr;
}

RadioGroup* FormScene::radioGroup(std::int32_t parameter) const {
    for (const auto& group : radioGroups)
        if (form.boundControl(parameter) == group.get()) return group.get();
    return nullptr;
}

void FormScene::paint(RasterCanvas& canvas) const {
    canvas.fillRect(0, 0, canvas.width(), canvas.height(), kButtonFace);
    for (const ControlLayout& control : kFormLayout) {
        const ControlRect rect = formRect(control);
        switch (control.kind) {
        case ControlKind::GroupBox:
        case ControlKind::RadioGroup: {
            const std::int32_t captionLeft = rect.left + kCaptionIndent;
            drawGroupFrame(canvas, rect, frameLineOffset(), captionLeft - 1,
                           textWidth(control.caption) + 2, control.flat);
            break;
        }
        case ControlKind::Memo:
            canvas.fillRect(rect.left, rect.top, rect.width, rect.height, kWindowColour);
            drawEdge(canvas, rect, EdgeKind::Sunken);
            break;
        case ControlKind::Image:
            canvas.blit(rect.left, rect.top, kLogoWidth, kLogoHeight, logo);
            break;
        default:
            break;
        }
    }
    for (const auto& bar : trackBars)
        bar->paint(canvas);
    for (const auto& group : radioGroups)
        group->paint(canvas);
    for (const Knob& knob : knobs) {
        const RasterCanvas image =
            knobImage(knob.rect.width, knob.rect.height,
                      knob.knob->paintGeometry(knob.rect.width, knob.rect.height));
        canvas.blit(knob.rect.left, knob.rect.top, knob.rect.width, knob.rect.height,
                    image.pixels());
    }
}

std::vector<TextRun> FormScene::texts() const {
    std::vector<TextRun> runs;
    for (const ControlLayout& control : kFormLayout) {
        const ControlRect rect = formRect(control);
        switch (control.kind) {
        case ControlKind::GroupBox:
        case ControlKind::RadioGroup:
            runs.push_back({control.caption,
                            {rect.left + kCaptionIndent, rect.top + metrics.ascent},
                            rect});
            break;
        case ControlKind::Label: {
            // A label sizes itself to its text from the layout's corner.
            const ControlRect own{rect.left, rect.top, textWidth(control.caption) + 1,
                                  metrics.height};
            runs.push_back({control.caption, {rect.left, rect.top + metrics.ascent}, own});
            break;
        }
        case ControlKind::Memo: {
            const ControlRect inside{rect.left + kEdgeWidth, rect.top + kEdgeWidth,
                                     rect.width - 2 * kEdgeWidth, rect.height - 2 * kEdgeWidth};
            std::int32_t top = rect.top + kMemoTextTop;
            for (const char* line : kAboutLines) {
                if (*line != '\0')
                    runs.push_back({line, {rect.left + kMemoTextLeft, top + metrics.ascent},
                                    inside});
                top += metrics.height;
            }
            break;
        }
        default:
            break;
        }
    }
    for (const auto& group : radioGroups)
        for (std::int32_t i = 0; i < group->itemCount(); ++i) {
            const ControlRect item = group->itemRect(i);
            const std::int32_t top = item.top + (item.height - metrics.height) / 2;
            runs.push_back(
                {group->itemText(i), {item.left + kRadioTextIndent, top + metrics.ascent}, item});
        }
    return runs;
}

bool FormScene::press(PixelPoint point, PixelPoint screen) {
    // Only the left button is followed, so a press always comes after the release of the one
    // before; should that release have gone astray, the new press starts afresh.
    activeKnob = nullptr;
    activeTrackBar = nullptr;
    activeRadioGroup = nullptr;
    for (const Knob& knob : knobs)
        if (contains(knob.rect, point)) {
            activeKnob = knob.knob;
            activeKnob->beginDrag({screen.x, screen.y});
            return true;
        }
    for (const auto& bar : trackBars)
        if (bar->press(point)) {
            activeTrackBar = bar.get();
            return false;
        }
    for (const auto& group : radioGroups)
        if (group->press(point)) {
            activeRadioGroup = group.get();
            return false;
        }
    return false;
}

void FormScene::move(PixelPoint point, PixelPoint screen) {
    if (activeKnob != nullptr) activeKnob->dragTo({screen.x, screen.y});
    if (activeTrackBar != nullptr) activeTrackBar->move(point);
}

void FormScene::release(PixelPoint point) {
    if (activeKnob != nullptr) activeKnob->endDrag();
    if (activeTrackBar != nullptr) activeTrackBar->release();
    if (activeRadioGroup != nullptr) activeRadioGroup->release(point);
    activeKnob = nullptr;
    activeTrackBar = nullptr;
    activeRadioGroup = nullptr;
}

std::vector<std::int32_t> FormScene::visualState() const {
    std::vector<std::int32_t> state;
    for (std::int32_t p = 0; p < kParameterCount; ++p) {
        const FormControl* control = form.boundControl(p);
        state.push_back(control != nullptr ? control->position() : -1);
    }
    return state;
}
