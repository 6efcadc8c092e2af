#include "lsp/Transport.h"

#include "sys/SysCalls.h"

#include <algorithm>
#include <cstring>

namespace tessel::lsp {
namespace {

// A header line longer than this is no header.
constexpr std::size_t kMaxHeaderLine = 4096;
constexpr std::size_t kReadSize = 64 * 1024;
constexpr std::string_view kContentLength = "content-length";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsHeaderName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_';
    });
}

// Digits only; false when there are none or the number would overflow.
bool ParseLength(std::string_view text, std::size_t& length) {
    if (text.empty() || text.size() > 18)
        return false;
    std::size_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    length = value;
    return true;
}

bool IsValidId(const Json& id) {
    return id.is_string() || id.is_number_integer();
}

Json ErrorReply(const Json& id, ErrorCode code, std::string message) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", Error{code, std::move(message)}}};
}

} // namespace

std::ptrdiff_t FdChannel::Read(char* buffer, std::size_t size) {
    return sys::Read(m_in, buffer, size);
}

bool FdChannel::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = sys::Write(m_out, bytes.data(), bytes.size());
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool DispatchMessage(Json message, MessageHandler& handler, Transport& transport,
                     const LogSink& log) {
    // Answered when it has an id, or when the id it has is no id; a
    // notification is never answered.
    const auto invalid = [&](const Json& id, bool answer, const std::string& why) {
        if (answer)
            transport.Reply(id, Error{ErrorCode::InvalidRequest, why});
        else if (log)
            log("ignored a notification: " + why);
        return true;
    };
    if (!message.is_object()) {
        // A batch (an array) too: the protocol has none.
        transport.Reply(nullptr, Error{ErrorCode::InvalidRequest, "not a JSON-RPC message"});
        return true;
    }
    Json id;
    const auto idAt = message.find("id");
    if (idAt != message.end()) {
        // The client's error about a message it could not read: nothing
        // to answer.
        if (idAt->is_null() && !message.contains("method")) {
            if (log)
                log("the client reported an error without an id: " + message.dump());
            return true;
        }
        if (!IsValidId(*idAt))
            return invalid(nullptr, true, "the id is neither an integer nor a string");
        id = *idAt;
    }
    const bool hasId = idAt != message.end();
    const auto version = message.find("jsonrpc");
    if (version == message.end() || *version != "2.0")
        return invalid(id, hasId, "not a JSON-RPC 2.0 message");
    const auto method = message.find("method");
    if (method == message.end()) {
        if (!hasId)
            return invalid(nullptr, true, "a message with neither a method nor an id");
        if (const auto error = message.find("error"); error != message.end()) {
            Error e{ErrorCode::UnknownErrorCode, "the client gave no message"};
            if (const auto code = error->find("code");
                code != error->end() && code->is_number_integer())
                e.code = static_cast<ErrorCode>(code->get<int>());
            if (const auto text = error->find("message"); text != error->end() && text->is_string())
                e.message = text->get<std::string>();
            return handler.OnResponse(std::move(id), e);
        }
        const auto result = message.find("result");
        return handler.OnResponse(std::move(id),
                                  result == message.end() ? Json() : std::move(*result));
    }
    if (!method->is_string())
        return invalid(id, hasId, "the method is not a string");
    Json params;
    if (const auto at = message.find("params"); at != message.end()) {
        if (!at->is_object() && !at->is_array() && !at->is_null())
            return invalid(id, hasId, "the params are neither an object nor an array");
        params = std::move(*at);
    }
    const std::string name = method->get<std::string>();
    if (hasId)
        return handler.OnRequest(name, std::move(params), std::move(id));
    return handler.OnNotification(name, std::move(params));
}

StreamTransport::StreamTransport(ByteChannel& channel, LogSink log)
    : m_channel(channel), m_log(std::move(log)) {}

void StreamTransport::Log(std::string_view line) const {
    if (m_log)
        m_log(line);
}

void StreamTransport::Send(const Json& message) {
    // Strings are valid UTF-8 (the server makes them so): a dump that
    // throws would be a fault of the server, so it is replaced, not sent.
    std::string body = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    frame += body;
    const std::lock_guard lock(m_writeLock);
    if (!m_channel.Write(frame))
        Log("could not write a message to the client");
}

void StreamTransport::Notify(std::string_view method, const Json& params) {
    Send(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

void StreamTransport::Call(std::string_view method, const Json& params, const Json& id) {
    Send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

void StreamTransport::Reply(const Json& id, const Expected<Json>& result) {
    if (result.Ok())
        Send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result.Value()}});
    else
        Send(ErrorReply(id, result.Err().code, result.Err().message));
}

bool StreamTransport::Fill() {
    if (m_failed)
        return false;
    // Drop what was taken before reading more.
    if (m_begin > 0) {
        m_buffer.erase(0, m_begin);
        m_begin = 0;
    }
    const std::size_t had = m_buffer.size();
    m_buffer.resize(had + kReadSize);
    const std::ptrdiff_t n = m_channel.Read(m_buffer.data() + had, kReadSize);
    m_buffer.resize(had + static_cast<std::size_t>(std::max<std::ptrdiff_t>(n, 0)));
    if (n < 0) {
        m_failed = true;
        Log(std::string("reading the input failed: ") + std::strerror(errno));
    }
    return n > 0;
}

bool StreamTransport::ReadLine(std::string& line) {
    // How much of the buffered input is known to hold no line end.
    std::size_t scanned = 0;
    for (;;) {
        const std::size_t end = m_buffer.find('\n', m_begin + scanned);
        if (end != std::string::npos) {
            line.assign(m_buffer, m_begin, end - m_begin);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_lineStart = m_begin;
            m_begin = end + 1;
            return true;
        }
        scanned = m_buffer.size() - m_begin;
        if (scanned > kMaxHeaderLine || !Fill())
            return false;
    }
}

bool StreamTransport::Resync() {
    for (;;) {
        const auto begin = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_begin);
        const auto found =
            std::search(begin, m_buffer.end(), kContentLength.begin(), kContentLength.end(),
                        [](char x, char y) { return Lower(x) == y; });
        if (found != m_buffer.end()) {
            m_begin = static_cast<std::size_t>(found - m_buffer.begin());
            return true;
        }
        // Keep what may be the start of the name.
        const std::size_t keep = std::min(m_buffer.size() - m_begin, kContentLength.size() - 1);
        m_begin = m_buffer.size() - keep;
        if (!Fill())
            return false;
    }
}

bool StreamTransport::Skip(std::size_t count) {
    for (;;) {
        const std::size_t taken = std::min(count, m_buffer.size() - m_begin);
        m_begin += taken;
        count -= taken;
        if (count == 0)
            return true;
        if (!Fill())
            return false;
    }
}

StreamTransport::Frame StreamTransport::ReadFrame(std::string& body) {
    const auto ended = [this] { return m_failed ? Frame::Failed : Frame::End; };
    std::optional<std::size_t> length;
    bool bad = false;
    bool sawHeader = false;
    std::string line;
    for (;;) {
        if (!ReadLine(line)) {
            if (m_buffer.size() - m_begin > kMaxHeaderLine) {
                bad = true; // no header is that long
                break;
            }
            if (sawHeader || m_begin < m_buffer.size())
                Log("the input ended inside a message's headers");
            return ended();
        }
        if (line.empty()) {
            if (!sawHeader)
                continue; // blank lines between messages
            break;
        }
        sawHeader = true;
        const std::size_t colon = line.find(':');
        const std::string_view name =
            colon == std::string::npos ? std::string_view() : Trim(line.substr(0, colon));
        if (!IsHeaderName(name)) {
            // Maybe a body without headers with the next header glued on:
            // look for it from just after where this line starts.
            m_begin = m_lineStart + 1;
            bad = true;
            break;
        }
        if (!EqualsNoCase(name, kContentLength))
            continue; // Content-Type, or any other
        std::size_t value = 0;
        if (!ParseLength(Trim(std::string_view(line).substr(colon + 1)), value) ||
            (length && *length != value)) {
            m_begin = m_lineStart + 1;
            bad = true;
            break;
        }
        length = value;
    }
    if (bad || !length) {
        Log("a message without a valid Content-Length header was skipped");
        Reply(nullptr, Error{ErrorCode::ParseError, "a message without a valid Content-Length"});
        if (!Resync())
            return ended();
        return Frame::Skipped;
    }
    if (*length > kMaxMessage) {
        Log("a message of " + std::to_string(*length) + " bytes was refused");
        Reply(nullptr, Error{ErrorCode::InvalidRequest,
                             "a message longer than " + std::to_string(kMaxMessage) + " bytes"});
        return Skip(*length) ? Frame::Skipped : ended();
    }
    // The body: what is buffered, then reads straight into it.
    body.assign(m_buffer, m_begin, std::min(*length, m_buffer.size() - m_begin));
    m_begin += body.size();
    while (body.size() < *length) {
        const std::size_t had = body.size();
        body.resize(*length);
        const std::ptrdiff_t n = m_channel.Read(body.data() + had, *length - had);
        body.resize(had + static_cast<std::size_t>(std::max<std::ptrdiff_t>(n, 0)));
        if (n <= 0) {
            if (n < 0) {
                m_failed = true;
                Log(std::string("reading the input failed: ") + std::strerror(errno));
            }
            Log("the input ended " + std::to_string(body.size()) + " bytes into a message of " +
                std::to_string(*length));
            return ended();
        }
    }
    return Frame::Message;
}

Transport::End StreamTransport::Loop(MessageHandler& handler) {
    std::string body;
    for (;;) {
        switch (ReadFrame(body)) {
        case Frame::End:
            return End::EndOfInput;
        case Frame::Failed:
            return End::Failed;
        case Frame::Skipped:
            continue;
        case Frame::Message:
            break;
        }
        Json message = Json::parse(body, nullptr, false);
        if (message.is_discarded()) {
            Log("a message that is not JSON was skipped");
            Reply(nullptr, Error{ErrorCode::ParseError, "the message is not JSON"});
            continue;
        }
        try {
            if (!DispatchMessage(std::move(message), handler, *this, m_log))
                return End::Exit;
        } catch (const std::exception& e) {
            // A fault of the server's, not the client's: logged, and the
            // loop goes on with the next message.
            Log(std::string("a message could not be handled: ") + e.what());
        }
    }
}

} // namespace tessel::lsp
