// The player's side of the Non Session Manager protocol over OSC (liblo): it announces itself,
// takes the session's folder and client name from /nsm/client/open, and answers
// /nsm/client/save. Quitting is SIGTERM, handled with the other signals.
#pragma once

#include <string>

#include <lo/lo.h>

class NsmClient {
  public:
    enum class State { Announcing, Refused, Managed };

    // [main thread] Sends the announce to the server at `url` as `applicationName`, from a socket
    // of the URL's protocol. Throws ToolError when the URL is unusable.
    NsmClient(const std::string& url, const std::string& applicationName,
              const std::string& executable);
    ~NsmClient();
    NsmClient(const NsmClient&) = delete;
    NsmClient& operator=(const NsmClient&) = delete;

    // [main thread] Handles what has arrived, waiting at most `timeoutMs` for the first message.
    void poll(int timeoutMs);

    State state() const { return current; }
    const std::string& refusal() const { return refusalText; }
    // True once per /nsm/client/open and /nsm/client/save received; each needs its reply.
    bool takeOpen() { return take(openPending); }
    bool takeSave() { return take(savePending); }
    // What the last open gave: a path for the client's data, and the JACK client name.
    const std::string& sessionPath() const { return path; }
    const std::string& clientId() const { return id; }

    // An empty `error` replies success.
    void replyOpen(const std::string& error) { reply("/nsm/client/open", error); }
    void replySave(const std::string& error) { reply("/nsm/client/save", error); }

  private:
    static bool take(bool& flag) {
        const bool was = flag;
        flag = false;
        return was;
    }
    void reply(const char* path, const std::string& error);
    static int onReply(const char*, const char*, lo_arg**, int, lo_message, void*);
    static int onError(const char*, const char*, lo_arg**, int, lo_message, void*);
    static int onOpen(const char*, const char*, lo_arg**, int, lo_message, void*);
    static int onSave(const char*, const char*, lo_arg**, int, lo_message, void*);

    lo_server server = nullptr;
    lo_address manager = nullptr;
    State current = State::Announcing;
    std::string refusalText;
    bool openPending = false;
    bool savePending = false;
    std::string path;
    std::string id;
};
