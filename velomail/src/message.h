#pragma once
// What goes into an SMTP session: the checks on the caller's texts, the message text sent
// after DATA, and the server address with its optional port.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velomail {

// The longest addresses accepted: with "MAIL FROM:<" or "RCPT TO:<", ">" CR LF and a
// terminating zero, a command line stays within 256 bytes.
inline constexpr std::size_t MaxSenderLength = 241;
inline constexpr std::size_t MaxRecipientLength = 243;
inline constexpr std::size_t MaxServerAddressLength = 255;
inline constexpr std::string_view DefaultSmtpPort = "25";

// False when the address would break out of its command line or header line: CR or LF end
// the line early (injecting commands or headers), "<" and ">" end the path of MAIL FROM or
// RCPT TO (RFC 5321 4.1.2), and longer addresses do not fit the command buffer.
bool isSafeAddress(std::string_view address, std::size_t maxLength);

// False when the text contains CR or LF, which would end the header line and let the
// caller inject further header lines (or the body).
bool isSafeHeaderText(std::string_view text);

// The message text sent after DATA, up to and including the final "." line: the header
// lines, a blank line, the body and the end-of-data mark. Every line ends in CR LF
// (RFC 5321 2.3.8): bare LF and bare CR in `body` become CR LF. Body lines starting with "."
// get a second one (RFC 5321 4.5.2), so no body line can end the data early. A body of
// plain ASCII is labelled "charset=us-ascii"; any other body "charset=utf-8", 8-bit.
std::string buildMessage(std::string_view to, std::string_view from, std::string_view subject,
                         std::string_view body);

struct ServerAddress {
    std::string host;
    std::string port;
};

// "host", "host:PORT", "[v6-address]:PORT" or a bare IPv6 address. Nothing when the text
// is empty, longer than MaxServerAddressLength or names an invalid port.
std::optional<ServerAddress> parseServerAddress(std::string_view text);

} // namespace velomail
