// Calls as scripts write them: literals read as the host reads them, malformed calls refused with
// what is wrong, arguments checked against the descriptor's letters, and the slots they become.
#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "host/script_call.h"

namespace {

host::Function Described(const char *name, const char *arguments)
{
    host::Function function;
    function.name = name;
    function.result = 'I';
    function.arguments = arguments;
    return function;
}

// An argument as the parser should read it: a number, or a text.
struct Expected {
    bool isText;
    uint32_t number;
    const char *text;
};
Expected Number(uint32_t number) { return {false, number, ""}; }
Expected Text(const char *text) { return {true, 0, text}; }

TEST(ScriptCall, ReadsLiteralsAsScriptsWriteThem)
{
    struct Case {
        const char *line;
        const char *name;
        std::vector<Expected> arguments;
    };
    const Case cases[] = {
        {"Add(2, 3)", "Add", {Number(2), Number(3)}},
        {"  add ( 1 ,2 )  ", "add", {Number(1), Number(2)}},   // spaces between the parts
        {"\tNothing()", "Nothing", {}},
        {"Nothing(  )", "Nothing", {}},
        {"Add(0x10, -0x1)", "Add", {Number(16), Number(0xFFFFFFFF)}},
        {"Add(0xFFFFFFFF, 0XaB)", "Add", {Number(0xFFFFFFFF), Number(0xAB)}},
        {"Add(-2147483648, 0)", "Add", {Number(0x80000000), Number(0)}},
        {"Handle(4294967295)", "Handle", {Number(0xFFFFFFFF)}},
        {"Handle(-1)", "Handle", {Number(0xFFFFFFFF)}},
        {"Negate(0x7fffffff)", "Negate", {Number(0x7FFFFFFF)}},
        {"Echo(\"say \"\"hi\"\"\")", "Echo", {Text("say \"hi\"")}},
        {"Echo(\"C:\\dir\\\")", "Echo", {Text("C:\\dir\\")}},
        {"Echo(\"a, b) *.dll\")", "Echo", {Text("a, b) *.dll")}},
        {"Echo(\"\")", "Echo", {Text("")}},
        {"Mixed(\"x\", 7)", "Mixed", {Text("x"), Number(7)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        host::ScriptCall call;
        ASSERT_EQ(host::ParseScriptCall(c.line, &call), "");
        EXPECT_EQ(call.name, c.name);
        ASSERT_EQ(call.arguments.size(), c.arguments.size());
        for (size_t i = 0; i < c.arguments.size(); ++i) {
            EXPECT_EQ(call.arguments[i].isText, c.arguments[i].isText) << "argument " << i + 1;
            EXPECT_EQ(call.arguments[i].number, c.arguments[i].number) << "argument " << i + 1;
            EXPECT_EQ(call.arguments[i].text, c.arguments[i].text) << "argument " << i + 1;
        }
    }
}

TEST(ScriptCall, RefusesMalformedCalls)
{
    struct Case {
        const char *line;
        const char *problem;
    };
    const Case cases[] = {
        {"", "malformed call: expected a function name"},
        {"(1)", "malformed call: expected a function name"},
        {"Add 1, 2", "malformed call: expected '(' after the function name"},
        {"Add(1 2)", "malformed call: expected ')' after argument 1"},
        {"Add(1,)", "malformed call: expected a number or a \"text\" as argument"},
        {"Add(x, 1)", "malformed call: expected a number or a \"text\" as argument"},
        {"Add(1, 2) 3", "malformed call: unexpected text after ')': 3"},
        {"Add(1, 2", "malformed call: expected ')' after argument 2"},
        {"Echo(\"open)", "malformed call: unterminated text \"open)"},
        {"Add(1x, 2)", "malformed number 1x"},
        {"Add(0x, 2)", "malformed number 0x"},
        {"Add(--1, 2)", "malformed number --1"},
        {"Add(-, 2)", "malformed number -"},
        {"Add(4294967296, 0)", "number out of 32-bit range: 4294967296"},
        {"Add(0x100000000, 0)", "number out of 32-bit range: 0x100000000"},
        {"Add(-2147483649, 0)", "number out of 32-bit range: -2147483649"},
        {"Add(99999999999999999999999, 0)", "number out of 32-bit range: 99999999999999999999999"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        host::ScriptCall call;
        EXPECT_EQ(host::ParseScriptCall(c.line, &call), c.problem);
    }
}

TEST(ScriptCall, RefusesArgumentsTheDescriptorDoesNotAllow)
{
    struct Case {
        host::Function function;
        const char *line;
        const char *problem;   // empty: the arguments fit
    };
    const Case cases[] = {
        {Described("Add", "II"), "Add(1, 2)", ""},
        {Described("Add", "II"), "Add(1)", "Add takes 2 argument(s), not 1"},
        {Described("Add", "II"), "Add(1, 2, 3)", "Add takes 2 argument(s), not 3"},
        {Described("Nothing", ""), "Nothing(0)", "Nothing takes 0 argument(s), not 1"},
        {Described("Add", "II"), "Add(\"1\", 2)", "argument 1 of Add must be a number"},
        {Described("Echo", "S"), "Echo(1)", "argument 1 of Echo must be a \"text\""},
        {Described("SendMsg", "WWWL"), "SendMsg(1, 2, \"3\", 4)", "argument 3 of SendMsg must be a number"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        host::ScriptCall call;
        ASSERT_EQ(host::ParseScriptCall(c.line, &call), "");
        EXPECT_EQ(host::CheckArguments(c.function, call.arguments), c.problem);
    }
}

// On x86_64 a 32-bit value fills a 64-bit slot: numbers by their letter's kind, texts as pointers.
TEST(ScriptCall, WidensEachSlotAsItsLetterSays)
{
    host::ScriptCall call;
    ASSERT_EQ(host::ParseScriptCall("Four(-1, -1, -1, \"text\")", &call), "");
    const std::vector<uintptr_t> slots = host::ArgumentSlots(Described("Four", "IWLS"), call);
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_EQ(slots[0], static_cast<uintptr_t>(intptr_t{-1})) << "I is signed";
    EXPECT_EQ(slots[1], uintptr_t{0xFFFFFFFFu}) << "W, a handle or a word, is not";
    EXPECT_EQ(slots[2], static_cast<uintptr_t>(intptr_t{-1})) << "L is signed";
    EXPECT_STREQ(reinterpret_cast<const char *>(slots[3]), "text");
    EXPECT_EQ(reinterpret_cast<const char *>(slots[3]), call.arguments[3].text.c_str()) << "the call's own text";
}

}  // namespace
