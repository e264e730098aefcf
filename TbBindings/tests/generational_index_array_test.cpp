#include <TbBindings/GenerationalIndexArray.h>

#include <gtest/gtest.h>

#include <string>

using TbBindings::GenerationalIndex;
using TbBindings::GenerationalIndexArray;

TEST(GenerationalIndexArray, InsertGetErase)
{
    GenerationalIndexArray<std::string> array;
    const GenerationalIndex a = array.insert("a");
    const GenerationalIndex b = array.insert("b");
    EXPECT_EQ(a, (GenerationalIndex{ 0, 0 }));
    EXPECT_EQ(b, (GenerationalIndex{ 1, 0 }));
    ASSERT_NE(array.get(a), nullptr);
    EXPECT_EQ(*array.get(b), "b");

    EXPECT_TRUE(array.erase(a));
    EXPECT_EQ(array.get(a), nullptr);
    EXPECT_FALSE(array.erase(a)) << "a second erase of the same index removes nothing";
    EXPECT_EQ(array.entryCount(), 2u);
}

TEST(GenerationalIndexArray, FreedSlotsAreReusedLastFreedFirstWithHigherGeneration)
{
    GenerationalIndexArray<int> array;
    const GenerationalIndex a = array.insert(1);
    const GenerationalIndex b = array.insert(2);
    array.erase(a);
    array.erase(b);

    const GenerationalIndex c = array.insert(3);
    const GenerationalIndex d = array.insert(4);
    EXPECT_EQ(c, (GenerationalIndex{ 1, 1 }));
    EXPECT_EQ(d, (GenerationalIndex{ 0, 1 }));
    EXPECT_EQ(array.entryCount(), 2u);

    EXPECT_EQ(array.get(a), nullptr) << "a stale index never reaches the value that replaced its own";
    EXPECT_EQ(array.get(b), nullptr);
    EXPECT_FALSE(array.erase(a));
    EXPECT_EQ(*array.get(d), 4);
}

TEST(GenerationalIndexArray, ForeignIndicesFindNothing)
{
    GenerationalIndexArray<int> array;
    array.insert(1);
    EXPECT_EQ(array.get({ 5, 0 }), nullptr);
    EXPECT_EQ(array.get({ 0, 7 }), nullptr);
    EXPECT_FALSE(array.erase({ 5, 0 }));
}

TEST(GenerationalIndexArray, ValuesKeepTheirAddressWhileTheArrayGrows)
{
    GenerationalIndexArray<int> array;
    const GenerationalIndex first = array.insert(42);
    const int *address = array.get(first);
    for (int i = 0; i < 1000; ++i)
        array.insert(i);
    EXPECT_EQ(array.get(first), address);
    EXPECT_EQ(*address, 42);
}

TEST(GenerationalIndex, PacksIndexLowAndGenerationHigh)
{
    const GenerationalIndex index{ 7, 3 };
    EXPECT_EQ(index.packed(), (uint64_t(3) << 32) | 7u);
    EXPECT_EQ(GenerationalIndex::fromPacked(index.packed()), index);
}
