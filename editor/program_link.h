// The program chooser's way to the instrument's programs: which one plays, what each is called,
// and the user's choice. Only a front whose form has the chooser implements it (the player); a
// host offers presets in menus of its own.
#pragma once

#include <cstdint>
#include <string>

class ProgramLink {
  public:
    virtual ~ProgramLink() = default;
    // [ui thread] The program the instrument plays, 0 to kChooserProgramCount - 1.
    virtual std::int32_t readProgram() = 0;
    // [ui thread] The name of program `p`.
    virtual std::string programName(std::int32_t p) = 0;
    // [ui thread] The user chose program `p`.
    virtual void selectProgram(std::int32_t p) = 0;
};
