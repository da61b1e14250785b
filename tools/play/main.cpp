// ulvo-play: the instrument without a host. A JACK client that plays it from a MIDI keyboard, with
// its editor in a window of its own, keeping its state between runs or in an NSM session.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/common/factory_presets.h"
#include "tools/common/stop_signals.h"
#include "tools/common/tool_error.h"
#include "tools/play/controller_map.h"
#include "tools/play/editor_window.h"
#include "tools/play/factory_programs.h"
#include "tools/play/jack_player.h"
#include "tools/play/nsm_client.h"
#include "tools/play/play_options.h"
#include "tools/play/startup_settings.h"
#include "tools/play/state_file.h"
#include "tools/play/xrun_report.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr auto kAnnounceWait = std::chrono::seconds(5);

void warn(const std::string& message) {
    std::fprintf(stderr, "ulvo-play: warning: %s\n", message.c_str());
}

struct Restore {
    bool restored = false; // else the player starts from the factory programs
    bool maySave = true;   // false when the file is there but must not be saved over
};

Restore restoreState(Instrument& instrument, const std::string& path, TuningSource& tuning) {
    const StateLoad load = loadState(instrument, path, &tuning);
    switch (load.outcome) {
    case StateLoad::Outcome::Missing:
        return {false, true};
    case StateLoad::Outcome::Restored:
        return {true, true};
    case StateLoad::Outcome::Damaged:
        if (load.keptAs.empty()) {
            warn("the state in " + path + " is damaged and cannot be moved aside (" + load.problem +
                 "); starting from the factory programs and leaving it as it is");
            return {false, false};
        }
        warn("the state in " + path + " is damaged; kept it as " + load.keptAs +
             " and started from the factory programs");
        return {false, true};
    case StateLoad::Outcome::Unreadable:
        warn("cannot read the state in " + path + " (" + load.problem +
             "); starting from the factory programs and leaving it as it is");
        return {false, false};
    }
    return {false, false};
}

// Where the session manager wants the data: the folder it names, created when new.
std::string sessionStatePath(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw ToolError("cannot create the session folder " + folder + ": " + error.message());
    return folder + "/state";
}

// Announces to the session manager and waits for its open. Null, after a warning, when no manager
// answers or it refuses; then the player runs on its own.
std::unique_ptr<NsmClient> joinSession(const std::string& url, const PlayOptions& options,
                                       const char* executable) {
    auto nsm = std::make_unique<NsmClient>(url, options.clientName, executable);
    const auto deadline = std::chrono::steady_clock::now() + kAnnounceWait;
    while (!stopRequested()) {
        nsm->poll(50);
        if (nsm->state() == NsmClient::State::Refused) {
            warn("the session manager refused the player (" + nsm->refusal() +
                 "); running without it");
            return nullptr;
        }
        if (nsm->state() == NsmClient::State::Announcing &&
            std::chrono::steady_clock::now() > deadline) {
            warn("no session manager answers at " + url + "; running without it");
            return nullptr;
        }
        if (nsm->takeOpen()) return nsm;
    }
    return nsm;
}

int play(const PlayOptions& options, const char* executable) {
    // A bad map ends the player before anything else happens: no session, no state touched.
    const ControllerMap controllers = options.controllerMap
                                          ? ControllerMap::load(*options.controllerMap)
                                          : ControllerMap::defaults();
    // So do damaged tuning files: one line naming the file, the line and the fault.
    TuningSource given;
    for (const std::string& error :
         {given.loadScale(options.tuning), given.loadKeymap(options.keymap)})
        if (!error.empty()) throw UsageError(error);
    auto instrument = std::make_unique<Instrument>();
    std::unique_ptr<NsmClient> nsm;
    if (const char* url = std::getenv("NSM_URL"); url != nullptr && url[0] != '\0') {
        nsm = joinSession(url, options, executable);
        if (stopRequested()) return 0;
    }

    std::string statePath;
    std::string clientName = options.clientName;
    bool saveOnExit = !nsm; // in a session, only the manager's save writes
    if (nsm) {
        clientName = nsm->clientId();
        try {
            statePath = sessionStatePath(nsm->sessionPath());
        } catch (const ToolError& e) {
            nsm->replyOpen(e.what());
            throw;
        }
    } else {
        statePath = options.stateFile ? *options.stateFile : defaultStatePath(options.clientName);
        if (statePath.empty()) {
            warn("neither XDG_CONFIG_HOME nor HOME is set; the state will not be kept");
            saveOnExit = false;
        }
    }
    Restore restore;
    TuningSource tuning;
    if (!statePath.empty()) restore = restoreState(*instrument, statePath, tuning);
    // A file on the command line replaces the state's of its kind.
    if (!options.tuning.empty()) tuning.setScale(given.scaleFile());
    if (!options.keymap.empty()) tuning.setKeymap(given.keymapFile());
    if (const std::optional<TuningTable> table = tuning.table()) instrument->postTuning(*table);
    if (!restore.maySave) saveOnExit = false;

    std::unique_ptr<JackPlayer> player;
    std::unique_ptr<EditorWindow> window;
    try {
        // A state file keeps its own programs; a fresh player starts with the factory presets.
        if (!restore.restored) loadFactoryPrograms(*instrument);
        applyStartSettings(*instrument, options);
        player = std::make_unique<JackPlayer>(clientName, *instrument, controllers);
        // The sound then follows the settings and the server's rate alone.
        instrument->setSampleRate(player->sampleRate());
        instrument->settleProgram(instrument->currentProgram());
        player->activate();
        if (options.gui)
            window = std::make_unique<EditorWindow>(*instrument, player->changes(), tuning,
                                                    options.scale.value_or(0));
    } catch (const ToolError& e) {
        if (nsm) nsm->replyOpen(e.what());
        throw;
    }
    if (options.connect)
        for (const std::string& failure : player->connectToSystem())
            warn(failure);
    if (nsm) nsm->replyOpen({});
    std::printf("ulvo-play: playing as JACK client '%s' at %.0f Hz\n", player->clientName().c_str(),
                static_cast<double>(player->sampleRate()));
    std::fflush(stdout);

    // The editor's events and timer want a quicker loop than the headless player.
    const int loopMilliseconds = window ? 10 : 50;
    int exitCode = 0;
    XrunReport xruns;
    while (!stopRequested()) {
        if (nsm)
            nsm->poll(loopMilliseconds);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(loopMilliseconds));
        xruns.add(player->takeXruns(), XrunReport::Clock::now());
        if (player->serverGone()) {
            std::fprintf(stderr, "ulvo-play: the JACK server stopped\n");
            exitCode = kExitFailure;
            break;
        }
        if (nsm && nsm->takeOpen()) nsm->replyOpen("ulvo-play cannot switch sessions");
        if (nsm && nsm->takeSave()) {
            try {
                saveState(*instrument, statePath, &tuning);
                nsm->replySave({});
            } catch (const ToolError& e) {
                nsm->replySave(e.what());
            }
        }
        if (window) {
            window->idle();
            if (window->displayLost()) {
                std::fprintf(stderr, "ulvo-play: lost the connection to the X display; stopping "
                                     "as when the window is closed\n");
                exitCode = kExitFailure;
                break;
            }
            if (window->closed()) break;
        }
    }

    window.reset();
    player->deactivate();
    player->applyQueuedChanges();
    xruns.add(player->takeXruns(), XrunReport::Clock::now());
    xruns.flush();
    player.reset();
    if (saveOnExit) saveState(*instrument, statePath, &tuning);
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    PlayOptions options;
    try {
        options = parsePlayOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ToolError& e) {
        std::fprintf(stderr, "ulvo-play: %s\n", e.what());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(playUsageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("ulvo-play %s\n", ULVO_VERSION);
        return 0;
    }
    if (options.listPresets) {
        std::fputs(presetListText(factoryPresetList()).c_str(), stdout);
        return 0;
    }
    installStopSignals();
    try {
        return play(options, argv[0]);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ulvo-play: %s\n", e.what());
        return kExitUsage;
    } catch (const ToolError& e) {
        std::fprintf(stderr, "ulvo-play: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ulvo-play: %s\n", e.what());
    }
    return kExitFailure;
}
