#include "tests/play/fake_session_manager.h"

#include <chrono>
#include <cstdlib>

namespace {

FakeSessionManager& self(void* data) {
    return *static_cast<FakeSessionManager*>(data);
}

} // namespace

FakeSessionManager::FakeSessionManager() {
    server = lo_server_new(nullptr, nullptr);
    lo_server_add_method(server, "/nsm/server/announce", "sssiii", onAnnounce, this);
    lo_server_add_method(server, "/reply", "ss", onReply, this);
    lo_server_add_method(server, "/error", "sis", onError, this);
}

FakeSessionManager::~FakeSessionManager() {
    if (client != nullptr) lo_address_free(client);
    lo_server_free(server);
}

std::string FakeSessionManager::url() const {
    char* text = lo_server_get_url(server);
    std::string result = text;
    free(text);
    return result;
}

bool FakeSessionManager::waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        lo_server_recv_noblock(server, 20);
    }
    return true;
}

std::vector<std::string> FakeSessionManager::answersTo(const std::string& path) const {
    std::vector<std::string> result;
    for (const auto& [to, answer] : answers)
        if (to == path) result.push_back(answer);
    return result;
}

void FakeSessionManager::welcome() {
    lo_send_from(client, server, LO_TT_IMMEDIATE, "/reply", "ssss", "/nsm/server/announce",
                 "welcome", "fake session manager", ":");
}

void FakeSessionManager::open(const std::string& path, const std::string& clientId) {
    lo_send_from(client, server, LO_TT_IMMEDIATE, "/nsm/client/open", "sss", path.c_str(),
                 "test session", clientId.c_str());
}

void FakeSessionManager::save() {
    lo_send_from(client, server, LO_TT_IMMEDIATE, "/nsm/client/save", "");
}

int FakeSessionManager::onAnnounce(const char*, const char*, lo_arg** argv, int, lo_message message,
                                   void* data) {
    FakeSessionManager& manager = self(data);
    manager.announce = {&argv[0]->s, &argv[1]->s, &argv[2]->s, argv[3]->i, argv[4]->i, argv[5]->i};
    const lo_address source = lo_message_get_source(message);
    if (manager.client != nullptr) lo_address_free(manager.client);
    manager.client =
        lo_address_new_with_proto(lo_address_get_protocol(source), lo_address_get_hostname(source),
                                  lo_address_get_port(source));
    manager.announced = true;
    return 0;
}

int FakeSessionManager::onReply(const char*, const char*, lo_arg** argv, int, lo_message,
                                void* data) {
    self(data).answers.emplace_back(&argv[0]->s, "OK");
    return 0;
}

int FakeSessionManager::onError(const char*, const char*, lo_arg** argv, int, lo_message,
                                void* data) {
    self(data).answers.emplace_back(&argv[0]->s, std::string("error: ") + &argv[2]->s);
    return 0;
}
