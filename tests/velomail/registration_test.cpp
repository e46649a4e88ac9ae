// Registration into the per-user registry file, on a temporary XDG_CONFIG_HOME, and the
// file's own format.

#include "support/temp_tree.h"
#include "test_helpers.h"
#include "velomail/registry/registry.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace velomail::test {
namespace {

const std::string SmtpClsid = "{212D4FD0-AEBC-11D5-B108-0050BF1BCBE3}";
const std::string ClassKey = "CLSID/" + SmtpClsid;

std::string libraryPath() {
    char resolved[PATH_MAX];
    return realpath(VELOMAIL_LIBRARY_PATH, resolved) != nullptr ? resolved : "";
}

class VelomailRegistration : public ::testing::Test {
protected:
    std::string file() const { return m_tree.path("pairwell/components.ini"); }
    Registry read() const {
        const auto registry = loadRegistry(file());
        EXPECT_TRUE(registry.has_value());
        return registry.value_or(Registry{});
    }

    pw::test::TempTree m_tree;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_tree.root()};
};

TEST_F(VelomailRegistration, RegisterWritesTheClassEntriesAndUnregisterTakesOnlyThem) {
    Registry before;
    before.setValue("Other.Thing", "@", "Other Class");
    before.setValue("CLSID/{00000000-1111-2222-3333-444444444444}/InprocServer32", "@", "/x.so");
    before.setValue(ClassKey + "/Stale", "@", "left from an old version");
    before.setValue("Velomail.Smtp.1/Old", "@", "old");
    ASSERT_TRUE(saveRegistry(file(), before));

    ASSERT_EQ(DllRegisterServer(), S_OK);
    Registry registry = read();
    const std::string server = ClassKey + "/InprocServer32";
    for (const auto& [key, name, value] : std::vector<std::array<std::string, 3>>{
             {"Velomail.Smtp.1", "@", "Smtp Class"},
             {"Velomail.Smtp.1/CLSID", "@", SmtpClsid},
             {"Velomail.Smtp", "@", "Smtp Class"},
             {"Velomail.Smtp/CLSID", "@", SmtpClsid},
             {"Velomail.Smtp/CurVer", "@", "Velomail.Smtp.1"},
             {ClassKey, "@", "Smtp Class"},
             {ClassKey + "/ProgID", "@", "Velomail.Smtp.1"},
             {ClassKey + "/VersionIndependentProgID", "@", "Velomail.Smtp"},
             {server, "@", libraryPath()},
             {server, "ThreadingModel", "Apartment"},
             {ClassKey + "/TypeLib", "@", "{212D4FC3-AEBC-11D5-B108-0050BF1BCBE3}"},
             {"Other.Thing", "@", "Other Class"}}) {
        EXPECT_EQ(registry.value(key, name), value) << key;
    }
    EXPECT_TRUE(registry.hasKey(ClassKey + "/Programmable"));
    EXPECT_FALSE(registry.hasKey(ClassKey + "/Stale"));
    EXPECT_FALSE(registry.hasKey("Velomail.Smtp.1/Old"));
    EXPECT_EQ(registry.keyCount(), 13u);
    // Other readers of the file see plain sections.
    EXPECT_NE(m_tree.read("pairwell/components.ini")
                  .find("[" + server + "]\n@=" + libraryPath() + "\nThreadingModel=Apartment\n"),
              std::string::npos);

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    registry = read();
    EXPECT_EQ(registry.keyCount(), 2u);
    EXPECT_EQ(registry.value("Other.Thing", "@"), "Other Class");
    EXPECT_FALSE(registry.hasKey(ClassKey));
    EXPECT_FALSE(registry.hasKey("Velomail.Smtp"));
    const std::string text = m_tree.read("pairwell/components.ini");
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(m_tree.read("pairwell/components.ini"), text);
}

TEST_F(VelomailRegistration, AMissingFileIsNotMadeAndAnUnreadableOneNotReplaced) {
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(file()));
    // A folder in the file's place cannot be read as a file, whoever runs the test.
    m_tree.addFile("pairwell/components.ini/keep", "precious");
    EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
    EXPECT_EQ(DllUnregisterServer(), SELFREG_E_CLASS);
    EXPECT_EQ(m_tree.read("pairwell/components.ini/keep"), "precious");
}

TEST(VelomailRegistryFile, PathFollowsXdgConfigHome) {
    pw::test::TempTree tree;
    ScopedEnv home("HOME", tree.root());
    {
        ScopedEnv config("XDG_CONFIG_HOME", tree.root() + "/conf/");
        EXPECT_EQ(registryFilePath(), tree.root() + "/conf/pairwell/components.ini");
    }
    for (const std::optional<std::string>& ignored :
         {std::optional<std::string>("relative/conf"), std::optional<std::string>(""),
          std::optional<std::string>()}) {
        ScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(registryFilePath(), tree.root() + "/.config/pairwell/components.ini");
    }
}

TEST(VelomailRegistryFile, AnyTextSurvivesARoundTripAndWhatIsNoEntryIsSkipped) {
    const std::string awkward = "a=b [c] #d ;e \\f\ng\rh";
    Registry registry;
    registry.setValue("Key/" + awkward, awkward, awkward);
    registry.setValue("Key/" + awkward, "@", "");
    registry.createKey("Empty");
    const Registry again = Registry::parse(registry.serialize());
    EXPECT_EQ(again.serialize(), registry.serialize());
    EXPECT_EQ(again.value("Key/" + awkward, awkward), awkward);
    EXPECT_EQ(again.value("Key/" + awkward, "@"), "");
    EXPECT_TRUE(again.hasKey("Empty"));
    EXPECT_EQ(again.keyCount(), 2u);

    const Registry parsed = Registry::parse("orphan=1\n# note\n; note\n[A]\nno equals sign\n"
                                            "x=1\n[broken\n[]\ny=2\n[A]\nz=3\nx=4\n");
    EXPECT_EQ(parsed.keyCount(), 1u);
    EXPECT_EQ(parsed.value("A", "x"), "4");
    EXPECT_EQ(parsed.value("A", "z"), "3");
    EXPECT_FALSE(parsed.value("A", "y").has_value());
    EXPECT_FALSE(parsed.value("A", "orphan").has_value());
}

TEST(VelomailRegistryFile, GuidTextRoundTrip) {
    for (const GUID& guid : {CLSID_Smtp, IID_ISmtp, LIBID_VELOMAILLib, IID_IDispatch}) {
        EXPECT_EQ(guidFromString(guidToString(guid)), guid);
    }
    EXPECT_EQ(guidToString(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(guidFromString("{212d4fd0-aebc-11d5-b108-0050bf1bcbe3}"), CLSID_Smtp);
    for (const char* bad :
         {"", "212D4FD0-AEBC-11D5-B108-0050BF1BCBE3", "{212D4FD0-AEBC-11D5-B108-0050BF1BCBE}",
          "{212D4FD0-AEBC-11D5-B108+0050BF1BCBE3}", "{212D4FD0-AEBC-11D5-B108-0050BF1BCBEG}"}) {
        EXPECT_FALSE(guidFromString(bad).has_value()) << bad;
    }
}

} // namespace
} // namespace velomail::test
