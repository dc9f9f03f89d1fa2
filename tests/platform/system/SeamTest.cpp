// Seams: an override holds for its scope only and puts back whatever was there, nested or not.
#include "platform/system/Seam.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

int One()
{
    return 1;
}
int Two()
{
    return 2;
}
int Three()
{
    return 3;
}

Seam<int (*)()> g_number{&One};

struct Pair
{
    int (*first)() = nullptr;
    int (*second)() = nullptr;
};
Seam<Pair> g_pair{Pair()};

Seam<std::function<int(int)>> g_hook{std::function<int(int)>()};

} // namespace

TEST(Seam, OverridesNestAndEachPutsBackWhatItFound)
{
    EXPECT_EQ(g_number(), 1);
    {
        SeamOverride two(g_number, &Two);
        EXPECT_EQ(g_number(), 2);
        {
            SeamOverride three(g_number, &Three);
            EXPECT_EQ(g_number(), 3);
        }
        EXPECT_EQ(g_number(), 2);
        // An empty value brings the default back for the rest of the scope.
        g_number.Exchange(nullptr);
        EXPECT_EQ(g_number(), 1);
    }
    EXPECT_EQ(g_number.Get(), &One);

    {
        Pair scripted;
        scripted.second = &Two;
        SeamOverride pair(g_pair, scripted);
        EXPECT_EQ(g_pair.Get().second, &Two);
    }
    EXPECT_EQ(g_pair.Get().second, nullptr);
}

TEST(Seam, AFunctionSeamAnswersOnOtherThreadsWhileItsOverrideLives)
{
    EXPECT_FALSE(g_hook.Get());
    int answer = 0;
    {
        SeamOverride hook(g_hook, [](int x) { return x * 2; });
        std::thread worker([&answer] { answer = g_hook(21); });
        worker.join();
    }
    EXPECT_EQ(answer, 42);
    EXPECT_FALSE(g_hook.Get()) << "the override is gone with its scope";
}
