// Fuzz target: telnet input handling: option negotiation, escape keys, line editing, PIN, commands.
//
// A user on one end of a socket pair gets the input in chunks (a 0xFF 0x00
// pair splits it); what it sends back is drained so its queue stays small.
// The first byte says whether the PIN is already accepted.
#include "FuzzSupport.h"
#include "net/ZynTelnetUser.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    if (size == 0) return 0;
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return 0;
    fcntl(sv[0], F_SETFL, O_NONBLOCK);
    fcntl(sv[1], F_SETFL, O_NONBLOCK);
    {
        TZynTelnetUser user(sv[0], nullptr, "127.0.0.1", 0);
        user.Unlocked = data[0] & 1;
        user.Greet();
        std::string chunk;
        char buf[65536];
        for (size_t i = 1; i <= size && !user.ShouldClose(); i++) {
            bool split = i + 1 < size && data[i] == 0xFF && data[i + 1] == 0x00;
            if (i == size || split) {
                user.ProcessInput(chunk);
                chunk.clear();
                user.FlushOutput();
                while (recv(sv[1], buf, sizeof buf, MSG_DONTWAIT) > 0) {}
                if (split) i++;
                continue;
            }
            chunk += char(data[i]);
        }
        if (user.Line.size() > TZynTelnetUser::MaxLineLength) __builtin_trap();
        if (user.EchoLine.size() > TZynTelnetUser::MaxEchoLine) __builtin_trap();
    }
    close(sv[1]);
    return 0;
}
