// The descriptor bytes as the host library reads them, whatever module they come from: each
// letter and the help text taken, and every way the bytes can describe a function badly refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/descriptor_format.h"

namespace {

// The bytes of a literal that holds NULs, without the literal's own final NUL.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

TEST(DescriptorFormat, ReadsTheLettersAndTheHelpText)
{
    struct Case {
        std::string bytes;
        char result;
        const char *arguments;
        const char *help;
    };
    const Case cases[] = {
        {Bytes("\0I\0II\0Sum := Add( A , B )\r\n\r\nAdds two integers.\0"), 'I', "II",
         "Sum := Add( A , B )\r\n\r\nAdds two integers."},
        {Bytes("\0V\0V\0Nothing()\0"), 'V', "", "Nothing()"},
        {Bytes("\0S\0SSSSI\0Result := MsgBox()\r\n\0"), 'S', "SSSSI", "Result := MsgBox()\r\n"},
        {Bytes("\0L\0WWWL\0\0"), 'L', "WWWL", ""},
        {Bytes("\0W\0IIIIIIII\0Eight()\0"), 'W', "IIIIIIII", "Eight()"},
        {Bytes("\0I\0I\0Padded()\0\0\0\0"), 'I', "I", "Padded()"},   // NUL bytes that pad the resource
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.help);
        host::Function function;
        ASSERT_EQ(host::ParseDescriptor(c.bytes, &function), "");
        EXPECT_EQ(function.result, c.result);
        EXPECT_EQ(function.arguments, c.arguments);
        EXPECT_EQ(function.help, c.help);
    }
}

TEST(DescriptorFormat, RefusesMalformedDescriptors)
{
    struct Case {
        std::string bytes;
        const char *problem;
    };
    const Case cases[] = {
        {"", "it does not begin with a NUL"},
        {Bytes("I\0II\0Add()\0"), "it does not begin with a NUL"},
        {Bytes("\0\0II\0Add()\0"), "its result letter is not one of I, W, L, S and V"},
        {Bytes("\0IS\0II\0Add()\0"), "its result letter is not one of I, W, L, S and V"},
        {Bytes("\0X\0II\0Add()\0"), "its result letter is not one of I, W, L, S and V"},
        {Bytes("\0I"), "its result letter is not one of I, W, L, S and V"},
        {Bytes("\0I\0\0Add()\0"), "its argument letters are neither V nor up to 8 of I, W, L and S"},
        {Bytes("\0I\0IX\0Add()\0"), "its argument letters are neither V nor up to 8 of I, W, L and S"},
        {Bytes("\0I\0VI\0Add()\0"), "its argument letters are neither V nor up to 8 of I, W, L and S"},
        {Bytes("\0I\0IIIIIIIII\0Nine()\0"), "its argument letters are neither V nor up to 8 of I, W, L and S"},
        {Bytes("\0I\0II"), "its argument letters are neither V nor up to 8 of I, W, L and S"},
        {Bytes("\0I\0II\0Add() without its NUL"), "its help text does not end in a NUL"},
        {Bytes("\0I\0II\0Add()\0more"), "bytes follow its help text"},
        {Bytes("\0I\0II\0Add()\0\0more\0"), "bytes follow its help text"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        host::Function function;
        EXPECT_EQ(host::ParseDescriptor(c.bytes, &function), c.problem);
    }
}

// What a host reads of a descriptor is exactly its bytes, padding aside.
TEST(DescriptorFormat, SizeIsTheDescriptorsBytes)
{
    for (const std::string &bytes : {Bytes("\0I\0II\0Sum := Add( A , B )\r\n\0"), Bytes("\0V\0V\0Nothing()\0"),
                                     Bytes("\0S\0S\0\0")}) {
        host::Function function;
        ASSERT_EQ(host::ParseDescriptor(bytes, &function), "");
        EXPECT_EQ(host::DescriptorSize(function), bytes.size()) << testing::PrintToString(bytes);
    }
}

TEST(DescriptorFormat, ReadsTheFunctionListUpToItsEmptyName)
{
    std::vector<std::string> names;
    ASSERT_EQ(host::ParseFunctionList(Bytes("Add\0Echo\0_Under_2\0\0"), &names), "");
    EXPECT_EQ(names, (std::vector<std::string>{"Add", "Echo", "_Under_2"}));
    ASSERT_EQ(host::ParseFunctionList(Bytes("\0"), &names), "");
    EXPECT_TRUE(names.empty());
    // The empty name ends the list: what follows it is not read.
    ASSERT_EQ(host::ParseFunctionList(Bytes("Add\0\0Echo\0"), &names), "");
    EXPECT_EQ(names, std::vector<std::string>{"Add"});
}

// Descriptors are found by the name in capitals, and a script calls a function by a name of
// letters, digits and underscores.
TEST(DescriptorFormat, RefusesFunctionListsThatDescribeBadly)
{
    struct Case {
        std::string bytes;
        const char *problem;
    };
    const Case cases[] = {
        {"", "it does not end in an empty name"},
        {Bytes("Add\0Echo\0"), "it does not end in an empty name"},
        {Bytes("Add\0Echo"), "it does not end in an empty name"},
        {Bytes("Add\0Echo\0add\0\0"), "it lists add twice"},
        {Bytes("Add(\0\0"), "it lists \"Add(\", which is no function name"},
        {Bytes("Send Msg\0\0"), "it lists \"Send Msg\", which is no function name"},
        {Bytes("Caf\xe9\0\0"), "it lists \"Caf\xe9\", which is no function name"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        std::vector<std::string> names;
        EXPECT_EQ(host::ParseFunctionList(c.bytes, &names), c.problem);
    }
}

}  // namespace
