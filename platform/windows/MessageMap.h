// Message maps: static tables that route window messages, commands and notifications to member functions.
//
// Each class that handles messages declares DECLARE_MESSAGE_MAP() and defines its table between
// BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP(). A lookup searches the class's own table first
// and then the tables of its base classes. Every entry macro checks the handler's signature at compile time:
// the handler is converted to a member of CCmdTarget with exactly the expected parameter list before it is
// stored in the table as a generic member pointer, and it is converted back to that same type when called.
#pragma once
#include <windows.h>

#include <cstring>

#include "platform/windows/RuntimeClass.h"

#define afx_msg

class CCmdTarget;
class CWnd;
class CDC;
class CMenu;
class CPoint;
class CScrollBar;

typedef void (CCmdTarget::*AFX_PMSG)();

// Converts between member-function pointer types of the same size without a cast the compiler would
// question: the map keeps every handler as AFX_PMSG and converts it back to its real type before the call.
template <class To, class From> To AfxPmfCast(From from)
{
    static_assert(sizeof(To) == sizeof(From), "member function pointers differ in size");
    To to;
    std::memcpy(&to, &from, sizeof(to));
    return to;
}

// How a handler is called: which parameters it receives and what it returns.
enum class AfxSig : unsigned char
{
    End,
    // Commands and notifications.
    Cmd,         // void ()
    CmdEx,       // BOOL ()                           reflected: FALSE lets the parent handle it too
    CmdRange,    // void (UINT nID)
    Notify,      // void (NMHDR*, LRESULT*)
    NotifyEx,    // BOOL (NMHDR*, LRESULT*)            reflected: FALSE lets the parent handle it too
    NotifyRange, // void (UINT nID, NMHDR*, LRESULT*)
    // Window messages.
    l_wl,         // LRESULT (WPARAM, LPARAM)
    v_v,          // void ()
    i_create,     // int (LPCREATESTRUCT)
    b_dc,         // BOOL (CDC*)
    v_up,         // void (UINT_PTR)
    v_u_ii,       // void (UINT, int, int)            from wParam and the two words of lParam
    v_u_rect,     // void (UINT, LPRECT)
    v_ii,         // void (int, int)                  the two words of lParam
    v_b_u,        // void (BOOL, UINT)
    v_u_pt,       // void (UINT, CPoint)
    b_u_s_pt,     // BOOL (UINT, short, CPoint)       mouse wheel
    b_wnd_u_u,    // BOOL (CWnd*, UINT, UINT)         set cursor
    l_pt,         // LRESULT (CPoint)
    v_u_u_u,      // void (UINT, UINT, UINT)          keys: wParam, repeat count, flags
    u_v,          // UINT ()
    hbr_dc_wnd_u, // HBRUSH (CDC*, CWnd*, UINT)
    hbr_dc_u,     // HBRUSH (CDC*, UINT)              reflected control colour
    v_i_draw,     // void (int, LPDRAWITEMSTRUCT)
    v_i_measure,  // void (int, LPMEASUREITEMSTRUCT)
    v_draw,       // void (LPDRAWITEMSTRUCT)          reflected
    v_measure,    // void (LPMEASUREITEMSTRUCT)       reflected
    v_wnd,        // void (CWnd*)
    v_u_u_sb,     // void (UINT, UINT, CScrollBar*)
    v_wpos,       // void (WINDOWPOS*)
    v_mmi,        // void (MINMAXINFO*)
    v_u_l,        // void (UINT, LPARAM)
    v_u_wnd_b,    // void (UINT, CWnd*, BOOL)         activate
    v_b,          // void (BOOL)
    v_wnd_pt,     // void (CWnd*, CPoint)
    v_menu_u_b,   // void (CMenu*, UINT, BOOL)
    l_u_u_menu,   // LRESULT (UINT, UINT, CMenu*)
    b_wnd_cds,    // BOOL (CWnd*, COPYDATASTRUCT*)
    b_u_dw,       // BOOL (UINT, DWORD_PTR)
    b_v,          // BOOL ()
    v_u_str,      // void (UINT, LPCTSTR)
    v_b_nccs,     // void (BOOL, NCCALCSIZE_PARAMS*)
    b_b,          // BOOL (BOOL)
    v_b_dw,       // void (BOOL, DWORD)
    hcur_v,       // HCURSOR ()
};

struct AfxMsgMapEntry
{
    UINT nMessage; // window message, or WM_COMMAND / WM_NOTIFY for commands and notifications
    UINT nCode;    // notification code (0 for window messages and menu commands)
    UINT nID;      // first control or command id
    UINT nLastID;  // last id of a range (== nID otherwise)
    AfxSig nSig;
    const UINT *pRegistered; // ON_REGISTERED_MESSAGE: the variable that holds the message number
    AFX_PMSG pfn;
};

struct AfxMsgMap
{
    const AfxMsgMap *(*pfnGetBaseMap)();
    const AfxMsgMapEntry *lpEntries;
};

// Messages reflected back to the control that sent them to its parent arrive at the control as
// WM_REFLECT_BASE + the original message.
#define WM_REFLECT_BASE 0xBC00
// The one message number under which the map keeps all WM_CTLCOLORxxx messages.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

// The root of every class with a message map: windows and the application object.
class CCmdTarget
{
  public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // Runs the handler of command nID with notification code nCode (0 for menu items, accelerators and
    // button clicks); TRUE when a handler was found.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

    // The first entry of this object's maps (own class first, then the base classes) for the message, code
    // and id; null when none handles it.
    const AfxMsgMapEntry *FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

    // The record of the root class; see RuntimeClass.h.
    static const CRuntimeClass *GetThisClass();
    // The record of this object's class (its nearest base declared DECLARE_DYNAMIC or DECLARE_DYNCREATE).
    virtual const CRuntimeClass *GetRuntimeClass() const;
    // TRUE when this object's class is pClass or derives from it.
    BOOL IsKindOf(const CRuntimeClass *pClass) const;

  protected:
    static const AfxMsgMap *GetThisMessageMap();
    virtual const AfxMsgMap *GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                                                                                          \
  protected:                                                                                                           \
    static const AfxMsgMap *GetThisMessageMap();                                                                       \
    const AfxMsgMap *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AfxMsgMap *theClass::GetMessageMap() const                                                                   \
    {                                                                                                                  \
        return GetThisMessageMap();                                                                                    \
    }                                                                                                                  \
    const AfxMsgMap *theClass::GetThisMessageMap()                                                                     \
    {                                                                                                                  \
        [[maybe_unused]] typedef theClass ThisClass;                                                                   \
        typedef baseClass TheBaseClass;                                                                                \
        static const AfxMsgMapEntry afxEntries[] = {

#define END_MESSAGE_MAP()                                                                                              \
    {                                                                                                                  \
        0, 0, 0, 0, AfxSig::End, nullptr, nullptr                                                                      \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AfxMsgMap afxMap = {&TheBaseClass::GetThisMessageMap, &afxEntries[0]};                                \
    return &afxMap;                                                                                                    \
    }

// Stores a handler after checking that its type is exactly `type` (a member of CCmdTarget with the expected
// parameters); the explicit conversion fails to compile for a handler of another signature.
#define AFX_MSG_PFN(type, memberFxn) AfxPmfCast<AFX_PMSG>(static_cast<type>(memberFxn))

#define AFX_WM_ENTRY(msg, sig, type, fn) {msg, 0, 0, 0, AfxSig::sig, nullptr, AFX_MSG_PFN(type, &ThisClass::fn)},

// --- Commands and control notifications ---
#define ON_COMMAND(id, memberFxn)                                                                                      \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AfxSig::Cmd, nullptr, AFX_MSG_PFN(void(CCmdTarget::*)(), memberFxn)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                                        \
    {WM_COMMAND,                                                                                                       \
     0,                                                                                                                \
     (UINT)(id),                                                                                                       \
     (UINT)(idLast),                                                                                                   \
     AfxSig::CmdRange,                                                                                                 \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(UINT), memberFxn)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                                         \
    {WM_COMMAND,                                                                                                       \
     (UINT)(wNotifyCode),                                                                                              \
     (UINT)(id),                                                                                                       \
     (UINT)(id),                                                                                                       \
     AfxSig::Cmd,                                                                                                      \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(), memberFxn)},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                                           \
    {WM_COMMAND,                                                                                                       \
     (UINT)(wNotifyCode),                                                                                              \
     (UINT)(id),                                                                                                       \
     (UINT)(idLast),                                                                                                   \
     AfxSig::CmdRange,                                                                                                 \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(UINT), memberFxn)},
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                                          \
    {WM_NOTIFY,                                                                                                        \
     (UINT)(wNotifyCode),                                                                                              \
     (UINT)(id),                                                                                                       \
     (UINT)(id),                                                                                                       \
     AfxSig::Notify,                                                                                                   \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(NMHDR *, LRESULT *), memberFxn)},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                                            \
    {WM_NOTIFY,                                                                                                        \
     (UINT)(wNotifyCode),                                                                                              \
     (UINT)(id),                                                                                                       \
     (UINT)(idLast),                                                                                                   \
     AfxSig::NotifyRange,                                                                                              \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(UINT, NMHDR *, LRESULT *), memberFxn)},

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// --- Reflected to the control that sent them (handled in the control's own map) ---
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                                     \
    {WM_REFLECT_BASE + WM_COMMAND,                                                                                     \
     (UINT)(wNotifyCode),                                                                                              \
     0,                                                                                                                \
     0,                                                                                                                \
     AfxSig::Cmd,                                                                                                      \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(), memberFxn)},
// The handler returns TRUE when it has dealt with the notification, FALSE to let the parent handle it as well.
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                                                  \
    {WM_REFLECT_BASE + WM_COMMAND,                                                                                     \
     (UINT)(wNotifyCode),                                                                                              \
     0,                                                                                                                \
     0,                                                                                                                \
     AfxSig::CmdEx,                                                                                                    \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(BOOL(CCmdTarget::*)(), memberFxn)},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                                      \
    {WM_REFLECT_BASE + WM_NOTIFY,                                                                                      \
     (UINT)(wNotifyCode),                                                                                              \
     0,                                                                                                                \
     0,                                                                                                                \
     AfxSig::Notify,                                                                                                   \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(void(CCmdTarget::*)(NMHDR *, LRESULT *), memberFxn)},
// The handler returns TRUE when it has dealt with the notification (its result stands), FALSE to let the parent
// handle it as well.
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                                                   \
    {WM_REFLECT_BASE + WM_NOTIFY,                                                                                      \
     (UINT)(wNotifyCode),                                                                                              \
     0,                                                                                                                \
     0,                                                                                                                \
     AfxSig::NotifyEx,                                                                                                 \
     nullptr,                                                                                                          \
     AFX_MSG_PFN(BOOL(CCmdTarget::*)(NMHDR *, LRESULT *), memberFxn)},
#define ON_WM_CTLCOLOR_REFLECT()                                                                                       \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, hbr_dc_u, HBRUSH(CCmdTarget::*)(CDC *, UINT), CtlColor)
#define ON_WM_DRAWITEM_REFLECT()                                                                                       \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, v_draw, void(CCmdTarget::*)(LPDRAWITEMSTRUCT), DrawItem)
#define ON_WM_MEASUREITEM_REFLECT()                                                                                    \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, v_measure, void(CCmdTarget::*)(LPMEASUREITEMSTRUCT), MeasureItem)

// --- User-defined messages ---
#define ON_MESSAGE(message, memberFxn)                                                                                 \
    {(UINT)(message), 0, 0, 0, AfxSig::l_wl, nullptr, AFX_MSG_PFN(LRESULT(CCmdTarget::*)(WPARAM, LPARAM), memberFxn)},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                                             \
    {0xC000,                                                                                                           \
     0,                                                                                                                \
     0,                                                                                                                \
     0,                                                                                                                \
     AfxSig::l_wl,                                                                                                     \
     &(nMessageVariable),                                                                                              \
     AFX_MSG_PFN(LRESULT(CCmdTarget::*)(WPARAM, LPARAM), memberFxn)},

// --- Window messages, each to its handler of the usual name ---
#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, i_create, int (CCmdTarget::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, v_v, void (CCmdTarget::*)(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, v_v, void (CCmdTarget::*)(), OnNcDestroy)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, v_v, void (CCmdTarget::*)(), OnPaint)
#define ON_WM_NCPAINT() AFX_WM_ENTRY(WM_NCPAINT, v_v, void (CCmdTarget::*)(), OnNcPaint)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY(WM_ERASEBKGND, b_dc, BOOL (CCmdTarget::*)(CDC *), OnEraseBkgnd)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, v_up, void (CCmdTarget::*)(UINT_PTR), OnTimer)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, v_u_ii, void (CCmdTarget::*)(UINT, int, int), OnSize)
#define ON_WM_SIZING() AFX_WM_ENTRY(WM_SIZING, v_u_rect, void (CCmdTarget::*)(UINT, LPRECT), OnSizing)
#define ON_WM_MOVE() AFX_WM_ENTRY(WM_MOVE, v_ii, void (CCmdTarget::*)(int, int), OnMove)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, v_v, void (CCmdTarget::*)(), OnClose)
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY(WM_SHOWWINDOW, v_b_u, void (CCmdTarget::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_LBUTTONDOWN() AFX_WM_ENTRY(WM_LBUTTONDOWN, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_ENTRY(WM_LBUTTONUP, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK()                                                                                          \
    AFX_WM_ENTRY(WM_LBUTTONDBLCLK, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM_ENTRY(WM_RBUTTONDOWN, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM_ENTRY(WM_RBUTTONUP, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK()                                                                                          \
    AFX_WM_ENTRY(WM_RBUTTONDBLCLK, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnRButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_WM_ENTRY(WM_MOUSEMOVE, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSEHOVER() AFX_WM_ENTRY(WM_MOUSEHOVER, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnMouseHover)
#define ON_WM_MOUSELEAVE() AFX_WM_ENTRY(WM_MOUSELEAVE, v_v, void (CCmdTarget::*)(), OnMouseLeave)
#define ON_WM_MOUSEWHEEL()                                                                                             \
    AFX_WM_ENTRY(WM_MOUSEWHEEL, b_u_s_pt, BOOL (CCmdTarget::*)(UINT, short, CPoint), OnMouseWheel)
#define ON_WM_SETCURSOR() AFX_WM_ENTRY(WM_SETCURSOR, b_wnd_u_u, BOOL (CCmdTarget::*)(CWnd *, UINT, UINT), OnSetCursor)
#define ON_WM_NCHITTEST() AFX_WM_ENTRY(WM_NCHITTEST, l_pt, LRESULT (CCmdTarget::*)(CPoint), OnNcHitTest)
#define ON_WM_NCLBUTTONDOWN()                                                                                          \
    AFX_WM_ENTRY(WM_NCLBUTTONDOWN, v_u_pt, void (CCmdTarget::*)(UINT, CPoint), OnNcLButtonDown)
#define ON_WM_KEYDOWN() AFX_WM_ENTRY(WM_KEYDOWN, v_u_u_u, void (CCmdTarget::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_WM_ENTRY(WM_KEYUP, v_u_u_u, void (CCmdTarget::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_WM_ENTRY(WM_SYSKEYDOWN, v_u_u_u, void (CCmdTarget::*)(UINT, UINT, UINT), OnSysKeyDown)
#define ON_WM_CHAR() AFX_WM_ENTRY(WM_CHAR, v_u_u_u, void (CCmdTarget::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_GETDLGCODE() AFX_WM_ENTRY(WM_GETDLGCODE, u_v, UINT (CCmdTarget::*)(), OnGetDlgCode)
// All WM_CTLCOLORxxx messages arrive at OnCtlColor with the control type (CTLCOLOR_xxx) as nCtlColor.
#define ON_WM_CTLCOLOR()                                                                                               \
    AFX_WM_ENTRY(WM_CTLCOLOR, hbr_dc_wnd_u, HBRUSH (CCmdTarget::*)(CDC *, CWnd *, UINT), OnCtlColor)
#define ON_WM_DRAWITEM() AFX_WM_ENTRY(WM_DRAWITEM, v_i_draw, void (CCmdTarget::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_MEASUREITEM()                                                                                            \
    AFX_WM_ENTRY(WM_MEASUREITEM, v_i_measure, void (CCmdTarget::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, v_wnd, void (CCmdTarget::*)(CWnd *), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, v_wnd, void (CCmdTarget::*)(CWnd *), OnKillFocus)
#define ON_WM_CAPTURECHANGED() AFX_WM_ENTRY(WM_CAPTURECHANGED, v_wnd, void (CCmdTarget::*)(CWnd *), OnCaptureChanged)
#define ON_WM_HSCROLL() AFX_WM_ENTRY(WM_HSCROLL, v_u_u_sb, void (CCmdTarget::*)(UINT, UINT, CScrollBar *), OnHScroll)
#define ON_WM_VSCROLL() AFX_WM_ENTRY(WM_VSCROLL, v_u_u_sb, void (CCmdTarget::*)(UINT, UINT, CScrollBar *), OnVScroll)
#define ON_WM_WINDOWPOSCHANGING()                                                                                      \
    AFX_WM_ENTRY(WM_WINDOWPOSCHANGING, v_wpos, void (CCmdTarget::*)(WINDOWPOS *), OnWindowPosChanging)
#define ON_WM_WINDOWPOSCHANGED()                                                                                       \
    AFX_WM_ENTRY(WM_WINDOWPOSCHANGED, v_wpos, void (CCmdTarget::*)(WINDOWPOS *), OnWindowPosChanged)
#define ON_WM_GETMINMAXINFO() AFX_WM_ENTRY(WM_GETMINMAXINFO, v_mmi, void (CCmdTarget::*)(MINMAXINFO *), OnGetMinMaxInfo)
#define ON_WM_SYSCOMMAND() AFX_WM_ENTRY(WM_SYSCOMMAND, v_u_l, void (CCmdTarget::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_ACTIVATE() AFX_WM_ENTRY(WM_ACTIVATE, v_u_wnd_b, void (CCmdTarget::*)(UINT, CWnd *, BOOL), OnActivate)
#define ON_WM_ACTIVATEAPP() AFX_WM_ENTRY(WM_ACTIVATEAPP, v_b_dw, void (CCmdTarget::*)(BOOL, DWORD), OnActivateApp)
#define ON_WM_ENABLE() AFX_WM_ENTRY(WM_ENABLE, v_b, void (CCmdTarget::*)(BOOL), OnEnable)
#define ON_WM_CONTEXTMENU() AFX_WM_ENTRY(WM_CONTEXTMENU, v_wnd_pt, void (CCmdTarget::*)(CWnd *, CPoint), OnContextMenu)
#define ON_WM_INITMENUPOPUP()                                                                                          \
    AFX_WM_ENTRY(WM_INITMENUPOPUP, v_menu_u_b, void (CCmdTarget::*)(CMenu *, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_MENUCHAR() AFX_WM_ENTRY(WM_MENUCHAR, l_u_u_menu, LRESULT (CCmdTarget::*)(UINT, UINT, CMenu *), OnMenuChar)
#define ON_WM_COPYDATA()                                                                                               \
    AFX_WM_ENTRY(WM_COPYDATA, b_wnd_cds, BOOL (CCmdTarget::*)(CWnd *, COPYDATASTRUCT *), OnCopyData)
#define ON_WM_DEVICECHANGE()                                                                                           \
    AFX_WM_ENTRY(WM_DEVICECHANGE, b_u_dw, BOOL (CCmdTarget::*)(UINT, DWORD_PTR), OnDeviceChange)
#define ON_WM_QUERYENDSESSION() AFX_WM_ENTRY(WM_QUERYENDSESSION, b_v, BOOL (CCmdTarget::*)(), OnQueryEndSession)
#define ON_WM_ENDSESSION() AFX_WM_ENTRY(WM_ENDSESSION, v_b, void (CCmdTarget::*)(BOOL), OnEndSession)
#define ON_WM_SETTINGCHANGE()                                                                                          \
    AFX_WM_ENTRY(WM_SETTINGCHANGE, v_u_str, void (CCmdTarget::*)(UINT, LPCTSTR), OnSettingChange)
#define ON_WM_SYSCOLORCHANGE() AFX_WM_ENTRY(WM_SYSCOLORCHANGE, v_v, void (CCmdTarget::*)(), OnSysColorChange)
#define ON_WM_CANCELMODE() AFX_WM_ENTRY(WM_CANCELMODE, v_v, void (CCmdTarget::*)(), OnCancelMode)
#define ON_WM_NCCALCSIZE()                                                                                             \
    AFX_WM_ENTRY(WM_NCCALCSIZE, v_b_nccs, void (CCmdTarget::*)(BOOL, NCCALCSIZE_PARAMS *), OnNcCalcSize)
#define ON_WM_NCACTIVATE() AFX_WM_ENTRY(WM_NCACTIVATE, b_b, BOOL (CCmdTarget::*)(BOOL), OnNcActivate)
#define ON_WM_QUERYDRAGICON() AFX_WM_ENTRY(WM_QUERYDRAGICON, hcur_v, HCURSOR (CCmdTarget::*)(), OnQueryDragIcon)
