// The whole platform layer (windows, dialogs, drawing, text, collections, threads, COM and XML) in one include.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/text/Collections.h"
#include "platform/system/ComGlue.h"
#include "platform/controls/Controls.h"
#include "platform/controls/DataExchange.h"
#include "platform/drawing/Dc.h"
#include "platform/windows/Dialog.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/drawing/GdiPlusSession.h"
#include "platform/text/Geometry.h"
#include "platform/system/Handles.h"
#include "platform/drawing/ImageList.h"
#include "platform/controls/Menu.h"
#include "platform/controls/ToolTipCtrl.h"
#include "platform/windows/MessageMap.h"
#include "platform/system/Resources.h"
#include "platform/text/String.h"
#include "platform/system/Sync.h"
#include "platform/system/Thread.h"
#include "platform/text/Time.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"
#include "platform/system/XmlDom.h"
