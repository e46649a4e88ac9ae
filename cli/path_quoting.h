#pragma once
// Paths on a terminal. A file name may hold any byte but "/" and NUL: printed as it stands,
// a newline splits one path over two lines (a crafted folder name can then make another
// file's path appear as a line of its own), and an escape sequence reaches the terminal.

#include <string>
#include <string_view>

namespace pw::cli {

// Whether a path printed as it stands could be misread: it holds a control character (C0,
// DEL or a C1 control U+0080..U+009F), is not valid UTF-8 (a stray byte 0x80..0x9F is a C1
// control on an 8-bit terminal), or begins with "$'" as a quoted path does.
bool needsQuoting(std::string_view path);

// The path in the shell's $'...' quoting, which bash, zsh and ksh read back to the same
// bytes: \\ and \' for the two quoting characters; \a \b \t \n \v \f \r \e for those
// controls; \xHH for every other control byte, each byte of a C1 control and each byte
// that is not part of valid UTF-8. Every other character is copied as it stands.
std::string shellQuoted(std::string_view path);

// The path as a line of output or a message shows it: shellQuoted when needsQuoting,
// otherwise as it stands.
std::string shownPath(std::string_view path);

} // namespace pw::cli
