// The LV2 front's tuning: the scale and keymap properties a host sets with patch:Set (its file
// chooser for patch:writable paths, or a message of its own), loaded by the worker off the audio
// thread and handed to the instrument lock-free; and the files' names and texts in the state, so
// that a session keeps its tuning on a machine without the files.
#pragma once

#include <cstdint>
#include <mutex>

#include <lv2/atom/atom.h>
#include <lv2/log/log.h>
#include <lv2/log/logger.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include "synth/instrument.h"
#include "synth/tuning/tuning_source.h"

class Lv2Tuning {
  public:
    // `schedule` and `log` may be null: without a worker the properties cannot be set.
    Lv2Tuning(Instrument& instrument, LV2_URID_Map& map, const LV2_Worker_Schedule* schedule,
              LV2_Log_Log* log);

    // [audio thread] True when the `size` bytes of an atom:Object's body are a patch:Set of the
    // scale or the keymap; its path (empty: none) goes to the worker. Nothing is allocated.
    bool patchMessage(const std::uint8_t* body, std::uint32_t size);
    // [worker thread] Reads and parses the file a patch:Set named; a damaged one is reported
    // through the host's log and the tuning in force stays.
    LV2_Worker_Status work(std::uint32_t size, const void* data);
    // [not the audio thread]
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    // [not while running] A state without a tuning gives equal temperament.
    void restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  private:
    enum Property : std::uint32_t { Scale, Keymap };
    struct Urids {
        LV2_URID patchSet, patchProperty, patchValue, atomPath, atomString, atomUrid;
        LV2_URID scale, keymap;
        LV2_URID scaleName, scaleText, keymapName, keymapText;
    };
    // [not the audio thread, `lock` held] Hands what the files give to the audio thread.
    void post();
    void report(const std::string& error);

    Instrument& instrument;
    Urids urids{};
    const LV2_Worker_Schedule* schedule;
    LV2_Log_Logger logger{};
    std::mutex lock; // the worker against save and restore
    TuningSource source;
};
