// The function table that every host in the tree reads: QIMAPI.dll's as it publishes it, the
// fixture DLLs' with what they export and what not, and one clear refusal for a DLL that
// describes itself badly.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/qimapi_test.h"
#include "frame/descriptor_data.h"
#include "host/function_table.h"

namespace {

// A DLL of the bin folder, loaded for the life of the object.
class LoadedDll {
public:
    explicit LoadedDll(const char *name) : handle_(LoadLibraryA(name)) { EXPECT_TRUE(handle_) << name; }
    ~LoadedDll() { FreeLibrary(handle_); }
    LoadedDll(const LoadedDll &) = delete;
    LoadedDll &operator=(const LoadedDll &) = delete;
    HMODULE handle() const { return handle_; }

private:
    HMODULE handle_;
};

TEST(FunctionTable, HoldsEveryPublishedDescriptorInFunctionListOrder)
{
    host::Module qimapi;
    ASSERT_EQ(host::ReadFunctionTable(qimapi_test::Dll(), "QIMAPI.dll", &qimapi), "");
    ASSERT_EQ(qimapi.functions.size(), std::size(kFunctionList));
    for (size_t i = 0; i < qimapi.functions.size(); ++i) {
        const host::Function &function = qimapi.functions[i];
        SCOPED_TRACE(kFunctionList[i]);
        EXPECT_EQ(function.name, kFunctionList[i]);
        const ExpectedDescriptor *expected = FindExpectedDescriptor(function.name);
        ASSERT_TRUE(expected);
        EXPECT_EQ(function.ordinal, static_cast<unsigned>(expected->ordinal));
        EXPECT_EQ(function.result, expected->result);
        EXPECT_EQ(function.arguments, std::string(expected->arguments) == "V" ? "" : expected->arguments);
        EXPECT_EQ(function.help, ExpectedHelp(*expected));
        EXPECT_EQ(host::DescriptorSize(function), expected->size);
    }
}

TEST(FunctionTable, FindsFunctionsByNameInAnyCase)
{
    LoadedDll fixture("qimhost_fixture.dll");
    host::Module dll;
    ASSERT_EQ(host::ReadFunctionTable(fixture.handle(), "qimhost_fixture.dll", &dll), "");
    for (const char *typed : {"Add", "ADD", "add", "aDd"}) {
        const host::Function *found = host::FindFunction(dll, typed);
        ASSERT_TRUE(found) << typed;
        EXPECT_EQ(found->name, "Add");
    }
    EXPECT_FALSE(host::FindFunction(dll, "Subtract"));
    EXPECT_FALSE(host::FindFunction(dll, "Ad"));
    EXPECT_FALSE(host::FindFunction(dll, ""));
}

// The ordinal is the one the export directory gives the name; Ghost is described, not exported.
TEST(FunctionTable, KnowsUnderWhichOrdinalEachFunctionIsExported)
{
    LoadedDll fixture("qimhost_fixture.dll");
    host::Module dll;
    ASSERT_EQ(host::ReadFunctionTable(fixture.handle(), "qimhost_fixture.dll", &dll), "");
    ASSERT_EQ(dll.functions.size(), 7u);
    for (const host::Function &function : dll.functions) {
        SCOPED_TRACE(function.name);
        FARPROC byName = GetProcAddress(fixture.handle(), function.name.c_str());
        if (function.name == "Ghost") {
            EXPECT_EQ(function.ordinal, 0u);
            EXPECT_FALSE(byName);
        } else {
            ASSERT_NE(function.ordinal, 0u);
            EXPECT_EQ(GetProcAddress(fixture.handle(), MAKEINTRESOURCEA(function.ordinal)), byName);
        }
    }
}

TEST(FunctionTable, RefusesDllsThatDescribeThemselvesBadly)
{
    struct Case {
        const char *dll;
        const char *problem;
    };
    const Case cases[] = {
        {"qimhost_bare.dll", "qimhost_bare.dll has no DLL_HEADER function list: it describes no functions"},
        {"host_undescribed.dll", "host_undescribed.dll has no descriptor for Missing"},
        {"host_malformed_descriptor.dll",
         "the descriptor of Wrong in host_malformed_descriptor.dll is malformed: its argument letters are neither V "
         "nor up to 8 of I, W, L and S"},
        {"host_twice_listed.dll", "the function list of host_twice_listed.dll is malformed: it lists ADD twice"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dll);
        LoadedDll loaded(c.dll);
        host::Module dll;
        dll.functions.resize(1);
        EXPECT_EQ(host::ReadFunctionTable(loaded.handle(), c.dll, &dll), c.problem);
        EXPECT_TRUE(dll.functions.empty()) << "a refused DLL has no functions";
    }
}

}  // namespace
