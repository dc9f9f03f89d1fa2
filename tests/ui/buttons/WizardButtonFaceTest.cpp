// The wizard button's face: which set each state takes (and set 0 standing in for a missing set or piece),
// the key colour never painted, the kept height, the caption lines; drawn headless into a canvas.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "ButtonTestSupport.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"
#include "ui/resources/WizardButtonIds.h"

using namespace buttontest;
using testsupport::DibCanvas;

namespace
{

const COLORREF kMarker = RGB(1, 2, 3);
const COLORREF kMagenta = RGB(255, 0, 255);
const UINT kChoiceIds[5] = {IDB_CHOICE_NORMAL_LEFT, IDB_CHOICE_NORMAL_MIDDLE, IDB_CHOICE_NORMAL_RIGHT,
                            IDB_CHOICE_DISABLED_LEFT, IDB_CHOICE_DISABLED_MIDDLE};

// The language library as the resource module, for the life of the object.
class LanguageLibrary
{
  public:
    LanguageLibrary()
        : m_previous(AfxGetResourceHandle()),
          m_module(::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str()))
    {
        if (m_module != nullptr)
            AfxSetResourceHandle(m_module);
    }
    ~LanguageLibrary()
    {
        AfxSetResourceHandle(m_previous);
        if (m_module != nullptr)
            ::FreeLibrary(m_module);
    }
    LanguageLibrary(const LanguageLibrary &) = delete;
    LanguageLibrary &operator=(const LanguageLibrary &) = delete;

    HMODULE Module() const
    {
        return m_module;
    }

  private:
    HINSTANCE m_previous;
    HMODULE m_module;
};

} // namespace

TEST(WizardButtonFace, Rules)
{
    EXPECT_EQ(wizardbutton::FaceSet(false, false), 0);
    EXPECT_EQ(wizardbutton::FaceSet(false, true), 1);
    EXPECT_EQ(wizardbutton::FaceSet(true, false), 2);
    EXPECT_EQ(wizardbutton::FaceSet(true, true), 2);

    const CRect client(0, 0, 180, 60);
    EXPECT_EQ(wizardbutton::KeptRect(client, false, 44), CRect(0, 0, 180, 44));
    EXPECT_EQ(wizardbutton::KeptRect(client, true, 44), client) << "multi-line keeps its dialog height";
    EXPECT_EQ(wizardbutton::KeptRect(client, false, 0), client) << "no middle piece: the template height stays";

    struct Lines
    {
        int cx;
        int width;
        int lines;
    };
    const Lines lines[] = {{0, 150, 1},   {100, 150, 1}, {150, 150, 1}, {151, 150, 2},
                           {300, 150, 2}, {301, 150, 3}, {500, 0, 1},   {500, -20, 1}};
    for (const Lines &l : lines)
        EXPECT_EQ(wizardbutton::CaptionLines(l.cx, l.width), l.lines) << l.cx << "/" << l.width;

    // Multi-line: 15 pixels in at each side, the block of lines centred; one line: a band centred.
    EXPECT_EQ(wizardbutton::TextRect(client, true, 301, 13), CRect(15, 10, 165, 49));
    EXPECT_EQ(wizardbutton::TextRect(client, false, 301, 13), CRect(0, 23, 180, 37));
}

TEST(WizardButtonFace, BitmapsOfTheLanguageLibraryAndTheProgram)
{
    LanguageLibrary language;
    ASSERT_NE(language.Module(), nullptr);
    for (UINT id : kChoiceIds)
        EXPECT_NE(::FindResourceW(language.Module(), MAKEINTRESOURCEW(id), RT_BITMAP), nullptr) << id;
    for (UINT id : wizardbutton::kDefaultSetIds)
        EXPECT_NE(::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_BITMAP), nullptr) << id;
}

TEST(WizardButtonFace, ChoiceIdsDrawEveryStateFromTheSetsThereAre)
{
    LanguageLibrary language;
    TestWizardButton button;
    button.SetBitmaps(kChoiceIds, 5);
    ASSERT_EQ(button.GetSetCount(), 2);
    ASSERT_EQ(button.GetButtonHeight(), 44);

    const RECT item = {0, 0, 200, 44};
    DibCanvas normal(200, 44, kMarker);
    button.Draw(normal.Dc(), item);
    const COLORREF normalFace = normal.At(100, 22);
    const COLORREF accent = normal.At(200 - 22 - 8, 22);
    EXPECT_NE(normalFace, kMarker);
    EXPECT_EQ(normal.At(0, 0), kMarker) << "outside the pill";
    EXPECT_EQ(normal.At(199, 43), kMarker);

    struct Case
    {
        LPCWSTR what;
        UINT state;
        BYTE hover;
        bool asNormal;
    };
    const Case cases[] = {
        {L"focused (set 2 missing)", ODS_FOCUS, 0, true},
        {L"hovered (set 2 missing)", 0, 1, true},
        {L"pressed (set 3 missing)", ODS_SELECTED, 0, true},
        {L"pressed and focused", ODS_SELECTED | ODS_FOCUS, 0, true},
        {L"disabled", ODS_DISABLED, 0, false},
        {L"disabled and pressed (set 0 over set 1)", ODS_DISABLED | ODS_SELECTED, 0, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        button.m_hover = c.hover;
        DibCanvas canvas(200, 44, kMarker);
        button.Draw(canvas.Dc(), item, c.state);
        EXPECT_EQ(canvas.Count(item, kMagenta), 0);
        EXPECT_EQ(canvas.At(0, 0), kMarker);
        EXPECT_EQ(canvas.At(200 - 22 - 8, 22), accent) << "the right end comes from set 0";
        if (c.asNormal)
            EXPECT_EQ(canvas.At(100, 22), normalFace);
        else
            EXPECT_NE(canvas.At(100, 22), normalFace);
    }
}

TEST(WizardButtonFace, DefaultSetsTakeEachStatesLook)
{
    TestWizardButton button;
    button.SetBitmaps(wizardbutton::kDefaultSetIds, static_cast<int>(std::size(wizardbutton::kDefaultSetIds)));
    ASSERT_EQ(button.GetSetCount(), 4);
    ASSERT_EQ(button.GetButtonHeight(), 32);
    const RECT item = {0, 0, 120, 32};
    auto centre = [&](UINT state, BYTE hover) {
        button.m_hover = hover;
        DibCanvas canvas(120, 32, kMarker);
        button.Draw(canvas.Dc(), item, state);
        EXPECT_EQ(canvas.Count(item, kMagenta), 0);
        EXPECT_EQ(canvas.At(0, 0), kMarker);
        EXPECT_EQ(canvas.At(119, 0), kMarker);
        // The border at the middle of the top edge.
        return canvas.At(60, 0);
    };
    const COLORREF normal = centre(0, 0);
    const COLORREF disabled = centre(ODS_DISABLED, 0);
    const COLORREF hovered = centre(0, 1);
    const COLORREF focused = centre(ODS_FOCUS, 0);
    const COLORREF pressed = centre(ODS_SELECTED, 0);
    EXPECT_NE(normal, disabled);
    EXPECT_NE(normal, hovered);
    EXPECT_EQ(hovered, focused);
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(centre(ODS_SELECTED | ODS_FOCUS, 1), pressed) << "set 3 over set 2";
}

TEST(WizardButtonFace, WithoutLoadableSetsOnlyTheCaption)
{
    TestWizardButton button;
    const UINT missing[] = {9991, 9992, 9993, 9994};
    button.SetBitmaps(missing, 4);
    EXPECT_EQ(button.GetSetCount(), 2);
    EXPECT_EQ(button.GetButtonHeight(), 0);
    const RECT item = {0, 0, 60, 30};
    DibCanvas canvas(60, 30, kMarker);
    button.Draw(canvas.Dc(), item, ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(canvas.Count(item, kMarker), 60 * 30);
    // Nothing at all to take sets from.
    TestWizardButton empty;
    empty.SetBitmaps(nullptr, 3);
    empty.Draw(canvas.Dc(), item);
    EXPECT_EQ(empty.GetSetCount(), 0);
    EXPECT_EQ(canvas.Count(item, kMarker), 60 * 30);
}
