// CString: formatting through the C runtime, the clamping of positions and counts, the buffer protocol and
// the editing members.
#include "platform/text/String.h"
#include "PrintCString.h"

#include <gtest/gtest.h>
#include <map>
#include <unordered_set>

TEST(CStringFormat, WideStringsNumbersAndPercent)
{
    CString name(L"Dokumente");
    CString s;
    s.Format(L"%s|%d|%5d|%-3d|%x|%%|%c", L"files", -42, 7, 1, 255, L'Z');
    EXPECT_EQ(s, L"files|-42|    7|1  |ff|%|Z");
    // A CString argument is passed as its text.
    s.Format(L"[%s] [%s]", name, CString(L"ü"));
    EXPECT_EQ(s, L"[Dokumente] [ü]");
    s.Format(L"%hs", "narrow");
    EXPECT_EQ(s, L"narrow");
    s.Format(L"%.2f", 2.5);
    EXPECT_EQ(s, L"2.50");
}

TEST(CStringFormat, SixtyFourBitIntegers)
{
    CString s;
    s.Format(L"%I64d %I64u %lld", -9000000000000000001LL, 18446744073709551615ULL, 1234567890123LL);
    EXPECT_EQ(s, L"-9000000000000000001 18446744073709551615 1234567890123");
    s.Format(L"%I64d after %d", 5LL, 6);
    EXPECT_EQ(s, L"5 after 6");
}

TEST(CStringFormat, LongResultsAreComplete)
{
    for (int length : {507, 508, 509, 1500, 150000}) // 511 characters fill the first buffer
    {
        std::wstring long_text(static_cast<size_t>(length), L'x');
        long_text[static_cast<size_t>(length - 1)] = L'!';
        CString s;
        s.Format(L"<%s>%d", long_text.c_str(), 9);
        ASSERT_EQ(s.GetLength(), length + 3) << length;
        EXPECT_EQ(s.Left(1), L"<");
        EXPECT_EQ(s.Right(3), L"!>9");
    }
}

TEST(CStringFormat, AppendFormatAndFormatV)
{
    CString s(L"a");
    s.AppendFormat(L"-%d", 1);
    s.AppendFormat(L"-%s", L"b");
    EXPECT_EQ(s, L"a-1-b");
    // A null format leaves the text empty and does not crash.
    s.FormatV(nullptr, nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringConstruction, SourcesAndConversions)
{
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_TRUE(CString(static_cast<const char *>(nullptr)).IsEmpty());
    EXPECT_EQ(CString("abc"), L"abc");
    EXPECT_EQ(CString(L"abcdef", 3), L"abc");
    EXPECT_TRUE(CString(L"abc", -1).IsEmpty());
    EXPECT_EQ(CString(L'-', 4), L"----");
    EXPECT_TRUE(CString(L'-', -4).IsEmpty());
    EXPECT_EQ(CStringA(CString(L"marker-36")).GetLength(), 9);
    EXPECT_STREQ(CStringA(L"abc").GetString(), "abc");

    CString s(L"x");
    s = s.GetString(); // assignment from its own text
    EXPECT_EQ(s, L"x");
    s = L"ab";
    s += L'c';
    s += CString(L"d");
    s += "e";
    EXPECT_EQ(s + L'f', L"abcdef");
    EXPECT_EQ(L'<' + s + L">", L"<abcde>");
    EXPECT_EQ(L"[" + s, L"[abcde");
}

TEST(CStringCompare, OrdinalCaseInsensitiveAndAsKey)
{
    CString s(L"Backup");
    EXPECT_EQ(s.Compare(L"Backup"), 0);
    EXPECT_LT(s.Compare(L"backup"), 0);
    EXPECT_GT(s.Compare(L"Back"), 0);
    EXPECT_EQ(s.CompareNoCase(L"BACKUP"), 0);
    EXPECT_LT(s.CompareNoCase(L"BACKUPS"), 0);
    EXPECT_GT(s.CompareNoCase(L"aaa"), 0);
    EXPECT_EQ(CString(L"ÄRGER").CompareNoCase(L"ärger"), 0);
    EXPECT_EQ(s.CompareNoCase(nullptr), 1);
    EXPECT_EQ(CString().CompareNoCase(L""), 0);
    EXPECT_TRUE(s == L"Backup" && L"Backup" == s && s != L"backup");

    std::map<CString, int> byName;
    byName[L"b"] = 2;
    byName[L"a"] = 1;
    byName[L"b"] = 3;
    ASSERT_EQ(byName.size(), 2u);
    EXPECT_EQ(byName.begin()->first, L"a");
    EXPECT_EQ(byName[L"b"], 3);
    std::unordered_set<CString> set{L"x", L"y", L"x"};
    EXPECT_EQ(set.size(), 2u);
}

TEST(CStringSearch, FindAtTheEdges)
{
    CString s(L"a,b,,c");
    EXPECT_EQ(s.Find(L',', 2), 3);
    EXPECT_EQ(s.Find(L',', 5), -1);
    EXPECT_EQ(s.Find(L',', 6), -1);
    EXPECT_EQ(s.Find(L',', 1000), -1);
    EXPECT_EQ(s.Find(L',', -3), -1);
    EXPECT_EQ(s.Find(L",,"), 3);
    EXPECT_EQ(s.Find(L",c", 5), -1);
    EXPECT_EQ(s.Find(L"c", 99), -1);
    EXPECT_EQ(s.Find(static_cast<LPCWSTR>(nullptr)), -1);
    EXPECT_EQ(s.FindOneOf(L"xc"), 5);
    EXPECT_EQ(s.FindOneOf(L""), -1);
    EXPECT_EQ(s.ReverseFind(L','), 4);
    EXPECT_EQ(s.ReverseFind(L'z'), -1);
    EXPECT_EQ(CString().Find(L'a'), -1);
    EXPECT_EQ(CString().Find(L"a"), -1);
    EXPECT_EQ(CString().ReverseFind(L'a'), -1);
    EXPECT_EQ(s.GetAt(6), L'\0');
    EXPECT_EQ(s[-1], L'\0');
}

TEST(CStringExtract, MidLeftRightClamp)
{
    CString s(L"abcdef");
    EXPECT_EQ(s.Mid(2, 2), L"cd");
    EXPECT_EQ(s.Mid(4, 100), L"ef");
    EXPECT_EQ(s.Mid(-3, 2), L"ab");
    EXPECT_EQ(s.Mid(6), L"");
    EXPECT_EQ(s.Mid(7, 3), L"");
    EXPECT_EQ(s.Mid(2, -1), L"");
    EXPECT_EQ(s.Mid(1, 0x7fffffff), L"bcdef");
    EXPECT_EQ(s.Left(-2), L"");
    EXPECT_EQ(s.Left(60), L"abcdef");
    EXPECT_EQ(s.Right(-1), L"");
    EXPECT_EQ(s.Right(60), L"abcdef");
    EXPECT_EQ(CString().Mid(0, 5), L"");
    EXPECT_EQ(CString().Right(3), L"");
    EXPECT_EQ(s.SpanIncluding(L"bac"), L"abc");
    EXPECT_EQ(s.SpanExcluding(L"dz"), L"abc");
    EXPECT_EQ(s.SpanExcluding(L""), L"abcdef");
}

TEST(CStringTokenize, SkipsDelimitersAndEndsWithMinusOne)
{
    CString s(L";;alpha; beta;;gamma;");
    std::vector<CString> tokens;
    int pos = 0;
    for (CString token = s.Tokenize(L"; ", pos); pos != -1; token = s.Tokenize(L"; ", pos))
        tokens.push_back(token);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], L"alpha");
    EXPECT_EQ(tokens[1], L"beta");
    EXPECT_EQ(tokens[2], L"gamma");

    pos = 0;
    EXPECT_EQ(CString().Tokenize(L";", pos), L"");
    EXPECT_EQ(pos, -1);
    pos = 0;
    EXPECT_EQ(CString(L";;;").Tokenize(L";", pos), L"");
    EXPECT_EQ(pos, -1);
    pos = 50;
    EXPECT_EQ(s.Tokenize(L";", pos), L"");
    EXPECT_EQ(pos, -1);
    pos = -1;
    EXPECT_EQ(s.Tokenize(L";", pos), L"");
    EXPECT_EQ(pos, -1);
    // Without delimiters the rest is one token, and the walk then ends.
    pos = 2;
    EXPECT_EQ(s.Tokenize(L"", pos), L"alpha; beta;;gamma;");
    EXPECT_EQ(s.Tokenize(L"", pos), L"");
    EXPECT_EQ(pos, -1);
}

TEST(CStringBuffer, GetBufferReleaseBuffer)
{
    CString s(L"abc");
    LPWSTR p = s.GetBuffer(10);
    wcscpy(p, L"0123456789"); // ten characters and the terminator fit
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"0123456789");

    p = s.GetBuffer(300);
    p[0] = L'x';
    p[1] = L'\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"x");
    EXPECT_EQ(s.GetLength(), 1);

    p = s.GetBuffer(20);
    wcscpy(p, L"hello world");
    s.ReleaseBuffer(5);
    EXPECT_EQ(s, L"hello");
    s.ReleaseBuffer(100); // longer than the text: keeps it
    EXPECT_EQ(s, L"hello");

    p = s.GetBufferSetLength(3);
    p[0] = L'H';
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"Hel");

    CString empty;
    p = empty.GetBuffer(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], L'\0');
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());

    // The buffer from a system call that fills in a path.
    CString folder;
    DWORD got = GetWindowsDirectoryW(folder.GetBuffer(MAX_PATH), MAX_PATH);
    folder.ReleaseBuffer();
    EXPECT_EQ(folder.GetLength(), static_cast<int>(got));
}

TEST(CStringEdit, ReplaceRemoveInsertDelete)
{
    CString s(L"a.b.c");
    EXPECT_EQ(s.Replace(L'.', L'/'), 2);
    EXPECT_EQ(s, L"a/b/c");
    EXPECT_EQ(s.Replace(L"/", L"\\\\"), 2);
    EXPECT_EQ(s, L"a\\\\b\\\\c");
    s = L"aaaa";
    EXPECT_EQ(s.Replace(L"aa", L"a"), 2);
    EXPECT_EQ(s, L"aa");
    EXPECT_EQ(s.Replace(L"", L"x"), 0);
    EXPECT_EQ(s.Replace(L"a", nullptr), 2);
    EXPECT_TRUE(s.IsEmpty());
    s = L"xyxz";
    EXPECT_EQ(s.Replace(L"q", L"r"), 0);
    EXPECT_EQ(s.Remove(L'x'), 2);
    EXPECT_EQ(s, L"yz");

    EXPECT_EQ(s.Insert(1, L'-'), 3);
    EXPECT_EQ(s.Insert(-5, L"<"), 4);
    EXPECT_EQ(s.Insert(99, L">"), 5);
    EXPECT_EQ(s, L"<y-z>");
    EXPECT_EQ(s.Delete(1, 2), 3);
    EXPECT_EQ(s, L"<z>");
    EXPECT_EQ(s.Delete(2, 50), 2);
    EXPECT_EQ(s.Delete(9), 2);
    EXPECT_EQ(s.Delete(0, -1), 2);
    EXPECT_EQ(s, L"<z");
    s.SetAt(1, L'Z');
    s.SetAt(7, L'!');
    EXPECT_EQ(s, L"<Z");
}

TEST(CStringEdit, TrimAndCase)
{
    CString s(L" \t padded \r\n");
    EXPECT_EQ(CString(s).TrimLeft(), L"padded \r\n");
    EXPECT_EQ(CString(s).TrimRight(), L" \t padded");
    EXPECT_EQ(s.Trim(), L"padded");
    EXPECT_EQ(CString(L"xxaxx").Trim(L'x'), L"a");
    EXPECT_EQ(CString(L"\\\\path\\").TrimRight(L'\\'), L"\\\\path");
    EXPECT_EQ(CString(L"-=a=-").Trim(L"=-"), L"a");
    EXPECT_EQ(CString(L"   ").Trim(), L"");
    EXPECT_EQ(CString().Trim(L"x"), L"");
    EXPECT_EQ(CString(L"Grüße.TXT").MakeUpper(), L"GRÜßE.TXT");
    EXPECT_EQ(CString(L"ÄBC.Txt").MakeLower(), L"äbc.txt");
}
