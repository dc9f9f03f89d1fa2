#include "app/start/QordelObjects.h"

OSVERSIONINFOEXW g_osVersion = {};
CInstanceChecker g_instanceChecker;
CQordelApp theApp;
CFont g_fontArial30Bold;
CFont g_fontArial24;
CFont g_fontArial15Bold;
CKernelHandle g_hFirstInstanceMapping;
int g_nProgramExitCode = 0;
