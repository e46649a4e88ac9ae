#pragma once
// The mail library the program ships with registers itself in the per-user registry file,
// from which the report windows create its Smtp object. The program's start makes sure
// that registration is there.

#include <string>

namespace pw {

enum class MailRegistration { AlreadyRegistered, Registered, Failed };

// Registers the library at `shippedLibrary` through its own DllRegisterServer unless the
// registry file already names a library file that exists for the Smtp class (another
// installation's library is left alone). Failed when the library does not load, lacks the
// entry point or its registration fails; mailing a report then fails later, and nothing
// else depends on it. Blocking file access; call it once at start.
MailRegistration registerMailComponent(const std::string& shippedLibrary);

} // namespace pw
