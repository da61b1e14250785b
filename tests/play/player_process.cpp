#include "tests/play/player_process.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int started = 0; // players so far, each with output files of its own

} // namespace

PlayerProcess::PlayerProcess(const std::vector<std::string>& args, const std::string& outputFolder,
                             const std::vector<std::string>& environment)
    : outPath(outputFolder + "/player-" + std::to_string(++started) + "-out.txt"),
      errPath(outputFolder + "/player-" + std::to_string(started) + "-err.txt") {
    // The additions first: getenv takes the first of a name.
    std::vector<std::string> variables = environment;
    for (char** e = environ; *e != nullptr; ++e)
        variables.emplace_back(*e);
    std::vector<std::string> command{ULVO_PLAY};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& a : command)
        argv.push_back(a.data());
    for (std::string& v : variables)
        envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        dup2(in, STDIN_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

PlayerProcess::~PlayerProcess() {
    if (pid > 0 && status < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool PlayerProcess::waitForLine(const std::string& path, const std::string& prefix) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        std::istringstream lines(slurp(path));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(prefix, 0) == 0) return true;
        int result = 0;
        if (status < 0 && waitpid(pid, &result, WNOHANG) == pid) status = result;
        if (status >= 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int PlayerProcess::stop(int signal) {
    if (status < 0) kill(pid, signal);
    return wait();
}

int PlayerProcess::wait() {
    if (status < 0) {
        int result = 0;
        while (waitpid(pid, &result, 0) < 0 && errno == EINTR) {
        }
        status = result;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int PlayerProcess::waitAtMost(int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int result = 0;
    while (status < 0 && std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &result, WNOHANG) == pid) status = result;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return stop(SIGKILL);
}

std::string PlayerProcess::out() const {
    return slurp(outPath);
}

std::string PlayerProcess::err() const {
    return slurp(errPath);
}
