// A device server's bytes, however hostile, through the Telnet client: what
// comes out is bounded by what went in, and data survives the wrapping both
// ways, checked against the simulator's own server side.
#include <cstdint>

#include "telnet_client.h"
#include "telnet_server.h"

using taplink::Bytes;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t chunk = data[0] % 17 + 1;
    const Bytes input(data + 1, data + size);

    taplink::telnet::Client client;
    client.Greeted();
    std::size_t out = 0, replies = 0, messages = 0;
    for (std::size_t i = 0; i < input.size(); i += chunk) {
        client.Feed(input.data() + i, std::min(chunk, input.size() - i));
        out += client.TakeData().size();
        replies += client.TakeReplies().size();
        messages += client.TakeMessages().size();
    }
    // Each data byte costs a byte, each reply at least three, each message six.
    if (out > input.size() || replies > 3 * input.size() || messages * 6 > input.size()) {
        __builtin_trap();
    }

    // The same bytes as data: what one side wraps, the other unwraps.
    taplink::telnet::Client reader;
    reader.Greeted();
    const Bytes wrapped = taplink::sim::TelnetServer::Escape(input);
    for (std::size_t i = 0; i < wrapped.size(); i += chunk)
        reader.Feed(wrapped.data() + i, std::min(chunk, wrapped.size() - i));
    if (reader.Fault() || reader.TakeData() != input || !reader.TakeReplies().empty()) {
        __builtin_trap();
    }
    taplink::sim::TelnetServer server;
    if (server.Feed(taplink::telnet::Client::Escape(input)).data != input) __builtin_trap();
    return 0;
}
