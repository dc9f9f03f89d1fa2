// NewUI::CXPStyleButtonST: the owner-drawn button painted with the visual styles while they are active: a
// themed push-button face and no border of its own. It reaches the styles only through the theme wrapper its
// window hands it; without one, or with styles off, it paints like CButtonST with the flat border on.
#pragma once
#include <windows.h>

#include "ui/buttons/ButtonST.h"
#include "ui/buttons/ThemeHelperST.h"

namespace NewUI
{

// The state of the themed push-button part: 1 normal, 5 default, 2 hot, 3 pressed, 4 disabled; the last that
// holds wins (disabled beats pressed beats hot beats default).
int XPStyleButtonState(bool isDefault, bool hovered, bool pressed, bool disabled);

class CXPStyleButtonST : public CButtonST
{
  public:
    CXPStyleButtonST();
    ~CXPStyleButtonST() override;

    // The wrapper is not owned and outlives the button. A null wrapper, or one without active styles, turns
    // the flat border on.
    void SetThemeHelper(CThemeHelperST *pTheme);

  protected:
    DWORD DrawFace(CDC *pDC, CRect &item) override;
    DWORD DrawFrame(CDC *pDC, CRect &item) override;

    CThemeHelperST *m_pTheme;
};

} // namespace NewUI
