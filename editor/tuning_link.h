// The strip's way to the instrument's tuning: what the scale in force is called, and the user's
// reset to equal temperament. A front that can tell implements it; without one the strip tells
// equal temperament.
#pragma once

#include <string>

class TuningLink {
  public:
    virtual ~TuningLink() = default;
    // [ui thread] The scale's description, else its file's name; empty without a scale.
    virtual std::string tuningName() = 0;
    // [ui thread] The user asked for equal temperament: no scale and no keyboard mapping.
    virtual void resetTuning() = 0;
};
