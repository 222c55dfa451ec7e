// The probe that every hostile row ends with: it names what a call keeps every time, and not
// what the system fills once.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/leak_probe.h"

namespace {

TEST(KeptBy, NamesWhatEachCallKeepsAndNotWhatOnlyTheFirstKeeps)
{
    std::vector<HANDLE> events;
    std::vector<HBRUSH> brushes;
    std::vector<HMENU> menus;
    std::vector<void *> blocks;
    auto keepOneOfEach = [&] {
        events.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(4, 5, 6)));
        menus.push_back(CreateMenu());
        blocks.push_back(HeapAlloc(GetProcessHeap(), 0, 32));
    };
    EXPECT_EQ(qimapi_test::KeptBy(keepOneOfEach), "kernel handles; GDI objects; USER objects; heap blocks; ");
    const size_t kept = events.size();
    auto keepOnlyOnce = [&] {
        if (events.size() == kept) keepOneOfEach();
    };
    EXPECT_EQ(qimapi_test::KeptBy(keepOnlyOnce), "");
    for (HANDLE event : events) CloseHandle(event);
    for (HBRUSH brush : brushes) DeleteObject(brush);
    for (HMENU menu : menus) DestroyMenu(menu);
    for (void *block : blocks) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace
