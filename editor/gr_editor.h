// The instrument's editor object: answers the host's editor requests and owns the form while the
// editor is open.
#pragma once

#include "host/aeff_editor.h"

class AVstXSynth;

class GrEditor : public AEffEditorX {
public:
    explicit GrEditor(AudioEffect* effect);
    ~GrEditor() override;
};
