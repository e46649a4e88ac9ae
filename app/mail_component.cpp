#include "app/mail_component.h"

#include "velomail/client/object_factory.h"

#include <sys/stat.h>

namespace pw {

MailRegistration registerMailComponent(const std::string& shippedLibrary) {
    // A registration whose library is gone (an older copy moved or removed) would make
    // every report fail, so it counts as none.
    if (const auto registered = velomail::client::registeredLibrary(CLSID_Smtp)) {
        struct stat st {};
        if (::stat(registered->c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            return MailRegistration::AlreadyRegistered;
        }
    }
    return velomail::client::registerLibrary(shippedLibrary) == S_OK ? MailRegistration::Registered
                                                                     : MailRegistration::Failed;
}

} // namespace pw
