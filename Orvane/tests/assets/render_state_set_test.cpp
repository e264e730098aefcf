#include <Orvane/assets/render_state_set.h>

#include <gtest/gtest.h>

using namespace Orvane;

namespace {

struct DepthState {
    bool testEnabled = true;
    uint32_t compare = 1;
    bool operator==(const DepthState &) const = default;
    uint64_t hash() const { return (testEnabled ? 0x100 : 0) | compare; }
};

struct CullState {
    uint32_t mode = 2;
    bool operator==(const CullState &) const = default;
    uint64_t hash() const { return mode; }
};

TEST(RenderStateSet, HoldsOneStateOfEachKind)
{
    RenderStateSet set;
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(set.state<DepthState>(), nullptr);
    set.setState(DepthState{ true, 3 });
    set.setState(CullState{ 1 });
    set.setState(DepthState{ false, 7 });
    EXPECT_EQ(set.size(), 2u);
    ASSERT_NE(set.state<DepthState>(), nullptr);
    EXPECT_EQ(*set.state<DepthState>(), (DepthState{ false, 7 }));
    EXPECT_TRUE(set.removeState<CullState>());
    EXPECT_FALSE(set.removeState<CullState>());
    EXPECT_EQ(set.state<CullState>(), nullptr);
}

TEST(RenderStateSet, EqualityAndHashIgnoreTheOrderOfSetting)
{
    RenderStateSet a, b;
    a.setState(DepthState{});
    a.setState(CullState{ 1 });
    b.setState(CullState{ 1 });
    b.setState(DepthState{});
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    b.setState(CullState{ 2 });
    EXPECT_NE(a, b);
    EXPECT_NE(a.hash(), b.hash());
    EXPECT_NE(a, RenderStateSet());
}

TEST(RenderStateSet, ChangedFiresForRealChangesOnly)
{
    RenderStateSet set;
    int changes = 0;
    set.changed().connect([&] { ++changes; });
    set.setState(DepthState{});
    set.setState(DepthState{});
    EXPECT_EQ(changes, 1);
    set.setState(DepthState{ false, 1 });
    EXPECT_EQ(changes, 2);
    set.removeState<CullState>();
    EXPECT_EQ(changes, 2);
    set.removeState<DepthState>();
    EXPECT_EQ(changes, 3);
}

TEST(RenderStateSet, CopiesAreIndependentAndKeepTheirOwnConnections)
{
    RenderStateSet original;
    original.setState(DepthState{});
    int originalChanges = 0;
    original.changed().connect([&] { ++originalChanges; });

    RenderStateSet copy(original);
    EXPECT_EQ(copy, original);
    copy.setState(DepthState{ false, 4 });
    EXPECT_EQ(originalChanges, 0) << "a copy does not carry the connections";
    EXPECT_EQ(original.state<DepthState>()->compare, 1u) << "nor share the states";

    // Assigning replaces the states silently; the connections stay with the object.
    original = copy;
    EXPECT_EQ(originalChanges, 0);
    EXPECT_EQ(original.state<DepthState>()->compare, 4u);
    original.setState(CullState{});
    EXPECT_EQ(originalChanges, 1);
}

} // namespace
