// Arrays and lists: inserting and removing at the ends and in the middle, and bad indexes and positions that
// must not touch memory outside the collection.
#include "platform/text/Collections.h"
#include "PrintCString.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

std::wstring Join(const CStringList &list)
{
    std::wstring all;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        all += std::wstring(list.GetNext(pos)) + L"|";
    return all;
}

std::wstring Join(const CStringArray &array)
{
    std::wstring all;
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        all += std::wstring(array[i]) + L"|";
    return all;
}

struct Item
{
    int value;
};

} // namespace

TEST(CArray, InsertRemoveAndGrow)
{
    CArray<int, int> a;
    EXPECT_EQ(a.GetUpperBound(), -1);
    a.Add(10);
    a.Add(30);
    a.InsertAt(1, 20);
    a.InsertAt(0, 5, 2);
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[0] + a[1] + a[2] + a[3] + a[4], 70);
    a.RemoveAt(0, 3);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0] * 100 + a[1], 20 * 100 + 30);

    // Inserting or setting past the end grows with zeros first.
    a.InsertAt(3, 7);
    a.SetAtGrow(5, 9);
    ASSERT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a[2] + a[4], 0);
    EXPECT_EQ(a[3] + a[5], 16);

    // Appending an array to itself doubles it.
    CArray<int, int> b;
    b.Add(1);
    EXPECT_EQ(b.Append(a), 1);
    EXPECT_EQ(b.Append(b), 7);
    EXPECT_EQ(b.GetSize(), 14);
    b.InsertAt(1, &b);
    EXPECT_EQ(b.GetSize(), 28);
    EXPECT_EQ(b[1], 1);
    b.RemoveAll();
    EXPECT_EQ(b.GetData(), nullptr);
}

TEST(CArray, BadIndexesLeaveTheArrayAlone)
{
    CArray<int, int> a;
    a.Add(1);
    a.Add(2);
    EXPECT_EQ(a.GetAt(-1), 0);
    EXPECT_EQ(a[2], 0);
    a[5] = 99; // goes to the scratch element, not into the array
    EXPECT_EQ(a[5], 0);
    a.SetAt(2, 3);
    a.SetAt(-1, 3);
    a.SetAtGrow(-1, 3);
    a.InsertAt(-1, 3);
    a.RemoveAt(2);
    a.RemoveAt(-1);
    a.RemoveAt(0, 0);
    a.SetSize(-4);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    // A count past the end removes what is there.
    a.RemoveAt(1, 100);
    EXPECT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0], 1);
}

TEST(CStringArray, HoldsStrings)
{
    CStringArray a;
    a.Add(L"b");
    a.Add(CString(L"c"));
    a.InsertAt(0, L"a");
    a.SetAtGrow(4, L"e");
    EXPECT_EQ(Join(a), L"a|b|c||e|");
    a.Add(a[0]);
    a.SetAtGrow(6, a[1]);
    EXPECT_EQ(Join(a), L"a|b|c||e|a|b|");
    EXPECT_TRUE(a.GetAt(50).IsEmpty());
    a.RemoveAt(3, 2);
    EXPECT_EQ(Join(a), L"a|b|c|a|b|");
}

TEST(CTypedPtrArray, TypedPointersOverThePointerArray)
{
    std::unique_ptr<Item> one(new Item{1}), two(new Item{2});
    CTypedPtrArray<CPtrArray, Item *> a;
    a.Add(one.get());
    a.Add(two.get());
    a.InsertAt(1, static_cast<Item *>(nullptr));
    EXPECT_EQ(a.GetAt(0)->value, 1);
    EXPECT_EQ(a[1], nullptr);
    EXPECT_EQ(a[2]->value, 2);
    a[1] = two.get();
    a.ElementAt(2) = one.get();
    EXPECT_EQ(a[1]->value + 10 * a[2]->value, 12);
    EXPECT_EQ(a.GetAt(3), nullptr);
    CPtrArray &base = a;
    EXPECT_EQ(base.GetSize(), 3);
    EXPECT_EQ(base[0], one.get());
}

TEST(CStringList, PositionsInsertFindRemove)
{
    CStringList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.AddTail(L"b");
    list.AddHead(L"a");
    POSITION d = list.AddTail(L"d");
    list.InsertBefore(d, L"c");
    list.InsertAfter(d, L"e");
    EXPECT_EQ(Join(list), L"a|b|c|d|e|");
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetHead(), L"a");
    EXPECT_EQ(list.GetTail(), L"e");

    POSITION c = list.Find(L"c");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(list.GetAt(c), L"c");
    EXPECT_EQ(list.Find(L"c", c), nullptr);
    EXPECT_EQ(list.Find(L"zz"), nullptr);
    EXPECT_EQ(list.GetAt(list.FindIndex(3)), L"d");
    EXPECT_EQ(list.FindIndex(5), nullptr);
    list.SetAt(c, L"C");
    list.RemoveAt(c);
    EXPECT_EQ(Join(list), L"a|b|d|e|");
    EXPECT_EQ(list.RemoveHead(), L"a");
    EXPECT_EQ(list.RemoveTail(), L"e");
    EXPECT_EQ(Join(list), L"b|d|");

    POSITION pos = list.GetTailPosition();
    EXPECT_EQ(list.GetPrev(pos), L"d");
    EXPECT_EQ(list.GetPrev(pos), L"b");
    EXPECT_EQ(pos, nullptr);

    // Null positions insert at the ends.
    list.InsertBefore(nullptr, L"head");
    list.InsertAfter(nullptr, L"tail");
    EXPECT_EQ(Join(list), L"head|b|d|tail|");

    // Removing while walking: take the position before moving on.
    for (POSITION walk = list.GetHeadPosition(); walk;)
    {
        POSITION current = walk;
        if (list.GetNext(walk).GetLength() == 1)
            list.RemoveAt(current);
    }
    EXPECT_EQ(Join(list), L"head|tail|");
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(CStringList, EmptyListAndNullPositionsAreHarmless)
{
    CStringList list;
    EXPECT_TRUE(list.GetHead().IsEmpty());
    EXPECT_TRUE(list.GetTail().IsEmpty());
    EXPECT_TRUE(list.RemoveHead().IsEmpty());
    EXPECT_TRUE(list.RemoveTail().IsEmpty());
    POSITION pos = nullptr;
    EXPECT_TRUE(list.GetNext(pos).IsEmpty());
    EXPECT_EQ(pos, nullptr);
    list.RemoveAt(nullptr);
    list.SetAt(nullptr, L"x");
    EXPECT_TRUE(list.GetAt(nullptr).IsEmpty());
    EXPECT_EQ(list.GetCount(), 0);
    list.AddTail(L"only");
    EXPECT_EQ(list.RemoveHead(), L"only");
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(CTypedPtrList, TypedPointersOverThePointerList)
{
    Item items[3] = {{1}, {2}, {3}};
    CTypedPtrList<CPtrList, Item *> list;
    for (Item &item : items)
        list.AddTail(&item);
    POSITION second = list.Find(&items[1]);
    ASSERT_NE(second, nullptr);
    list.GetAt(second) = &items[2];
    EXPECT_EQ(list.RemoveHead()->value, 1);
    EXPECT_EQ(list.GetHead()->value, 3);
    EXPECT_EQ(list.GetCount(), 2);
}
