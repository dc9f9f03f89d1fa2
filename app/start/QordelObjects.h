// The main application's program-wide objects. They are all defined in QordelObjects.cpp, in this order, because
// the order of construction across files is undefined; the job engine's lie in engine/program/ProgramObjects.cpp
// and the skin's in ui/skin/SkinGlobals.cpp. No constructor or destructor here reads another file's objects.
#pragma once
#include <windows.h>

#include "app/start/InstanceChecker.h"
#include "app/start/Qordel.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/system/Handles.h"

// The platform's version, filled by the application object's constructor before anything else of the start.
extern OSVERSIONINFOEXW g_osVersion;
extern CInstanceChecker g_instanceChecker;
extern CQordelApp theApp;
// "Arial" 30 pixels bold, 24 pixels normal and 15 pixels bold; the main dialog's constructor creates them and
// ExitInstance deletes the first two.
extern CFont g_fontArial30Bold;
extern CFont g_fontArial24;
extern CFont g_fontArial15Bold;
// The single-instance block that this process created as the first instance; open for the process's lifetime.
extern CKernelHandle g_hFirstInstanceMapping;
// What the process ends with (ProgramExitCode): set by a start that could not begin, by the end of a one-shot
// run and by the program's drive going while a run goes on; 0 otherwise.
extern int g_nProgramExitCode;
