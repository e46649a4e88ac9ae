#include "message.h"

#include <algorithm>
#include <charconv>

namespace velomail {

namespace {

bool containsAny(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

// Appends `body` with normalised line ends and dot-stuffing.
void appendBody(std::string& out, std::string_view body) {
    bool lineStart = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
                ++i;
            }
            lineStart = true;
            continue;
        }
        // RFC 5321 4.5.2: a line that starts with "." gets one more, which the server strips.
        if (lineStart && c == '.') {
            out += '.';
        }
        out += c;
        lineStart = false;
    }
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isValidPort(std::string_view port) {
    unsigned value = 0;
    const auto* end = port.data() + port.size();
    const auto [ptr, ec] = std::from_chars(port.data(), end, value);
    return ec == std::errc{} && ptr == end && value >= 1 && value <= 65535;
}

} // namespace

bool isSafeAddress(std::string_view address, std::size_t maxLength) {
    return address.size() <= maxLength && !containsAny(address, "\r\n<>");
}

bool isSafeHeaderText(std::string_view text) {
    return !containsAny(text, "\r\n");
}

std::string buildMessage(std::string_view to, std::string_view from, std::string_view subject,
                         std::string_view body) {
    std::string out;
    out.reserve(160 + to.size() + from.size() + subject.size() + body.size() + body.size() / 8);
    out.append("Subject: ").append(subject).append("\r\n");
    out.append("From: ").append(from).append("\r\n");
    out.append("To: ").append(to).append("\r\n");
    out.append("MIME-Version: 1.0\r\n");
    out.append("X-Mailer: VelomailWire - version 1.0\r\n");
    // The body travels as the UTF-8 the interface's texts convert to. Labelled us-ascii it
    // would arrive garbled wherever it holds more than ASCII, so such a body names its real
    // charset and, as 8-bit data, its transfer encoding (RFC 2045 6.2); a plain ASCII body
    // keeps the short header.
    if (isAscii(body)) {
        out.append("Content-Type: text/plain; charset=us-ascii\r\n");
    } else {
        out.append("Content-Type: text/plain; charset=utf-8\r\n");
        out.append("Content-Transfer-Encoding: 8bit\r\n");
    }
    out.append("\r\n");
    appendBody(out, body);
    out.append("\r\n.\r\n");
    return out;
}

std::optional<ServerAddress> parseServerAddress(std::string_view text) {
    if (text.empty() || text.size() > MaxServerAddressLength) {
        return std::nullopt;
    }
    ServerAddress address{std::string(text), std::string(DefaultSmtpPort)};
    std::string_view portText;
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close == 1) {
            return std::nullopt;
        }
        address.host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            portText = rest.substr(1);
            if (!isValidPort(portText)) {
                return std::nullopt;
            }
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const auto colon = text.find(':');
        address.host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (address.host.empty() || !isValidPort(portText)) {
            return std::nullopt;
        }
    }
    if (!portText.empty()) {
        address.port = portText;
    }
    return address;
}

} // namespace velomail
