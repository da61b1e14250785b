#include "editor/gr_editor.h"

GrEditor::GrEditor(AudioEffect* effect) : AEffEditorX(effect) {}

GrEditor::~GrEditor() = default;
