// Registry values on the real registry, below a private key of every root that each test removes.
#include "common/qimapi_test.h"

#include <string.h>

#include <string>
#include <vector>

using qimapi_test::Dll;
using qimapi_test::ImportPatch;
using qimapi_test::kTextLengths;
using qimapi_test::Letters;
using qimapi_test::TakeResultString;
using qimapi_test::UniqueName;

namespace {

struct Root {
    HKEY key;
    const char *name;
};

const Root kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"}, {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
};

const char kUser[] = "HKEY_CURRENT_USER";

std::string ReadReg(const std::string &keyName, const std::string &defaultValue, const std::string &branch)
{
    return TakeResultString(QIMAPI(ReadReg)(keyName.c_str(), defaultValue.c_str(), branch.c_str()));
}

int WriteReg(const std::string &keyName, const std::string &newString, const std::string &branch)
{
    return QIMAPI(WriteReg)(keyName.c_str(), newString.c_str(), branch.c_str());
}

// A value as the registry holds it: its type and bytes.
struct Stored {
    bool exists;
    DWORD type;
    std::string bytes;
};

Stored StoredValue(HKEY root, const std::string &keyName, const char *valueName = nullptr)
{
    Stored stored = {false, REG_NONE, ""};
    HKEY key;
    if (RegOpenKeyExA(root, keyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return stored;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(size);
        stored.exists = RegQueryValueExA(key, valueName, nullptr, &stored.type,
                                         reinterpret_cast<BYTE *>(&stored.bytes[0]), &size) == ERROR_SUCCESS;
        stored.bytes.resize(size);
    }
    RegCloseKey(key);
    return stored;
}

// The text of a REG_SZ default value, "<none>" where there is none.
std::string StoredText(HKEY root, const std::string &keyName)
{
    Stored stored = StoredValue(root, keyName);
    if (!stored.exists) return "<none>";
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    return stored.bytes.substr(0, stored.bytes.find('\0'));
}

void Plant(HKEY root, const std::string &keyName, const std::string &value)
{
    ASSERT_EQ(RegSetValueA(root, keyName.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}

// The private key is made directly below each root: Wine allows that below every one of them.
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const Root &root : kRoots) RegDeleteTreeA(root.key, base_.c_str());
    }
    // A key below the private key; the same path names a key below every root.
    std::string Key(const std::string &below) const { return base_ + "\\" + below; }
    const std::string base_ = UniqueName("QimapiRegistryTest");
};

struct BranchCase {
    const char *branch;
    HKEY root;
};

// Whole words, only a-z folded; everything else, HKEY_CURRENT_CONFIG excepted, is the classes root.
const BranchCase kBranchCases[] = {
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},     {"hkey_current_user", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"hkey_local_machine", HKEY_LOCAL_MACHINE},
    {"Hkey_Local_Machine", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"hkey_Current_config", HKEY_CURRENT_CONFIG},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"", HKEY_CLASSES_ROOT},
    {"HKEY_USER", HKEY_CLASSES_ROOT},             {" HKEY_USERS", HKEY_CLASSES_ROOT},
    {"HKEY_USERS ", HKEY_CLASSES_ROOT},           {"HKCU", HKEY_CLASSES_ROOT},
    {"HKEY_LOCAL_MACHINE\\", HKEY_CLASSES_ROOT},  {"HKEY_CURRENT_CONFIGURATION", HKEY_CLASSES_ROOT},
};

const char *RootName(HKEY root)
{
    for (const Root &r : kRoots)
        if (r.key == root) return r.name;
    return "?";
}

TEST_F(RegistryTest, ReadRegReadsBelowTheRootItsBranchWordChooses)
{
    for (const Root &root : kRoots) Plant(root.key, Key("branch"), root.name);
    for (const BranchCase &c : kBranchCases)
        EXPECT_EQ(ReadReg(Key("branch"), "default", c.branch), RootName(c.root)) << '"' << c.branch << '"';
}

TEST_F(RegistryTest, WriteRegWritesBelowTheRootItsBranchWordChooses)
{
    int n = 0;
    for (const BranchCase &c : kBranchCases) {
        std::string keyName = Key("branch" + std::to_string(++n));
        EXPECT_EQ(WriteReg(keyName, "written", c.branch), 1) << '"' << c.branch << '"';
        for (const Root &root : kRoots)
            EXPECT_EQ(StoredText(root.key, keyName), root.key == c.root ? "written" : "<none>")
                << '"' << c.branch << "\" under " << root.name;
    }
}

TEST_F(RegistryTest, ReadRegGivesValuesUpTo254CharactersAndDefaultForLonger)
{
    const struct {
        size_t length;
        bool fits;
    } cases[] = {{0, true}, {1, true}, {254, true}, {255, false}, {256, false}, {300, false}};
    for (const auto &c : cases) {
        Plant(HKEY_CURRENT_USER, Key("value"), Letters(c.length));
        EXPECT_EQ(ReadReg(Key("value"), "default", kUser), c.fits ? Letters(c.length) : "default") << c.length;
    }
}

TEST_F(RegistryTest, DefaultComesBackCutTo255Characters)
{
    const std::string longDefault = Letters(300);
    EXPECT_EQ(ReadReg(Key("missing"), longDefault, kUser), longDefault.substr(0, 255));
    Plant(HKEY_CURRENT_USER, Key("too long"), std::string(300, 'v'));
    EXPECT_EQ(ReadReg(Key("too long"), longDefault, kUser), longDefault.substr(0, 255));
    EXPECT_EQ(ReadReg(Key("too long"), "short", kUser), "short");   // nothing the failed query left stays
}

// RegQueryValueA answers a key without a default value with success and the empty text.
TEST_F(RegistryTest, ReadRegOfAKeyWithoutDefaultValueGivesTheEmptyText)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, Key("no default").c_str(), &key), ERROR_SUCCESS);
    RegSetValueExA(key, "named", 0, REG_SZ, reinterpret_cast<const BYTE *>("named value"), 12);
    RegCloseKey(key);
    EXPECT_EQ(ReadReg(Key("no default"), "default", kUser), "");
    EXPECT_EQ(ReadReg(Key("no default\\missing"), "default", kUser), "default");
}

// Text stored without its NUL, or a value of another type, ends where its bytes end instead of
// running on into the Default copied into the buffer first.
TEST_F(RegistryTest, ReadRegEndsTheTextWhereTheStoredBytesEnd)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, Key("bytes").c_str(), &key), ERROR_SUCCESS);
    for (DWORD type : {REG_SZ, REG_BINARY}) {
        RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE *>("abc"), 3);
        EXPECT_EQ(ReadReg(Key("bytes"), "a longer default", kUser), "abc") << "type " << type;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeynameOfThreeKeysNamesTheDefaultValueOfTheThird)
{
    const std::string third = Key("One\\Two\\Three");
    EXPECT_EQ(WriteReg(third, "third", kUser), 1);
    EXPECT_EQ(StoredText(HKEY_CURRENT_USER, third), "third");
    EXPECT_FALSE(StoredValue(HKEY_CURRENT_USER, Key("One\\Two"), "Three").exists);

    HKEY two;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Key("One\\Two").c_str(), &two), ERROR_SUCCESS);
    RegSetValueExA(two, "Three", 0, REG_SZ, reinterpret_cast<const BYTE *>("named"), 6);
    RegCloseKey(two);
    EXPECT_EQ(ReadReg(third, "default", kUser), "third");
}

std::vector<DWORD> setValueCounts;
LONG WINAPI RecordRegSetValue(HKEY root, LPCSTR keyName, DWORD type, LPCSTR data, DWORD count)
{
    setValueCounts.push_back(count);
    return RegSetValueA(root, keyName, type, data, count);
}

// Wine's RegSetValueA measures the text itself, so the count passed is recorded on the way.
TEST_F(RegistryTest, WriteRegStoresTextWithItsNulAsRegSz)
{
    ImportPatch patch(Dll(), "advapi32.dll", "RegSetValueA", (void *)RecordRegSetValue);
    ASSERT_TRUE(patch.ok());
    setValueCounts.clear();
    EXPECT_EQ(WriteReg(Key("empty"), "", kUser), 1);
    EXPECT_EQ(WriteReg(Key("text"), "abc", kUser), 1);
    EXPECT_EQ(setValueCounts, (std::vector<DWORD>{1, 4}));

    Stored empty = StoredValue(HKEY_CURRENT_USER, Key("empty"));
    EXPECT_TRUE(empty.exists);
    EXPECT_EQ(empty.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));
    EXPECT_EQ(ReadReg(Key("empty"), "default", kUser), "");
    EXPECT_EQ(StoredValue(HKEY_CURRENT_USER, Key("text")).bytes, std::string("abc", 4));
}

TEST_F(RegistryTest, WriteRegCreatesTheKeyPathOrAnswersZero)
{
    EXPECT_EQ(WriteReg(Key("a\\b\\c"), "deep", kUser), 1);
    EXPECT_EQ(ReadReg(Key("a\\b\\c"), "default", kUser), "deep");
    // No key name may be longer than 255 characters.
    EXPECT_EQ(WriteReg(Key(std::string(300, 'k')), "never", kUser), 0);
}

LONG WINAPI ScribbleAndFail(HKEY, LPCSTR, LPSTR value, PLONG size)
{
    memset(value, 'X', *size);
    return ERROR_MORE_DATA;
}

// The buffer's contents are undefined after a failed query: Default is copied in again.
TEST_F(RegistryTest, ReadRegGivesDefaultWhateverAFailedQueryLeft)
{
    Plant(HKEY_CURRENT_USER, Key("value"), "value");
    ImportPatch patch(Dll(), "advapi32.dll", "RegQueryValueA", (void *)ScribbleAndFail);
    ASSERT_TRUE(patch.ok());
    EXPECT_EQ(ReadReg(Key("value"), "default", kUser), "default");
    EXPECT_EQ(ReadReg(Key("value"), Letters(300), kUser), Letters(255));
}

std::vector<HKEY> openedKeys, closedKeys;
LONG WINAPI RecordRegOpenKey(HKEY root, LPCSTR keyName, PHKEY key)
{
    LONG result = RegOpenKeyA(root, keyName, key);
    if (result == ERROR_SUCCESS) openedKeys.push_back(*key);
    return result;
}
LONG WINAPI RecordRegCloseKey(HKEY key)
{
    closedKeys.push_back(key);
    return RegCloseKey(key);
}

TEST_F(RegistryTest, ReadRegClosesTheKeyItOpens)
{
    Plant(HKEY_CURRENT_USER, Key("readable"), "value");
    Plant(HKEY_CURRENT_USER, Key("too long"), std::string(300, 'v'));
    ImportPatch open(Dll(), "advapi32.dll", "RegOpenKeyA", (void *)RecordRegOpenKey);
    ImportPatch close(Dll(), "advapi32.dll", "RegCloseKey", (void *)RecordRegCloseKey);
    ASSERT_TRUE(open.ok() && close.ok());
    const struct {
        const char *key;
        size_t opens;
    } cases[] = {{"readable", 1}, {"too long", 1}, {"missing", 0}};
    for (const auto &c : cases) {
        openedKeys.clear();
        closedKeys.clear();
        ReadReg(Key(c.key), "default", kUser);
        EXPECT_EQ(openedKeys.size(), c.opens) << c.key;
        EXPECT_EQ(closedKeys, openedKeys) << c.key;
    }
}

// A key name of the given length below the private key, in parts the registry accepts.
std::string KeyNameOfLength(const std::string &base, size_t length)
{
    std::string name = base;
    while (name.size() < length) name += "\\" + Letters(40);
    name.resize(length);
    if (name.back() == '\\') name.back() = 'z';
    return name;
}

// The empty Keyname names the root key itself: its own default value is written and removed.
TEST_F(RegistryTest, KeynameOfAnyLength)
{
    ASSERT_FALSE(StoredValue(HKEY_CURRENT_USER, "").exists) << "HKEY_CURRENT_USER has a default value of its own";
    EXPECT_EQ(WriteReg("", "root value", kUser), 1);
    EXPECT_EQ(ReadReg("", "default", kUser), "root value");
    EXPECT_EQ(RegDeleteValueA(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS);

    for (size_t length : kTextLengths) {
        if (length == 0) continue;
        if (length > 300) {   // one part longer than any key name can be
            std::string keyName = Key(Letters(length));
            EXPECT_EQ(WriteReg(keyName, "value", kUser), 0);
            EXPECT_EQ(ReadReg(keyName, "default", kUser), "default");
            continue;
        }
        std::string keyName = KeyNameOfLength(base_, length);
        ASSERT_EQ(keyName.size(), length);
        EXPECT_EQ(WriteReg(keyName, "value", kUser), 1) << length;
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, keyName), "value") << length;
        EXPECT_EQ(ReadReg(keyName, "default", kUser), "value") << length;
    }
}

TEST_F(RegistryTest, DefaultAndNewStringOfAnyLength)
{
    for (size_t length : kTextLengths) {
        const std::string text = Letters(length);
        EXPECT_EQ(ReadReg(Key("missing"), text, kUser), text.substr(0, 255)) << length;

        EXPECT_EQ(WriteReg(Key("value"), text, kUser), 1) << length;
        EXPECT_EQ(StoredValue(HKEY_CURRENT_USER, Key("value")).bytes.size(), length + 1);
        EXPECT_EQ(ReadReg(Key("value"), "default", kUser), length <= 254 ? text : "default") << length;
    }
}

TEST_F(RegistryTest, BranchOfAnyLengthIsTheClassesRoot)
{
    Plant(HKEY_CLASSES_ROOT, Key("branch"), "classes");
    Plant(HKEY_CURRENT_USER, Key("branch"), "user");
    for (size_t length : kTextLengths) {
        // Each length of "HKEY_CURRENT_USER" repeated: never the whole word alone.
        std::string branch;
        while (branch.size() < length) branch += "HKEY_CURRENT_USER";
        branch.resize(length);
        EXPECT_EQ(ReadReg(Key("branch"), "default", branch), "classes") << length;
        EXPECT_EQ(WriteReg(Key("written"), "classes too", branch), 1) << length;
        EXPECT_EQ(StoredText(HKEY_CLASSES_ROOT, Key("written")), "classes too") << length;
        EXPECT_EQ(StoredText(HKEY_CURRENT_USER, Key("written")), "<none>") << length;
    }
}

}  // namespace
