// ulvo-play run as a user runs it, in the background: its output in files, signals sent by pid,
// its exit awaited.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class PlayerProcess {
  public:
    // Starts ulvo-play with `args`; `environment` adds or replaces variables ("NAME=value").
    PlayerProcess(const std::vector<std::string>& args, const std::string& outputFolder,
                  const std::vector<std::string>& environment = {});
    // Kills a player still running, so that no test leaves one behind.
    ~PlayerProcess();
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    // Waits until standard output holds a line starting with `prefix`; false if the player ended
    // first or took longer than a generous deadline.
    bool waitForOutput(const std::string& prefix) { return waitForLine(outPath, prefix); }
    bool waitForError(const std::string& prefix) { return waitForLine(errPath, prefix); }
    // Sends `signal` and waits for the exit; the exit code, or 128 + the signal that ended it.
    int stop(int signal);
    int wait();
    // As wait(), but a player still running after `seconds` is killed (137).
    int waitAtMost(int seconds);
    std::string out() const;
    std::string err() const;
    pid_t id() const { return pid; }

  private:
    bool waitForLine(const std::string& path, const std::string& prefix);

    pid_t pid = -1;
    int status = -1;
    std::string outPath;
    std::string errPath;
};
