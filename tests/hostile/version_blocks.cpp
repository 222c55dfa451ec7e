#include "hostile/version_blocks.h"

#include <gtest/gtest.h>

#include "common/qimapi_test.h"
#include "launch/launch_fixture.h"

namespace hostile {

VersionNode VersionText(const std::string &key, const std::string &text, bool terminated)
{
    std::string wide;
    for (char c : text) wide += {c, '\0'};   // the texts here are ASCII
    if (terminated) wide += std::string(2, '\0');
    return {key, wide, static_cast<WORD>(text.size() + (terminated ? 1 : 0)), 1, {}};
}

VersionNode VersionBytes(const std::string &key, const std::string &bytes)
{
    return {key, bytes, static_cast<WORD>(bytes.size()), 0, {}};
}

VersionNode StringTable(const std::string &name, const std::vector<VersionNode> &values)
{
    return {name, "", 0, 1, values};
}

VersionNode StringFileInfo(const std::vector<VersionNode> &tables)
{
    return {"StringFileInfo", "", 0, 1, tables};
}

VersionNode VarFileInfo(const std::vector<std::pair<WORD, WORD>> &translations)
{
    std::string pairs;
    for (const auto &translation : translations) {
        const WORD words[] = {translation.first, translation.second};
        pairs.append(reinterpret_cast<const char *>(words), sizeof words);
    }
    return {"VarFileInfo", "", 0, 1, {VersionBytes("Translation", pairs)}};
}

VersionNode VersionInfo(const std::vector<VersionNode> &blocks)
{
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = 0x00040000;
    return {"VS_VERSION_INFO", std::string(reinterpret_cast<const char *>(&fixed), sizeof fixed), sizeof fixed, 0,
            blocks};
}

static void AlignTo32Bits(std::string *bytes)
{
    bytes->resize((bytes->size() + 3) / 4 * 4, '\0');
}

std::string VersionBytesOf(const VersionNode &node)
{
    std::string bytes(3 * sizeof(WORD), '\0');
    for (char c : node.key) bytes += {c, '\0'};
    bytes += std::string(2, '\0');
    AlignTo32Bits(&bytes);
    bytes += node.value;
    for (const VersionNode &child : node.children) {
        AlignTo32Bits(&bytes);
        bytes += VersionBytesOf(child);
    }
    const WORD header[] = {static_cast<WORD>(bytes.size()), node.valueLength, node.type};
    bytes.replace(0, sizeof header, reinterpret_cast<const char *>(header), sizeof header);
    return bytes;
}

VersionFixture::VersionFixture(const VersionNode &resource)
    : path_(qimapi_test::TempFolder() + qimapi_test::UniqueName("qimapi-version") + ".dll")
{
    EXPECT_TRUE(CopyFileA((launch_test::BinFolder() + "version_none.dll").c_str(), path_.c_str(), FALSE)) << path_;
    std::string bytes = VersionBytesOf(resource);
    HANDLE update = BeginUpdateResourceA(path_.c_str(), FALSE);
    EXPECT_TRUE(update) << path_;
    if (!update) return;
    EXPECT_TRUE(UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &bytes[0],
                                static_cast<DWORD>(bytes.size())));
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
}

VersionFixture::~VersionFixture()
{
    DeleteFileA(path_.c_str());
}

}  // namespace hostile
