// The ulvodraw Python module: the instrument as a value that renders numpy arrays. An Instrument
// holds the sample rate, every control's value and the tuning; each render plays them from the
// instrument's reset state (python/fresh_render.h) with the GIL released, so that renders depend
// on nothing rendered before and instances in several threads render at once.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <vector>

#include "python/control_values.h"
#include "python/fresh_render.h"
#include "python/note_events.h"
#include "synth/control_names.h"
#include "synth/tuning/tuning_source.h"
#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"

namespace py = pybind11;

namespace {

std::string typeName(const py::handle& value) {
    return py::str(py::type::of(value).attr("__name__"));
}

double numberFrom(const py::handle& value, const std::string& what) {
    if (!PyNumber_Check(value.ptr()) || py::isinstance<py::str>(value))
        throw UsageError(what + " takes a number, not " + typeName(value) + " '" +
                         std::string(py::str(value)) + "'");
    return py::cast<double>(py::float_(py::reinterpret_borrow<py::object>(value)));
}

float controlValue(std::int32_t index, const py::handle& value) {
    if (py::isinstance<py::str>(value)) return choiceValue(index, py::cast<std::string>(value));
    return checkedValue(index, numberFrom(value, kParameterSymbols[index]));
}

// A whole sample rate from 8 kHz to 768 kHz: MIDI files' timing is exact only at whole rates.
float checkedRate(double rate) {
    if (!std::isfinite(rate) || rate < 8000 || rate > 768000 || rate != std::floor(rate))
        throw UsageError("sample_rate takes a whole number of Hz from 8000 to 768000, not " +
                         std::string(py::str(py::float_(rate))));
    return static_cast<float>(rate);
}

std::vector<double> fields(const py::handle& item, std::size_t count, const char* shape) {
    const std::string message = std::string("a ") + shape + ", not " + std::string(py::repr(item));
    if (!py::isinstance<py::sequence>(item) || py::isinstance<py::str>(item) ||
        py::len(item) != count)
        throw UsageError(message);
    std::vector<double> values;
    for (const py::handle& field : py::reinterpret_borrow<py::sequence>(item)) {
        if (!PyNumber_Check(field.ptr())) throw UsageError(message);
        values.push_back(py::cast<double>(py::float_(py::reinterpret_borrow<py::object>(field))));
    }
    return values;
}

std::vector<NoteSpec> notesFrom(const py::iterable& notes) {
    std::vector<NoteSpec> parsed;
    for (const py::handle& item : notes) {
        const std::vector<double> f =
            fields(item, 4, "note is (key, velocity, start seconds, length seconds)");
        parsed.push_back({f[0], f[1], f[2], f[3]});
    }
    return parsed;
}

std::vector<ControllerSpec> controllersFrom(const py::iterable& controllers) {
    const char* shape = "controller move is (number, value, time seconds), the number 0 to 127, "
                        "'bend' or 'pressure'";
    std::vector<ControllerSpec> parsed;
    for (const py::handle& item : controllers) {
        if (!py::isinstance<py::sequence>(item) || py::len(item) != 3)
            throw UsageError(std::string("a ") + shape + ", not " + std::string(py::repr(item)));
        const py::sequence move = py::reinterpret_borrow<py::sequence>(item);
        std::int32_t number = -1;
        if (py::isinstance<py::str>(move[0])) {
            const std::string name = py::cast<std::string>(move[0]);
            number = name == "bend"       ? kBendController
                     : name == "pressure" ? kPressureController
                                          : -1;
        } else if (PyNumber_Check(move[0].ptr())) {
            const double n = py::cast<double>(py::float_(move[0]));
            number = n >= 0 && n <= 127 && n == std::floor(n) ? static_cast<std::int32_t>(n) : -1;
        }
        if (number < 0)
            throw UsageError(std::string("a ") + shape + ", not " + std::string(py::repr(item)));
        parsed.push_back({number, numberFrom(move[1], "a controller's value"),
                          numberFrom(move[2], "a controller's time")});
    }
    return parsed;
}

class PythonInstrument {
  public:
    PythonInstrument(double rate, const py::object& preset, const py::object& tuning,
                     const py::object& keymap, const py::kwargs& values) {
        setup.sampleRate = checkedRate(rate);
        if (!preset.is_none()) setup.values = presetValues(py::cast<std::string>(preset));
        set(values);
        TuningSource source;
        for (const std::string& fault :
             {tuning.is_none() ? "" : source.loadScale(py::cast<std::string>(tuning)),
              keymap.is_none() ? "" : source.loadKeymap(py::cast<std::string>(keymap))})
            if (!fault.empty()) throw UsageError(fault);
        setup.tuning = source.table();
        start = setup;
    }

    // All or nothing: a bad value leaves every value as it was.
    void set(const py::kwargs& values) {
        std::array<float, kControlCount> next = setup.values;
        for (const auto& [name, value] : values) {
            const std::int32_t index = controlIndex(py::cast<std::string>(name));
            next[index] = controlValue(index, value);
        }
        setup.values = next;
    }

    py::dict values() const {
        py::dict out;
        for (std::int32_t index = 0; index < kControlCount; ++index)
            out[kParameterSymbols[index]] = setup.values[index];
        return out;
    }

    void reset() { setup = start; }
    double sampleRate() const { return setup.sampleRate; }

    py::array_t<float> render(const py::iterable& notes, double seconds,
                              const py::iterable& controllers) const {
        const std::vector<NoteSpec> noteSpecs = notesFrom(notes);
        const std::vector<ControllerSpec> moves = controllersFrom(controllers);
        const std::int64_t frames = frameOf(seconds, setup.sampleRate, "render's length");
        return play(noteEvents(noteSpecs, moves, setup.sampleRate), frames);
    }

    py::array_t<float> renderMidi(const std::string& path, double tail) const {
        const MidiTimeline timeline =
            loadTimeline(path, static_cast<std::int32_t>(setup.sampleRate));
        const std::int64_t frames =
            timeline.lastEventFrame + frameOf(tail, setup.sampleRate, "tail");
        return play(fileEvents(timeline.messages), frames);
    }

  private:
    py::array_t<float> play(const std::vector<PlayEvent>& events, std::int64_t frames) const {
        py::array_t<float> audio({py::ssize_t{2}, static_cast<py::ssize_t>(frames)});
        float* left = audio.mutable_data(0, 0);
        float* right = left + frames;
        const RenderSetup copy = setup;
        {
            py::gil_scoped_release released;
            renderFresh(copy, events, frames, left, right);
        }
        return audio;
    }

    RenderSetup setup;
    RenderSetup start; // what reset() goes back to
};

py::list parameterList() {
    py::list list;
    for (std::int32_t index = 0; index < kControlCount; ++index) {
        const ControlRange& range = kControlRanges[index];
        py::dict p;
        p["name"] = kParameterSymbols[index];
        p["title"] = kControlNames[index];
        p["minimum"] = range.minimum;
        p["maximum"] = range.maximum;
        p["default"] = kParameterDefaults[index];
        p["classic"] = kClassicValues[index];
        p["unit"] = range.unit;
        p["kind"] = range.kind == ValueKind::Continuous ? "continuous"
                    : range.kind == ValueKind::Integer  ? "integer"
                                                        : "choice";
        if (range.kind == ValueKind::Choice) p["choices"] = choiceNames(index);
        list.append(p);
    }
    return list;
}

py::list presetNames() {
    py::list names;
    for (const Preset& preset : factoryPresets())
        names.append(preset.name);
    return names;
}

} // namespace

PYBIND11_MODULE(ulvodraw, m) {
    m.doc() = "UlvoDraw, the drawbar synthesizer, rendering into numpy arrays";
    m.attr("__version__") = ULVO_VERSION;
    py::register_exception<ToolError>(m, "Error", PyExc_ValueError);
    m.def("presets", &presetNames, "The factory presets' names, in the file's order.");
    m.def("parameters", &parameterList,
          "Every control: name (its LV2 symbol), title, minimum, maximum, default, classic, unit, "
          "kind and, for a choice, its choices.");
    py::class_<PythonInstrument>(m, "Instrument")
        .def(py::init<double, const py::object&, const py::object&, const py::object&,
                      const py::kwargs&>(),
             py::arg("sample_rate") = 48000, py::arg("preset") = py::none(),
             py::arg("tuning") = py::none(), py::arg("keymap") = py::none())
        .def("set", &PythonInstrument::set, "Sets controls by name: set(cutoff=0.3, volume=-6).")
        .def("values", &PythonInstrument::values, "Every control's value, by name.")
        .def("reset", &PythonInstrument::reset,
             "Goes back to the preset, values and tuning the instrument was made with.")
        .def_property_readonly("sample_rate", &PythonInstrument::sampleRate)
        .def("render", &PythonInstrument::render, py::arg("notes"), py::arg("seconds"),
             py::arg("controllers") = py::list(),
             "Plays notes (key, velocity, start s, length s) and controller moves (number or "
             "'bend' or 'pressure', value, time s) from the reset state; a float32 array (2, "
             "frames).")
        .def("render_midi", &PythonInstrument::renderMidi, py::arg("path"), py::arg("tail") = 2.0,
             "Plays a Standard MIDI File from the reset state, `tail` seconds on after its last "
             "event, as ulvo-render does; a float32 array (2, frames).");
}
