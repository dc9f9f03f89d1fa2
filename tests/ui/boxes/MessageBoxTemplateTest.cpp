// The message box's template travels inside every program that links the control library.
#include "ui/resources/UiResourceIds.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

namespace
{

struct TemplateItem
{
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classAtom = 0;
    std::wstring title;
};

struct Template
{
    DWORD style = 0;
    short cx = 0, cy = 0;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<TemplateItem> items;
};

// Reads the extended template, field after field, as the dialog manager does.
class Reader
{
  public:
    Reader(const BYTE *data, DWORD size) : m_data(data), m_size(size)
    {
    }

    template <typename T> T Read()
    {
        T value{};
        if (m_at + sizeof(T) <= m_size)
            memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    // A text or a 0xFFFF-prefixed number (the number is returned through atom).
    std::wstring ReadTextOrAtom(WORD *atom = nullptr)
    {
        WORD first = Read<WORD>();
        if (first == 0xFFFF)
        {
            WORD value = Read<WORD>();
            if (atom)
                *atom = value;
            return std::wstring();
        }
        std::wstring text;
        for (WORD ch = first; ch != 0 && m_at <= m_size; ch = Read<WORD>())
            text += static_cast<wchar_t>(ch);
        return text;
    }
    void AlignTo4()
    {
        m_at = (m_at + 3) & ~size_t(3);
    }
    bool Overrun() const
    {
        return m_at > m_size;
    }

  private:
    const BYTE *m_data;
    size_t m_size;
    size_t m_at = 0;
};

bool LoadTemplate(Template &out)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_SKIN_MESSAGE_BOX), RT_DIALOG);
    if (!found)
        return false;
    const BYTE *data = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
    Reader reader(data, SizeofResource(module, found));
    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF)
        return false;
    reader.Read<DWORD>(); // help id
    reader.Read<DWORD>(); // extended style
    out.style = reader.Read<DWORD>();
    WORD count = reader.Read<WORD>();
    reader.Read<short>();
    reader.Read<short>();
    out.cx = reader.Read<short>();
    out.cy = reader.Read<short>();
    reader.ReadTextOrAtom(); // menu
    reader.ReadTextOrAtom(); // class
    reader.ReadTextOrAtom(); // title
    if (out.style & DS_SETFONT)
    {
        out.pointSize = reader.Read<WORD>();
        reader.Read<WORD>();
        reader.Read<BYTE>();
        reader.Read<BYTE>();
        out.face = reader.ReadTextOrAtom();
    }
    for (WORD i = 0; i < count; ++i)
    {
        reader.AlignTo4();
        TemplateItem item;
        reader.Read<DWORD>(); // help id
        reader.Read<DWORD>(); // extended style
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = reader.Read<DWORD>();
        reader.ReadTextOrAtom(&item.classAtom);
        item.title = reader.ReadTextOrAtom();
        WORD extra = reader.Read<WORD>();
        for (WORD b = 0; b < extra; ++b)
            reader.Read<BYTE>();
        out.items.push_back(item);
    }
    return !reader.Overrun();
}

} // namespace

TEST(MessageBoxTemplate, IsHeldByTheProgramAsLaidOut)
{
    Template t;
    ASSERT_TRUE(LoadTemplate(t));
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(t.style & frame, frame);
    EXPECT_EQ(t.cx, 207);
    EXPECT_EQ(t.cy, 66);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, L"MS Shell Dlg");
    ASSERT_EQ(t.items.size(), 3u);

    const WORD button = 0x0080, staticClass = 0x0082;
    const TemplateItem &ok = t.items[0];
    EXPECT_EQ(ok.id, DWORD(IDOK));
    EXPECT_EQ(ok.classAtom, button);
    EXPECT_EQ(ok.style & 0xF, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(ok.style & WS_TABSTOP);
    EXPECT_EQ(ok.title, L"OK");
    EXPECT_EQ((std::vector<short>{ok.x, ok.y, ok.cx, ok.cy}), (std::vector<short>{32, 36, 57, 16}));

    const TemplateItem &cancel = t.items[1];
    EXPECT_EQ(cancel.id, DWORD(IDCANCEL));
    EXPECT_EQ(cancel.classAtom, button);
    EXPECT_EQ(cancel.style & 0xF, DWORD(BS_PUSHBUTTON));
    EXPECT_TRUE(cancel.style & WS_TABSTOP);
    EXPECT_EQ(cancel.title, L"Cancel");
    EXPECT_EQ((std::vector<short>{cancel.x, cancel.y, cancel.cx, cancel.cy}), (std::vector<short>{114, 36, 57, 16}));

    const TemplateItem &text = t.items[2];
    EXPECT_EQ(text.id, DWORD(IDC_SKIN_MESSAGE_TEXT));
    EXPECT_EQ(text.classAtom, staticClass);
    EXPECT_EQ(text.style & SS_TYPEMASK, DWORD(SS_LEFT));
    EXPECT_TRUE(text.style & WS_GROUP);
    EXPECT_EQ(text.title, L"");
    EXPECT_EQ((std::vector<short>{text.x, text.y, text.cx, text.cy}), (std::vector<short>{7, 10, 189, 10}));
}
