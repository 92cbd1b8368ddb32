#include "com/remoting/local_server.h"

#include "com/remoting/host_watch.h"
#include "com/remoting/marshaller_lookup.h"
#include "com/remoting/message_channel.h"
#include "com/remoting/server_dispatch.h"
#include "com/remoting/server_object_table.h"

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace paginor::remoting {

namespace {

struct ServerArguments {
    int channelFd = -1;
    pid_t hostPid = 0;
    std::string module;
};

std::optional<long> Number(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<ServerArguments> ParseArguments(int argc, char** argv) {
    ServerArguments parsed;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if ((argument == "--channel-fd" || argument == "--host-pid") && i + 1 < argc) {
            const std::optional<long> value = Number(argv[++i]);
            if (!value) {
                return std::nullopt;
            }
            if (argument == "--channel-fd") {
                parsed.channelFd = static_cast<int>(*value);
            } else {
                parsed.hostPid = static_cast<pid_t>(*value);
            }
        } else if (!argument.starts_with("--") && parsed.module.empty()) {
            parsed.module = argument;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.channelFd < 0) {
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int RunLocalServer(int argc, char** argv, const LocalServerHooks& hooks) {
    const std::optional<ServerArguments> arguments = ParseArguments(argc, argv);
    if (!arguments) {
        return 2;
    }
    // The server's life follows its host's, not the terminal's.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    MessageChannel channel{UniqueFd(arguments->channelFd)};
    ServerObjectTable table(KnownMarshallers());
    {
        HostWatch watch(arguments->channelFd, arguments->hostPid);
        ServerDispatcher dispatcher(arguments->module, table, watch, hooks);
        std::vector<std::byte> request;
        MessageWriter reply;
        while (!watch.HostAlreadyGone() &&
               channel.receive(request, watch.HostProcessFd()) == ChannelResult::Done) {
            reply.clear();
            const bool goOn = dispatcher.Handle(request, reply);
            if (reply.size() > 0 && channel.send(reply.bytes()) != ChannelResult::Done) {
                break;
            }
            if (!goOn) {
                break;
            }
        }
    }
    // Whatever the client still held (it has gone) is released here, so the
    // served objects end as they would in-process.
    table.Clear();
    return 0;
}

} // namespace paginor::remoting
