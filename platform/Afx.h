// The whole platform layer (windows, dialogs, drawing, text, collections, threads, COM and XML) in one include.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/Collections.h"
#include "platform/ComGlue.h"
#include "platform/Controls.h"
#include "platform/DataExchange.h"
#include "platform/Dc.h"
#include "platform/Dialog.h"
#include "platform/GdiObjects.h"
#include "platform/GdiPlusSession.h"
#include "platform/Geometry.h"
#include "platform/Handles.h"
#include "platform/ImageList.h"
#include "platform/Menu.h"
#include "platform/MessageMap.h"
#include "platform/Resources.h"
#include "platform/String.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "platform/Time.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
#include "platform/XmlDom.h"
