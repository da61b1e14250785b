#include "editor/drawn/form_scene.h"

#include <algorithm>
#include <bit>
#include <string>

#include "editor/bound_controls.h"
#include "editor/drawn/classic_look.h"
#include "editor/drawn/form_scale.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "editor/logo_bitmap.h"
#include "editor/parameter_binding.h"

namespace {

// Where the Windows controls put their text, in pixels.
constexpr std::int32_t kCaptionIndent = 8;    // a group box's caption from its left edge
constexpr std::int32_t kRadioTextIndent = 16; // an item's text from its round box's left edge
constexpr std::int32_t kMemoTextLeft = 6;     // inside the text box's edge and margin
constexpr std::int32_t kMemoTextTop = 3;
constexpr std::int32_t kEdgeWidth = 2;
constexpr std::int32_t kFieldTextLeft = 4; // a one-line field's text, inside its edge
constexpr std::int32_t kItemTextLeft = 3;  // a list item's text from the item's left edge

bool contains(ControlRect r, PixelPoint p) {
    return p.x >= r.left && p.y >= r.top && p.x < r.left + r.width && p.y < r.top + r.height;
}

} // namespace

FormScene::FormScene(TForm1& form, TextMetrics metrics, std::int32_t scale)
    : form(form), metrics(std::move(metrics)), factor(std::clamp(scale, 1, kMaxFormScale)),
      rows(formRows(form.extent())), logo(logoPixels()) {
    BoundControlMakers makers;
    makers.trackBar = [this](const ControlLayout& row, ControlRect rect) -> FormControl& {
        trackBars.push_back(std::make_unique<TrackBar>(rect, kBindings[row.parameter].steps,
                                                       row.position, row.tickFrequency));
        return *trackBars.back();
    };
    makers.radioGroup = [this](const ControlLayout& row, ControlRect rect) -> FormControl& {
        radioGroups.push_back(std::make_unique<RadioGroup>(rect, radioItems(row.parameter),
                                                           row.position, this->metrics.height));
        return *radioGroups.back();
    };
    makers.knob = [this](TTsumami& knob, ControlRect rect) { knobs.push_back({&knob, rect}); };
    makers.programList = [this](const ControlLayout& row, ControlRect rect) -> FormControl& {
        listBox = std::make_unique<ListBox>(rect, kChooserColumns, kChooserRows, kChooserItemHeight,
                                            row.position);
        return *listBox;
    };
    buildBoundControls(form, makers);
    for (const ControlLayout* row : rows) {
        if (row->kind == ControlKind::PreviousButton) {
            previous = std::make_unique<PushButton>(formRect(*row), PushButton::Arrow::Left);
            previous->OnClick = [&form] { form.PreviousButtonClick(); };
        } else if (row->kind == ControlKind::NextButton) {
            next = std::make_unique<PushButton>(formRect(*row), PushButton::Arrow::Right);
            next->OnClick = [&form] { form.NextButtonClick(); };
        } else if (row->kind == ControlKind::ResetTuningButton) {
            resetTuning = std::make_unique<PushButton>(formRect(*row), PushButton::Arrow::Plain);
            resetTuning->OnClick = [&form] { form.ResetTuningClick(); };
        }
    }
}

std::string FormScene::programText() const {
    const std::int32_t p = form.shownProgram();
    return std::to_string(p) + ": " + form.programName(p);
}

std::int32_t FormScene::width() const {
    return kFormWidth * factor;
}

std::int32_t FormScene::height() const {
    return formHeight(form.extent()) * factor;
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
    if (factor == 1) {
        paintForm(canvas);
        return;
    }
    RasterCanvas unscaled(kFormWidth, formHeight(form.extent()), kButtonFace);
    paintForm(unscaled);
    canvas.blit(0, 0, width(), height(), unscaled.magnified(factor).pixels());
}

void FormScene::paintForm(RasterCanvas& canvas) const {
    canvas.fillRect(0, 0, canvas.width(), canvas.height(), kButtonFace);
    for (const ControlLayout* row : rows) {
        const ControlLayout& control = *row;
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
        case ControlKind::ProgramName:
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
    for (const auto* button : {previous.get(), next.get(), resetTuning.get()})
        if (button != nullptr) button->paint(canvas);
    if (listBox != nullptr) listBox->paint(canvas);
    for (const Knob& knob : knobs) {
        const RasterCanvas image =
            knobImage(knob.rect.width, knob.rect.height,
                      knob.knob->paintGeometry(knob.rect.width, knob.rect.height));
        canvas.blit(knob.rect.left, knob.rect.top, knob.rect.width, knob.rect.height,
                    image.pixels());
    }
}

std::vector<TextRun> FormScene::texts() const {
    std::vector<TextRun> runs = formTexts();
    for (TextRun& run : runs) {
        run.origin = {run.origin.x * factor, run.origin.y * factor};
        run.clip = {run.clip.left * factor, run.clip.top * factor, run.clip.width * factor,
                    run.clip.height * factor};
    }
    return runs;
}

std::vector<TextRun> FormScene::formTexts() const {
    std::vector<TextRun> runs;
    // Centred in the row's width, on the row's top line.
    auto centred = [this, &runs](std::string text, ControlRect rect) {
        const std::int32_t left = rect.left + (rect.width - textWidth(text)) / 2;
        const ControlRect clip{rect.left, rect.top, rect.width, metrics.height};
        runs.push_back({std::move(text), {left, rect.top + metrics.ascent}, clip});
    };
    for (const ControlLayout* row : rows) {
        const ControlLayout& control = *row;
        const ControlRect rect = formRect(control);
        switch (control.kind) {
        case ControlKind::GroupBox:
        case ControlKind::RadioGroup:
            runs.push_back(
                {control.caption, {rect.left + kCaptionIndent, rect.top + metrics.ascent}, rect});
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
            for (const char* line : form.AboutLines) {
                if (*line != '\0')
                    runs.push_back(
                        {line, {rect.left + kMemoTextLeft, top + metrics.ascent}, inside});
                top += metrics.height;
            }
            break;
        }
        case ControlKind::Caption:
            centred(control.caption, rect);
            break;
        case ControlKind::ValueText:
            centred(form.playingText(control.parameter), rect);
            break;
        case ControlKind::TuningText: {
            const std::int32_t top = rect.top + (rect.height - metrics.height) / 2;
            runs.push_back({form.tuningText(), {rect.left, top + metrics.ascent}, rect});
            break;
        }
        case ControlKind::ResetTuningButton: {
            // Centred on the face, a pixel lower and to the right while pushed, as Windows does.
            const std::int32_t shift = resetTuning != nullptr && resetTuning->pushed() ? 1 : 0;
            const std::int32_t left = rect.left + (rect.width - textWidth(control.caption)) / 2;
            const std::int32_t top = rect.top + (rect.height - metrics.height) / 2;
            runs.push_back(
                {control.caption, {left + shift, top + shift + metrics.ascent}, rect, kTextColour});
            break;
        }
        case ControlKind::ProgramName: {
            const ControlRect inside{rect.left + kEdgeWidth, rect.top + kEdgeWidth,
                                     rect.width - 2 * kEdgeWidth, rect.height - 2 * kEdgeWidth};
            const std::int32_t top = rect.top + (rect.height - metrics.height) / 2;
            runs.push_back(
                {programText(), {rect.left + kFieldTextLeft, top + metrics.ascent}, inside});
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
    if (listBox != nullptr)
        for (std::int32_t i = 0; i < listBox->itemCount(); ++i) {
            const ControlRect item = listBox->itemRect(i);
            const std::int32_t top = item.top + (item.height - metrics.height) / 2;
            const bool selected = i == listBox->position();
            runs.push_back({form.programName(i),
                            {item.left + kItemTextLeft, top + metrics.ascent},
                            item,
                            selected ? kHighlightText : kTextColour});
        }
    return runs;
}

PixelPoint FormScene::knobScreen(PixelPoint screen) const {
    // From where the drag started, so that the knob turns alike wherever the press was.
    const PixelPoint start = toFormPixels(knobPressScreen, factor);
    const PixelPoint travel =
        toFormPixels({screen.x - knobPressScreen.x, screen.y - knobPressScreen.y}, factor);
    return {start.x + travel.x, start.y + travel.y};
}

bool FormScene::press(PixelPoint windowPoint, PixelPoint screen) {
    const PixelPoint point = toFormPixels(windowPoint, factor);
    // Only the left button is followed, so a press always comes after the release of the one
    // before; should that release have gone astray, the new press starts afresh.
    activeKnob = nullptr;
    activeTrackBar = nullptr;
    activeRadioGroup = nullptr;
    activeButton = nullptr;
    for (const Knob& knob : knobs)
        if (contains(knob.rect, point)) {
            activeKnob = knob.knob;
            knobPressScreen = screen;
            const PixelPoint start = knobScreen(screen);
            activeKnob->beginDrag({start.x, start.y});
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
    for (PushButton* button : {previous.get(), next.get(), resetTuning.get()})
        if (button != nullptr && button->press(point)) {
            activeButton = button;
            return false;
        }
    if (listBox != nullptr) listBox->press(point);
    return false;
}

void FormScene::move(PixelPoint windowPoint, PixelPoint screen) {
    if (activeKnob != nullptr) {
        const PixelPoint at = knobScreen(screen);
        activeKnob->dragTo({at.x, at.y});
    }
    if (activeTrackBar != nullptr) activeTrackBar->move(toFormPixels(windowPoint, factor));
    if (activeButton != nullptr) activeButton->move(toFormPixels(windowPoint, factor));
}

void FormScene::release(PixelPoint windowPoint) {
    const PixelPoint point = toFormPixels(windowPoint, factor);
    if (activeKnob != nullptr) activeKnob->endDrag();
    if (activeTrackBar != nullptr) activeTrackBar->release();
    if (activeRadioGroup != nullptr) activeRadioGroup->release(point);
    if (activeButton != nullptr) activeButton->release(point);
    activeKnob = nullptr;
    activeTrackBar = nullptr;
    activeRadioGroup = nullptr;
    activeButton = nullptr;
}

std::vector<std::int32_t> FormScene::visualState() const {
    std::vector<std::int32_t> state;
    const std::int32_t count = form.hasPlayingStrip() ? kControlCount : kParameterCount;
    for (std::int32_t p = 0; p < count; ++p) {
        const FormControl* control = form.boundControl(p);
        state.push_back(control != nullptr ? control->position() : -1);
    }
    // The strip's texts tell values between the steps too, and the tuning.
    for (std::int32_t p = kParameterCount; p < count; ++p)
        state.push_back(std::bit_cast<std::int32_t>(form.playingValue(p)));
    if (resetTuning != nullptr) {
        state.push_back(static_cast<std::int32_t>(form.tuningRevision()));
        state.push_back(resetTuning->pushed());
    }
    if (listBox != nullptr) {
        // The field tells the shown program, which the list's position follows at the repaint.
        state.push_back(listBox->position());
        state.push_back(form.shownProgram());
        state.push_back(static_cast<std::int32_t>(form.programNamesRevision()));
        for (const PushButton* button : {previous.get(), next.get()})
            state.push_back(button != nullptr && button->pushed());
    }
    return state;
}
