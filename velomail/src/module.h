#pragma once
// The module's lock count: live objects, client references to the class factory and
// server locks. DllCanUnloadNow allows unloading only when it is zero.

namespace velomail {

void lockModule();
// Never takes the count below zero, so a client's unbalanced unlock cannot make the
// module look busy (or idle) for ever after.
void unlockModule();
long moduleLockCount();

} // namespace velomail
