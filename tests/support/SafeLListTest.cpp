#include "support/PackageList.h"

#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

SetupInfo Package(const std::wstring& name, int size = 0) {
    SetupInfo info;
    info.setup_name = name;
    info.name = name + L" display";
    info.size = size;
    return info;
}

} // namespace

TEST(SetupInfo, DefaultsAndCopiesShareTheSemaphore) {
    SetupInfo info;
    EXPECT_EQ(info.state, Waiting);
    EXPECT_EQ(info.type, 0);
    EXPECT_FALSE(info.selected);
    EXPECT_EQ(info.doneSemaphore, nullptr);
    info.doneSemaphore = ::CreateSemaphoreW(nullptr, 0, 0xFFFF, nullptr);
    info.url = L"http://x/y.exe";
    SetupInfo copy = info;
    copy.url += L"z";
    EXPECT_EQ(copy.doneSemaphore, info.doneSemaphore);
    EXPECT_EQ(info.url, L"http://x/y.exe");
    ::CloseHandle(info.doneSemaphore);
    EXPECT_EQ(Installed, 8);
    EXPECT_EQ(DownloadFailed, 3);
}

TEST(SafeLList, GetAtBoundsAndClear) {
    CSafeLList<SetupInfo> list;
    list.Add(Package(L"a"));
    list.Add(Package(L"b"));
    SetupInfo out = Package(L"untouched");
    EXPECT_FALSE(list.GetAt(2, out));
    EXPECT_EQ(out.setup_name, L"untouched");
    ASSERT_TRUE(list.GetAt(1, out));
    EXPECT_EQ(out.setup_name, L"b");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add(Package(L"c"));
    ASSERT_TRUE(list.GetAt(0, out));
    EXPECT_EQ(out.setup_name, L"c");
}

TEST(SafeLList, UpdateBySetupNameRules) {
    CSafeLList<SetupInfo> list;
    list.Add(Package(L"kx", 1));
    list.Add(Package(L"word", 2));
    list.Add(Package(L"kx", 3));

    SetupInfo update = Package(L"kx", 99);
    update.state = Installed;
    list.UpdateBySetupName(update);  // both records named kx
    SetupInfo out;
    list.GetAt(0, out);
    EXPECT_EQ(out.size, 99);
    EXPECT_EQ(out.state, Installed);
    list.GetAt(2, out);
    EXPECT_EQ(out.size, 99);
    list.GetAt(1, out);
    EXPECT_EQ(out.size, 2);

    list.UpdateBySetupName(Package(L"KX", 5));  // case-sensitive: no match
    list.UpdateBySetupName(Package(L"nobody", 5));
    list.GetAt(0, out);
    EXPECT_EQ(out.size, 99);
    EXPECT_EQ(list.Count(), 3);
}

TEST(SafeLList, ConcurrentAddGetAtAndUpdate) {
    CSafeLList<SetupInfo> list;
    const int kWriters = 4, kPerWriter = 500;
    for (int i = 0; i < 8; ++i) list.Add(Package(L"shared" + std::to_wstring(i)));
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};

    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < kPerWriter; ++i) list.Add(Package(L"w" + std::to_wstring(w) + L"_" + std::to_wstring(i), i));
        });
    }
    // Updaters write whole records whose fields must always agree.
    for (int u = 0; u < 2; ++u) {
        threads.emplace_back([&, u] {
            for (int i = 0; i < 2000; ++i) {
                SetupInfo rec = Package(L"shared" + std::to_wstring(i % 8), i);
                rec.downloaded = i;
                rec.description = std::wstring(static_cast<size_t>(i % 300), L'd');
                rec.errorCode = u;
                list.UpdateBySetupName(rec);
            }
        });
    }
    threads.emplace_back([&] {
        SetupInfo out;
        while (!stop) {
            int n = list.Count();
            for (int i = 0; i < n; ++i) {
                if (!list.GetAt(static_cast<unsigned>(i), out)) continue;
                if (out.setup_name.rfind(L"shared", 0) == 0 &&
                    (out.downloaded != out.size || out.description.size() != static_cast<size_t>(out.size % 300)))
                    ++torn;
            }
        }
    });
    for (size_t i = 0; i + 1 < threads.size(); ++i) threads[i].join();
    stop = true;
    threads.back().join();

    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(list.Count(), 8 + kWriters * kPerWriter);
    std::vector<int> perWriter(kWriters, 0);
    SetupInfo out;
    for (int i = 8; i < list.Count(); ++i) {
        ASSERT_TRUE(list.GetAt(static_cast<unsigned>(i), out));
        int w = out.setup_name[1] - L'0';
        EXPECT_EQ(out.size, perWriter[w]) << "one writer's records keep their order";
        ++perWriter[w];
    }
}

TEST(SafeLList, AddingAnElementOfTheSameListCopiesIt) {
    CSafeLList<SetupInfo> list;
    list.Add(Package(L"a", 7));
    SetupInfo first;
    for (int i = 0; i < 100; ++i) {  // grows through several reallocations
        list.GetAt(0, first);
        list.Add(first);
    }
    EXPECT_EQ(list.Count(), 101);
    list.GetAt(100, first);
    EXPECT_EQ(first.size, 7);
    EXPECT_EQ(PackageList.Count(), 0) << "the process-wide list starts empty";
}
