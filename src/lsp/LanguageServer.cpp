#include "lsp/LanguageServer.h"

#include "lsp/ProgramProblems.h"
#include "lsp/TextProblems.h"
#include "lsp/Transport.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <mutex>

namespace tessel::lsp {

void AddFeatures(Server& server) {
    server.AddProblemSource(
        [](const Document& document, PositionEncoding encoding, std::vector<Diagnostic>& problems) {
            auto found = ForeignCharacterProblems(document.text, encoding);
            problems.insert(problems.end(), found.begin(), found.end());
        });
    server.AddProblemSource(
        [](const Document& document, PositionEncoding encoding, std::vector<Diagnostic>& problems) {
            auto found = ProgramProblems(document, encoding);
            problems.insert(problems.end(), found.begin(), found.end());
        });
}

int ServeStandardStreams(const std::string& version) {
    for (const int fd : {0, 1, 2})
        sys::SetBinaryMode(fd);
    // One line a write, so that lines from several threads stay whole.
    std::mutex logLock;
    const LogSink log = [&logLock](std::string_view line) {
        std::string text = "tessel-cli lsp: ";
        text.append(line).append("\n");
        const std::lock_guard lock(logLock);
        std::string_view rest = text;
        while (!rest.empty()) {
            const ssize_t n = sys::Write(2, rest.data(), rest.size());
            if (n <= 0)
                return;
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
    };
    FdChannel channel(0, 1);
    StreamTransport transport(channel, log);
    ServerOptions options;
    options.version = version;
    options.log = log;
    Server server(transport, options);
    AddFeatures(server);
    return server.Run();
}

} // namespace tessel::lsp
