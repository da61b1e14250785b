#include "editor/bound_controls.h"

#include "editor/editor_form.h"

void buildBoundControls(TForm1& form, const BoundControlMakers& makers) {
    for (const ControlLayout* layoutRow : formRows(form.extent())) {
        const ControlLayout& row = *layoutRow;
        const ControlRect rect = formRect(row);
        switch (row.kind) {
        case ControlKind::TrackBar:
            form.attachControl(row.parameter, makers.trackBar(row, rect));
            break;
        case ControlKind::RadioGroup:
            form.attachControl(row.parameter, makers.radioGroup(row, rect));
            break;
        case ControlKind::Knob:
            if (makers.knob) makers.knob(*form.knobFor(row.parameter), rect);
            break;
        case ControlKind::ProgramList:
            if (makers.programList) form.attachProgramList(makers.programList(row, rect));
            break;
        default:
            break;
        }
    }
}
