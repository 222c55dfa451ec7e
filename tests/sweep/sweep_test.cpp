// Every export, called with every hostile argument its descriptor letters allow (pairwise where
// it takes more than two): each call returns within a bound, leaves a well-formed result string
// and the host's state as the design promises. The exports come from the DLL's own function
// list and descriptors, read and called through the host library, so a new export is swept
// without a line here.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/qimapi_test.h"
#include "host/call_function.h"
#include "host/function_table.h"
#include "sweep/hostile_values.h"
#include "sweep/sweep_world.h"

namespace {

using qimapi_test::Dll;

// The DLL's functions as a host reads them from its descriptors, and what refused them, if anything.
struct SweptDll {
    host::Module dll;
    std::string problem;
};
const SweptDll &Swept()
{
    static const SweptDll swept = [] {
        SweptDll read;
        read.problem = host::ReadFunctionTable(Dll(), "QIMAPI.dll", &read.dll);
        return read;
    }();
    return swept;
}

std::vector<std::string> FunctionList()
{
    std::vector<std::string> names;
    for (const host::Function &function : Swept().dll.functions) names.push_back(function.name);
    return names;
}

// What the design changes on purpose until the host asks for it back, and how the host asks.
struct Undo {
    const char *name;
    const char *undo;
    size_t undoArguments;   // passed as 0
};
const Undo kUndos[] = {
    {"DisableMouse", "RestoreMouse", 0},
    {"DisableKeys", "RestoreKeys", 0},
    {"RestrictCursor", "FreeCursor", 0},
    {"DisableDiskErrors", "DisableDiskErrors", 1},
};

// Exports that start programs: whatever a call started is ended before the next.
const char *const kLaunchers[] = {"OpenFile", "PrintFile", "RunProgram", "OpenURL", "WindowsHelp"};

bool IsLauncher(const std::string &name)
{
    for (const char *launcher : kLaunchers)
        if (name == launcher) return true;
    return false;
}

const DWORD kCallBoundMs = 20000;

class HostileSweep : public testing::TestWithParam<std::string> {};

TEST_P(HostileSweep, ReturnsWithWellFormedResultsAndRestoredState)
{
    const host::Module &dll = Swept().dll;
    const host::Function &descriptor = *host::FindFunction(dll, GetParam());
    ASSERT_TRUE(host::ExportAddress(dll, descriptor)) << descriptor.name << " is described but not exported";
    const Undo *undo = nullptr;
    for (const Undo &candidate : kUndos)
        if (descriptor.name == candidate.name) undo = &candidate;
    const host::Function *undoFunction = undo ? host::FindFunction(dll, undo->undo) : nullptr;
    if (undo) {
        ASSERT_TRUE(undoFunction) << "QIMAPI.dll does not describe " << undo->undo;
    }

    sweep::JoinSweepJob();
    sweep::UserStateGuard userState;
    sweep::SweepWindows windows;
    qimapi_test::TestWindow probeWindow("QIMAPI sweep probe");
    qimapi_test::ProbeRecorder probe(probeWindow.hwnd());
    qimapi_test::HookSpy hooks(Dll());
    ASSERT_TRUE(hooks.ok());
    sweep::BoxClicker boxes;
    sweep::CallBound bound(qimapi_test::Limit(kCallBoundMs));
    SetErrorMode(0);

    const auto &texts = sweep::HostileTexts();
    const auto &integers = sweep::HostileIntegers();
    std::vector<size_t> sizes;
    for (char letter : descriptor.arguments)
        sizes.push_back(letter == 'S' ? texts.size() : letter == 'W' ? size_t{sweep::kWindowKinds} : integers.size());

    int calls = 0;
    for (const std::vector<size_t> &row : sweep::PairwiseRows(sizes)) {
        windows.TopLevel();   // active, for the exports that fall back on the active window
        uintptr_t slots[kMaxArguments] = {};
        std::string call = descriptor.name + "(";
        for (size_t i = 0; i < row.size(); ++i) {
            char letter = descriptor.arguments[i];
            if (letter == 'S') {
                slots[i] = reinterpret_cast<uintptr_t>(texts[row[i]].c_str());
                call += sweep::Describe(texts[row[i]]);
            } else if (letter == 'W') {
                auto kind = static_cast<sweep::WindowKind>(row[i]);
                slots[i] = reinterpret_cast<uintptr_t>(windows.Get(kind));
                call += sweep::DescribeWindow(kind);
            } else {
                slots[i] = static_cast<uintptr_t>(static_cast<intptr_t>(integers[row[i]]));
                call += std::to_string(integers[row[i]]);
            }
            call += i + 1 < row.size() ? ", " : "";
        }
        call += ")";
        SCOPED_TRACE(call);

        // A wait for an activation ends when its window becomes active or goes.
        UINT_PTR releaser = descriptor.name == "WaitTillActive" ? windows.ReleaseWaitersSoon() : 0;
        uintptr_t result = 0;
        bound.Begin(call);
        const std::string problem = host::CallFunction(dll, descriptor, slots, row.size(), &result);
        bound.End();
        if (releaser) KillTimer(0, releaser);
        ++calls;

        EXPECT_EQ(problem, "");
        if (descriptor.result == 'S') qimapi_test::TakeResultString(reinterpret_cast<HGLOBAL>(result));
        if (undo) {
            uintptr_t zeros[kMaxArguments] = {};
            EXPECT_EQ(host::CallFunction(dll, *undoFunction, zeros, undo->undoArguments, &result), "");
        }
        if (IsLauncher(descriptor.name)) sweep::EndStartedPrograms();
        qimapi_test::Pump();   // the messages a call posted, WM_CLOSE among them
        EXPECT_EQ(sweep::BrokenHostState(&probe, hooks), "");
        if (HasFailure()) break;   // one broken call tells enough; the rest would repeat it
    }
    EXPECT_GT(calls, 0);
    RecordProperty("calls", calls);
}

// The sweep covers what QIMAPI.dll describes: a DLL refused, or describing nothing, sweeps nothing.
TEST(SweptFunctions, AreTheWholeFunctionTableOfQimapi)
{
    EXPECT_EQ(Swept().problem, "");
    EXPECT_FALSE(Swept().dll.functions.empty());
}

TEST(PairwiseRows, MeetEveryPairOfValuesOfAnyTwoArguments)
{
    const std::vector<std::vector<size_t>> shapes = {{}, {17}, {5, 17}, {17, 17, 17, 17, 5}, {5, 5, 5, 5}};
    for (const std::vector<size_t> &sizes : shapes) {
        const auto rows = sweep::PairwiseRows(sizes);
        for (size_t i = 0; i < sizes.size(); ++i)
            for (size_t j = i + 1; j < sizes.size(); ++j)
                for (size_t x = 0; x < sizes[i]; ++x)
                    for (size_t y = 0; y < sizes[j]; ++y) {
                        bool met = false;
                        for (const auto &row : rows) met = met || (row[i] == x && row[j] == y);
                        EXPECT_TRUE(met) << "arguments " << i << " and " << j << ", values " << x << " and " << y;
                    }
        EXPECT_FALSE(rows.empty());
    }
}

std::string ExportName(const testing::TestParamInfo<std::string> &info)
{
    return info.param;
}

INSTANTIATE_TEST_SUITE_P(EveryExport, HostileSweep, testing::ValuesIn(FunctionList()), ExportName);

}  // namespace
