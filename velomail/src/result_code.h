#pragma once

namespace velomail {

// Outcome of one mail operation; everything but Success answers "FAIL" at the interface.
enum class ResultCode {
    Success = 0,
    OutOfMemory = 1,
    SocketFailed = 4,
    ConnectFailed = 5,
    ResolveFailed = 6, // the local host name, the server's address or its port
    SendFailed = 7,
    ReceiveFailed = 8, // includes a server that closed, or did not answer in time
    NotConnected = 9,
    UnexpectedReply = 10,
    RefusedArgument = 11, // a text that would inject commands or headers, or is too long
};

} // namespace velomail
