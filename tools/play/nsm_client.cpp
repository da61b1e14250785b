#include "tools/play/nsm_client.h"

#include <cstring>
#include <unistd.h>

#include "tools/common/tool_error.h"

namespace {

constexpr int kApiMajor = 1;
constexpr int kApiMinor = 2;
constexpr int kErrorGeneral = -1;

void ignoreError(int, const char*, const char*) {}

NsmClient& self(void* data) {
    return *static_cast<NsmClient*>(data);
}

} // namespace

NsmClient::NsmClient(const std::string& url, const std::string& applicationName,
                     const std::string& executable) {
    manager = lo_address_new_from_url(url.c_str());
    if (manager == nullptr) throw ToolError("NSM_URL '" + url + "' is not an OSC address");
    server = lo_server_new_with_proto(nullptr, lo_address_get_protocol(manager), ignoreError);
    if (server == nullptr) {
        lo_address_free(manager);
        throw ToolError("cannot open a socket for the session manager");
    }
    lo_server_add_method(server, "/reply", nullptr, onReply, this);
    lo_server_add_method(server, "/error", "sis", onError, this);
    lo_server_add_method(server, "/nsm/client/open", "sss", onOpen, this);
    lo_server_add_method(server, "/nsm/client/save", "", onSave, this);
    lo_send_from(manager, server, LO_TT_IMMEDIATE, "/nsm/server/announce", "sssiii",
                 applicationName.c_str(), ":", executable.c_str(), kApiMajor, kApiMinor,
                 static_cast<int>(getpid()));
}

NsmClient::~NsmClient() {
    lo_server_free(server);
    lo_address_free(manager);
}

void NsmClient::poll(int timeoutMs) {
    if (lo_server_recv_noblock(server, timeoutMs) == 0) return;
    while (lo_server_recv_noblock(server, 0) > 0) {
    }
}

void NsmClient::reply(const char* what, const std::string& error) {
    if (error.empty())
        lo_send_from(manager, server, LO_TT_IMMEDIATE, "/reply", "ss", what, "OK");
    else
        lo_send_from(manager, server, LO_TT_IMMEDIATE, "/error", "sis", what, kErrorGeneral,
                     error.c_str());
}

int NsmClient::onReply(const char*, const char* types, lo_arg** argv, int argc, lo_message,
                       void* data) {
    if (argc >= 1 && types[0] == 's' && std::strcmp(&argv[0]->s, "/nsm/server/announce") == 0)
        self(data).current = State::Managed;
    return 0;
}

int NsmClient::onError(const char*, const char*, lo_arg** argv, int, lo_message, void* data) {
    if (std::strcmp(&argv[0]->s, "/nsm/server/announce") == 0) {
        self(data).current = State::Refused;
        self(data).refusalText = &argv[2]->s;
    }
    return 0;
}

int NsmClient::onOpen(const char*, const char*, lo_arg** argv, int, lo_message, void* data) {
    NsmClient& client = self(data);
    client.path = &argv[0]->s;
    client.id = &argv[2]->s;
    client.openPending = true;
    return 0;
}

int NsmClient::onSave(const char*, const char*, lo_arg**, int, lo_message, void* data) {
    self(data).savePending = true;
    return 0;
}
