// The LV2 front's tuning: the scale and keymap properties a host sets with patch:Set (its file
// chooser for patch:writable paths, or a message of its own), loaded by the worker off the audio
// thread and handed to the instrument lock-free; and the files' names and texts in the state, so
// that a session keeps its tuning on a machine without the files.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
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
    // scale or the keymap, whose path (empty: none) goes to the worker, or a patch:Get, which the
    // next notify answers. Nothing is allocated.
    bool patchMessage(const std::uint8_t* body, std::uint32_t size);
    // [worker thread] Reads and parses the file a patch:Set named; a damaged one is reported
    // through the host's log and the tuning in force stays. Responds with the files' names.
    LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           std::uint32_t size, const void* data);
    // [audio thread] The worker's response: the names to tell.
    void workResponse(std::uint32_t size, const void* data);
    // [audio thread] Writes `out`'s sequence, the host's buffer whose atom size is its capacity:
    // empty, or after a change, a patch:Get or a restore, one patch:Set each of the scale's path,
    // the keymap's and the scale's description. No allocation.
    void notify(LV2_Atom_Sequence* out);
    // [not the audio thread]
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    // [not while running] A state without a tuning gives equal temperament.
    void restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  private:
    enum Property : std::uint32_t { Scale, Keymap };
    struct Urids {
        LV2_URID patchSet, patchGet, patchProperty, patchValue, atomPath, atomString, atomUrid;
        LV2_URID scale, keymap, scaleDescription;
        LV2_URID scaleName, scaleText, keymapName, keymapText;
    };
    // The texts notify tells, each cut to its room: a path that long is no use to show anyway.
    struct Names {
        static constexpr std::size_t kRoom = 1024;
        std::array<char, kRoom> scale{}, keymap{}, description{};
        std::uint32_t scaleSize = 0, keymapSize = 0, descriptionSize = 0;
    };
    // [not the audio thread, `lock` held] Hands what the files give to the audio thread.
    void post();
    // [`lock` held] The names of the files in force, packed for the worker's response.
    std::uint32_t packNames(std::array<char, 3 * sizeof(std::uint32_t) + 3 * Names::kRoom>& out);
    bool unpackNames(std::uint32_t size, const void* data);
    bool forgeSet(LV2_URID property, LV2_URID type, const char* text, std::uint32_t size);
    void report(const std::string& error);

    Instrument& instrument;
    Urids urids{};
    const LV2_Worker_Schedule* schedule;
    LV2_Log_Logger logger{};
    std::mutex lock; // the worker against save and restore
    TuningSource source;
    // The audio thread's, and restore's while it does not run.
    Names names;
    bool namesPending = true;
    LV2_Atom_Forge forge{};
};
