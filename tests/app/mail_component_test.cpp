// The program's start registers the mail library it ships with, on a temporary
// XDG_CONFIG_HOME, and leaves a working registration alone.

#include "app/mail_component.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"
#include "velomail/client/object_factory.h"
#include "velomail/registry/registry.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pw {
namespace {

using velomail::client::registeredLibrary;

std::string shippedLibrary() {
    char resolved[PATH_MAX];
    return ::realpath(VELOMAIL_LIBRARY_PATH, resolved) != nullptr ? resolved : "";
}

void registerPath(const std::string& file, const std::string& library) {
    auto registry = velomail::loadRegistry(file);
    ASSERT_TRUE(registry);
    registry->setValue("CLSID/" + velomail::guidToString(CLSID_Smtp) + "/InprocServer32", "@",
                       library);
    ASSERT_TRUE(velomail::saveRegistry(file, *registry));
}

TEST(MailComponent, RegisteredAtStartUnlessAnExistingLibraryIsRegistered) {
    test::TempTree tree;
    test::ScopedEnv config("XDG_CONFIG_HOME", tree.root());
    const std::string file = tree.path("pairwell/components.ini");

    EXPECT_EQ(registerMailComponent(tree.path("missing.so")), MailRegistration::Failed);
    EXPECT_FALSE(registeredLibrary(CLSID_Smtp));

    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::Registered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), shippedLibrary());
    velomail::client::ObjectRef smtp;
    EXPECT_EQ(velomail::client::createObject("Velomail.Smtp", IID_ISmtp, smtp), S_OK);
    smtp.reset();

    // Another installation's library that exists stays registered.
    const std::string other = tree.addFile("other/libvelomail.so", "x");
    registerPath(file, other);
    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::AlreadyRegistered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), other);

    // A registration whose library is gone counts as none.
    registerPath(file, tree.path("gone/libvelomail.so"));
    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::Registered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), shippedLibrary());
}

} // namespace
} // namespace pw
