#include "search/file_version.h"
#include "support/temp_tree.h"

#include <array>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

constexpr const char* kNa = "N/A";

// Little-endian, as every field of an image.
template <std::size_t Width>
void putLe(std::string& bytes, std::size_t offset, std::uint64_t value) {
    for (std::size_t i = 0; i < Width; ++i) {
        bytes.at(offset + i) = static_cast<char>((value >> (8 * i)) & 0xFFU);
    }
}
constexpr auto put8 = putLe<1>;
constexpr auto put16 = putLe<2>;
constexpr auto put32 = putLe<4>;
constexpr auto put64 = putLe<8>;

void putText(std::string& bytes, std::size_t offset, std::string_view text) {
    bytes.replace(offset, text.size(), text);
}

// A UTF-16LE string with its terminating NUL.
void putWide(std::string& bytes, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        put16(bytes, offset + i * 2, static_cast<std::uint8_t>(text[i]));
    }
    put16(bytes, offset + text.size() * 2, 0);
}

struct ImageOptions {
    bool pe32Plus = false;
    std::array<std::uint16_t, 4> version{6, 0, 84, 18};
    // Whether the type directory lists RT_VERSION (otherwise it lists RT_GROUP_ICON).
    bool listsVersion = true;
};

// A minimal image: headers, a .text section and a .rsrc section whose RVA differs from its
// file offset, so that every resource lookup needs the section table. The type directory
// also holds a named type and RT_ICON before RT_VERSION, and the version resource carries
// a VarFileInfo child after its fixed part; the version resource ends the meaningful bytes
// and the file is padded to the file alignment after it.
struct Image {
    std::string bytes;
    std::size_t coff = 0;
    std::size_t optional = 0;
    std::size_t rvaCount = 0;
    std::size_t resourceDirectory = 0;
    std::size_t textSection = 0;
    std::size_t rsrcSection = 0;
    std::size_t rootDirectory = 0;
    std::size_t versionTypeEntry = 0;
    std::size_t nameDirectory = 0;
    std::size_t languageDirectory = 0;
    std::size_t dataEntry = 0;
    std::size_t versionInfo = 0;
    std::size_t fixedInfo = 0;
    std::size_t versionEnd = 0;
};

constexpr std::size_t kNtOffset = 0x80;
constexpr std::size_t kTextRaw = 0x200;
constexpr std::size_t kRsrcRaw = 0x400;
constexpr std::uint32_t kRsrcRva = 0x3000;
constexpr std::size_t kFileSize = 0x600;
constexpr std::uint32_t kSubdirectory = 0x80000000U;

// Offsets inside the resource section.
constexpr std::uint32_t kRoot = 0x00;
constexpr std::uint32_t kNames = 0x28;
constexpr std::uint32_t kLanguages = 0x40;
constexpr std::uint32_t kData = 0x58;
constexpr std::uint32_t kEmpty = 0x68;
constexpr std::uint32_t kTypeName = 0x78;
constexpr std::uint32_t kVersion = 0x88;
constexpr std::uint16_t kVersionLength = 92 + 68;
constexpr std::uint32_t kRsrcVirtualSize = kVersion + kVersionLength;

void putDirectory(std::string& bytes, std::size_t offset, std::uint16_t named, std::uint16_t ids) {
    put16(bytes, offset + 12, named);
    put16(bytes, offset + 14, ids);
}

void putEntry(std::string& bytes, std::size_t offset, std::uint32_t name, std::uint32_t target) {
    put32(bytes, offset, name);
    put32(bytes, offset + 4, target);
}

Image buildImage(const ImageOptions& options = {}) {
    Image image;
    std::string& b = image.bytes;
    b.assign(kFileSize, '\0');

    putText(b, 0, "MZ");
    put32(b, 0x3C, kNtOffset);

    putText(b, kNtOffset, std::string("PE\0\0", 4));
    image.coff = kNtOffset + 4;
    const std::uint16_t optionalSize = options.pe32Plus ? 240 : 224;
    put16(b, image.coff, options.pe32Plus ? 0x8664 : 0x14C);
    put16(b, image.coff + 2, 2);
    put16(b, image.coff + 16, optionalSize);
    put16(b, image.coff + 18, options.pe32Plus ? 0x0022 : 0x0102);

    image.optional = image.coff + 20;
    const std::size_t o = image.optional;
    put16(b, o, options.pe32Plus ? 0x20B : 0x10B); // the fields up to the directories are unread
    image.rvaCount = o + (options.pe32Plus ? 108 : 92);
    put32(b, image.rvaCount, 16);
    image.resourceDirectory = image.rvaCount + 4 + 2 * 8;
    put32(b, image.resourceDirectory, kRsrcRva);
    put32(b, image.resourceDirectory + 4, kRsrcVirtualSize);

    image.textSection = o + optionalSize;
    putText(b, image.textSection, ".text");
    put32(b, image.textSection + 8, 0x10);
    put32(b, image.textSection + 12, 0x1000);
    put32(b, image.textSection + 16, 0x200);
    put32(b, image.textSection + 20, kTextRaw);
    put32(b, image.textSection + 36, 0x60000020);
    b.replace(kTextRaw, 0x10, 0x10, '\xCC');

    image.rsrcSection = image.textSection + 40;
    putText(b, image.rsrcSection, ".rsrc");
    put32(b, image.rsrcSection + 8, kRsrcVirtualSize);
    put32(b, image.rsrcSection + 12, kRsrcRva);
    put32(b, image.rsrcSection + 16, kFileSize - kRsrcRaw);
    put32(b, image.rsrcSection + 20, kRsrcRaw);
    put32(b, image.rsrcSection + 36, 0x40000040);

    image.rootDirectory = kRsrcRaw + kRoot;
    putDirectory(b, image.rootDirectory, 1, 2);
    putEntry(b, image.rootDirectory + 16, kSubdirectory | kTypeName, kSubdirectory | kEmpty);
    putEntry(b, image.rootDirectory + 24, 3, kSubdirectory | kEmpty);
    image.versionTypeEntry = image.rootDirectory + 32;
    putEntry(b, image.versionTypeEntry, options.listsVersion ? 16 : 14, kSubdirectory | kNames);

    image.nameDirectory = kRsrcRaw + kNames;
    putDirectory(b, image.nameDirectory, 0, 1);
    putEntry(b, image.nameDirectory + 16, 1, kSubdirectory | kLanguages);

    image.languageDirectory = kRsrcRaw + kLanguages;
    putDirectory(b, image.languageDirectory, 0, 1);
    putEntry(b, image.languageDirectory + 16, 0x409, kData);

    image.dataEntry = kRsrcRaw + kData;
    put32(b, image.dataEntry, kRsrcRva + kVersion);
    put32(b, image.dataEntry + 4, kVersionLength);

    put16(b, kRsrcRaw + kTypeName, 6);
    for (std::size_t i = 0; i < 6; ++i) {
        put16(b, kRsrcRaw + kTypeName + 2 + i * 2, static_cast<std::uint8_t>("MYDATA"[i]));
    }

    // VS_VERSIONINFO with VS_FIXEDFILEINFO; the product version differs from the file
    // version so that reading the wrong field shows.
    image.versionInfo = kRsrcRaw + kVersion;
    const std::size_t v = image.versionInfo;
    put16(b, v, kVersionLength);
    put16(b, v + 2, 52);
    putWide(b, v + 6, "VS_VERSION_INFO");
    image.fixedInfo = v + 40;
    const std::size_t f = image.fixedInfo;
    const auto& ver = options.version;
    put32(b, f, 0xFEEF04BDU);
    put32(b, f + 4, 0x00010000);
    put32(b, f + 8, (static_cast<std::uint32_t>(ver[0]) << 16) | ver[1]);
    put32(b, f + 12, (static_cast<std::uint32_t>(ver[2]) << 16) | ver[3]);
    put32(b, f + 16, 0x00090008);
    put32(b, f + 20, 0x00070006);
    put32(b, f + 24, 0x3F);
    put32(b, f + 32, 0x00040004);
    put32(b, f + 36, 1);

    const std::size_t varFileInfo = f + 52;
    put16(b, varFileInfo, 68);
    put16(b, varFileInfo + 4, 1);
    putWide(b, varFileInfo + 6, "VarFileInfo");
    put16(b, varFileInfo + 32, 36);
    put16(b, varFileInfo + 34, 4);
    putWide(b, varFileInfo + 38, "Translation");
    put32(b, varFileInfo + 64, 0x04B00409);

    image.versionEnd = v + kVersionLength;
    return image;
}

bool looksLikeVersion(const std::string& text) {
    static const std::regex pattern(R"(\d{1,5}\.\d{1,5}\.\d{1,5}\.\d{1,5})");
    return std::regex_match(text, pattern);
}

class FileVersionTest : public ::testing::Test {
protected:
    std::string versionOf(const std::string& bytes, const std::string& name = "app.exe") {
        return GetFileVersionText(m_tree.addFile(name, bytes));
    }

    test::TempTree m_tree;
};

TEST_F(FileVersionTest, ReadsFileVersionOfPe32AndPe32Plus) {
    const std::array<std::pair<std::array<std::uint16_t, 4>, const char*>, 4> cases{{
        {{6, 0, 84, 18}, "6.0.84.18"},
        {{65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
        {{65535, 0, 1, 65535}, "65535.0.1.65535"},
        {{0, 0, 0, 0}, "0.0.0.0"},
    }};
    for (const bool pe32Plus : {false, true}) {
        for (const auto& [version, expected] : cases) {
            SCOPED_TRACE(std::string(pe32Plus ? "PE32+ " : "PE32 ") + expected);
            ImageOptions options;
            options.pe32Plus = pe32Plus;
            options.version = version;
            EXPECT_EQ(versionOf(buildImage(options).bytes), expected);
        }
    }
}

TEST_F(FileVersionTest, ReadsResourceSectionFarIntoALargeFile) {
    // Offsets above 2 GiB must be taken as unsigned; the file is sparse, so nothing but the
    // headers and the resource section occupies the disk.
    Image image = buildImage();
    constexpr std::uint32_t farOffset = 0xC0000000U;
    put32(image.bytes, image.rsrcSection + 20, farOffset);
    const std::string path = m_tree.addFile("large.dll", image.bytes.substr(0, kRsrcRaw));
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string rsrc = image.bytes.substr(kRsrcRaw);
    const auto written = ::pwrite(fd, rsrc.data(), rsrc.size(), static_cast<off_t>(farOffset));
    ::close(fd);
    ASSERT_EQ(written, static_cast<ssize_t>(rsrc.size()));
    EXPECT_EQ(GetFileVersionText(path), "6.0.84.18");
}

TEST_F(FileVersionTest, OnlyARegularFileNamedExeDllOrOcxIsRead) {
    const std::string image = buildImage().bytes;
    for (const char* name : {"app.exe", "APP.EXE", "lib.Dll", "ctl.OcX"}) {
        EXPECT_EQ(versionOf(image, name), "6.0.84.18") << name;
        EXPECT_TRUE(mayHaveFileVersion(name)) << name;
    }
    for (const char* name :
         {"app.txt", "app.exe.bak", "appexe", "app.ex", "app.exe ", "app.e .d", "app.sys"}) {
        EXPECT_EQ(versionOf(image, name), kNa) << name;
        EXPECT_FALSE(mayHaveFileVersion(name)) << name;
    }
    for (const char* path : {"", "e", "exe", ".ex", "dll", "ocx"}) {
        EXPECT_EQ(GetFileVersionText(path), kNa) << path;
    }
    const std::string real = m_tree.path("app.exe");
    EXPECT_EQ(GetFileVersionText(real + std::string("\0.exe", 5)), kNa) << "cut short at the NUL";
    EXPECT_EQ(GetFileVersionText(m_tree.addSymlink(real, "link.exe")), kNa);
    EXPECT_EQ(GetFileVersionText(m_tree.path("missing.exe")), kNa);
    EXPECT_EQ(GetFileVersionText(m_tree.addFolder("folder.exe")), kNa);
    // Nobody writes to the FIFO: a reader that waited for a writer would never return.
    const std::string fifo = m_tree.path("pipe.dll");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(GetFileVersionText(fifo), kNa);
    for (const std::string& bytes :
         {std::string(), std::string("MZ"), test::randomBytes(4096, 7), std::string(4096, '\0')}) {
        EXPECT_EQ(versionOf(bytes, "other.exe"), kNa) << bytes.size();
    }
}

TEST_F(FileVersionTest, EveryTruncationGivesNaUntilTheVersionResourceIsWhole) {
    for (const bool pe32Plus : {false, true}) {
        const Image image = buildImage({.pe32Plus = pe32Plus});
        for (std::size_t length = 0; length <= image.bytes.size(); ++length) {
            SCOPED_TRACE(testing::Message()
                         << (pe32Plus ? "PE32+" : "PE32") << " length " << length);
            const std::string result = versionOf(image.bytes.substr(0, length), "cut.exe");
            EXPECT_EQ(result, length < image.versionEnd ? kNa : "6.0.84.18");
        }
    }
}

TEST_F(FileVersionTest, MissingOrDamagedStructuresGiveNa) {
    using Damage = std::function<void(Image&)>;
    const std::vector<std::pair<const char*, Damage>> cases{
        // Images without a version resource.
        {"resource data directory is empty",
         [](Image& i) { put64(i.bytes, i.resourceDirectory, 0); }},
        {"only two data directories, the resource one is beyond them",
         [](Image& i) {
             i = buildImage({.pe32Plus = true});
             put32(i.bytes, i.rvaCount, 2);
         }},
        {"no RT_VERSION type", [](Image& i) { i = buildImage({.listsVersion = false}); }},
        {"RT_VERSION without any name entry",
         [](Image& i) { putDirectory(i.bytes, i.nameDirectory, 0, 0); }},
        {"RT_VERSION without any language entry",
         [](Image& i) { putDirectory(i.bytes, i.languageDirectory, 0, 0); }},
        {"version resource without a fixed part",
         [](Image& i) { put16(i.bytes, i.versionInfo + 2, 0); }},
        // Damaged headers.
        {"no MZ", [](Image& i) { put8(i.bytes, 1, 'X'); }},
        {"e_lfanew past the end", [](Image& i) { put32(i.bytes, 0x3C, kFileSize + 16); }},
        {"e_lfanew at the last bytes", [](Image& i) { put32(i.bytes, 0x3C, kFileSize - 8); }},
        {"e_lfanew at the top", [](Image& i) { put32(i.bytes, 0x3C, 0xFFFFFFFFU); }},
        {"no PE signature", [](Image& i) { put8(i.bytes, kNtOffset + 2, 'x'); }},
        {"unknown optional header", [](Image& i) { put16(i.bytes, i.optional, 0x107); }},
        {"optional header too small for the resource directory",
         [](Image& i) { put16(i.bytes, i.coff + 16, 100); }},
        {"optional header size past the end",
         [](Image& i) { put16(i.bytes, i.coff + 16, 0xFFFF); }},
        {"no sections", [](Image& i) { put16(i.bytes, i.coff + 2, 0); }},
        {"section table past the end", [](Image& i) { put16(i.bytes, i.coff + 2, 0xFFFF); }},
        {"resources in no section", [](Image& i) { put32(i.bytes, i.resourceDirectory, 0x9000); }},
        {"resource section raw data past the end",
         [](Image& i) { put32(i.bytes, i.rsrcSection + 20, 0xFFFFFE00U); }},
        {"resource section at the top of the address space",
         [](Image& i) {
             put32(i.bytes, i.rsrcSection + 12, 0xFFFFFFF0U);
             put32(i.bytes, i.rsrcSection + 16, 0xFFFFFFFFU);
             put32(i.bytes, i.resourceDirectory, 0xFFFFFFF0U);
         }},
        {"version data only in the virtual part of the section",
         [](Image& i) { put32(i.bytes, i.rsrcSection + 16, kVersion); }},
        // A damaged resource tree.
        {"type subdirectory out of range",
         [](Image& i) { put32(i.bytes, i.versionTypeEntry + 4, kSubdirectory | 0x7FFFFFF0U); }},
        {"name subdirectory straddling the end of the section",
         [](Image& i) {
             put32(i.bytes, i.nameDirectory + 20, kSubdirectory | (kRsrcVirtualSize - 8));
         }},
        {"data entry out of range",
         [](Image& i) { put32(i.bytes, i.languageDirectory + 20, 0x7FFFFFFFU); }},
        {"RT_VERSION points at data, not a directory",
         [](Image& i) { put32(i.bytes, i.versionTypeEntry + 4, kData); }},
        {"language points at a directory, not data",
         [](Image& i) { put32(i.bytes, i.languageDirectory + 20, kSubdirectory | kEmpty); }},
        {"entry counts far beyond the section",
         [](Image& i) { putDirectory(i.bytes, i.rootDirectory, 0xFFFF, 0xFFFF); }},
        {"version data RVA out of range",
         [](Image& i) { put32(i.bytes, i.dataEntry, 0xFFFFFFF0U); }},
        {"version data size beyond the file",
         [](Image& i) { put32(i.bytes, i.dataEntry + 4, 0xFFFFFFFFU); }},
        {"version data smaller than its fixed part",
         [](Image& i) { put32(i.bytes, i.dataEntry + 4, 60); }},
        // Cycles in the resource tree.
        {"RT_VERSION points back at the root",
         [](Image& i) { put32(i.bytes, i.versionTypeEntry + 4, kSubdirectory | kRoot); }},
        {"name directory points at itself",
         [](Image& i) { put32(i.bytes, i.nameDirectory + 20, kSubdirectory | kNames); }},
        {"language directory points back at the name directory",
         [](Image& i) { put32(i.bytes, i.languageDirectory + 20, kSubdirectory | kNames); }},
        {"language entry takes its own directory for data",
         [](Image& i) { put32(i.bytes, i.languageDirectory + 20, kLanguages); }},
        // The name directory's first fields are made to look like a sound data entry: only
        // the check for structures met twice tells the damage.
        {"name directory reused as the data entry",
         [](Image& i) {
             put32(i.bytes, i.languageDirectory + 20, kNames);
             put32(i.bytes, i.nameDirectory, kRsrcRva + kVersion);
             put32(i.bytes, i.nameDirectory + 4, kVersionLength);
         }},
        // A damaged version resource.
        {"wrong fixed-info signature", [](Image& i) { put32(i.bytes, i.fixedInfo, 0xFEEF04BCU); }},
        {"wrong key", [](Image& i) { putWide(i.bytes, i.versionInfo + 6, "VS_VERSION_INFX"); }},
        {"key without its NUL", [](Image& i) { put16(i.bytes, i.versionInfo + 36, 'X'); }},
        {"fixed part shorter than VS_FIXEDFILEINFO",
         [](Image& i) { put16(i.bytes, i.versionInfo + 2, 48); }},
        {"wLength shorter than the fixed part",
         [](Image& i) { put16(i.bytes, i.versionInfo, 80); }},
        {"wLength longer than the resource data",
         [](Image& i) { put16(i.bytes, i.versionInfo, kVersionLength + 4); }},
    };
    for (const auto& [what, damage] : cases) {
        Image image = buildImage();
        damage(image);
        EXPECT_EQ(versionOf(image.bytes), kNa) << what;
    }
}

TEST_F(FileVersionTest, EntryCountIsBoundedByTheSection) {
    // The language directory's entry array may run up to the end of the section's data.
    constexpr std::uint32_t fitting = (kRsrcVirtualSize - kLanguages - 16) / 8;
    Image image = buildImage();
    putDirectory(image.bytes, image.languageDirectory, 0, fitting);
    EXPECT_EQ(versionOf(image.bytes, "fits.exe"), "6.0.84.18");
    putDirectory(image.bytes, image.languageDirectory, 0, fitting + 1);
    EXPECT_EQ(versionOf(image.bytes, "overruns.exe"), kNa);
}

TEST_F(FileVersionTest, AnySingleDamagedByteGivesNaOrAVersion) {
    // Whatever a damaged byte makes of the structures, the answer stays well-formed; the
    // sanitizers of the test builds catch any read outside the bytes actually read.
    const Image image = buildImage({.pe32Plus = true});
    for (std::size_t offset = 0; offset < image.versionEnd; ++offset) {
        for (const std::uint8_t value :
             {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
            std::string bytes = image.bytes;
            put8(bytes, offset, value);
            const std::string result = versionOf(bytes, "flip.exe");
            EXPECT_TRUE(result == kNa || looksLikeVersion(result))
                << "offset " << offset << " value " << int{value} << ": " << result;
        }
    }
}

} // namespace
} // namespace pw
