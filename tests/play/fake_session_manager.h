// A session manager as far as the player's tests need one: it takes the announce, welcomes the
// client, opens a session for it and asks it to save, over OSC (liblo), and keeps the answers.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <lo/lo.h>

class FakeSessionManager {
  public:
    struct Announce {
        std::string application, capabilities, executable;
        int apiMajor = 0, apiMinor = 0, pid = 0;
    };

    FakeSessionManager();
    ~FakeSessionManager();
    FakeSessionManager(const FakeSessionManager&) = delete;
    FakeSessionManager& operator=(const FakeSessionManager&) = delete;

    // What NSM_URL holds for the client.
    std::string url() const;
    // Handles messages until `done` is true; false after a generous deadline.
    bool waitUntil(const std::function<bool()>& done);
    // Replies for `path` ("/nsm/client/open") so far: "OK" or "error: <message>".
    std::vector<std::string> answersTo(const std::string& path) const;

    // To the client that announced itself.
    void welcome();
    void open(const std::string& path, const std::string& clientId);
    void save();

    bool announced = false;
    Announce announce;

  private:
    static int onAnnounce(const char*, const char*, lo_arg**, int, lo_message, void*);
    static int onReply(const char*, const char*, lo_arg**, int, lo_message, void*);
    static int onError(const char*, const char*, lo_arg**, int, lo_message, void*);

    lo_server server = nullptr;
    lo_address client = nullptr;
    std::vector<std::pair<std::string, std::string>> answers; // (path, answer)
};
