#pragma once
// What the application calls: the engine's flat operations, the control
// classes, the notification message and the worker-thread dispatcher.
// Every engine operation belongs to the window's thread; other threads reach
// the controls only through PostUiTask.
#include <windows.h>

#include "dulib/ctrl/Accessibility.h"
#include "dulib/ctrl/CtrlDefs.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/MatchName.h"
#include "dulib/ctrl/PluginFactory.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/UiDispatcher.h"
#include "dulib/ctrl/duButton.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duLayout.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duProgress.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duStatic.h"
#include "dulib/ctrl/duWindow.h"
#include "dulib/ctrl/duWindowManager.h"

