#pragma once
// The Win32 subset the system's code calls, in one include.

#include "platform/DebugOutput.h"
#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/KernelObject.h"
#include "platform/Messages.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "platform/Utf.h"
#include "platform/WinError.h"
#include "platform/WinTypes.h"
#include "platform/Window.h"
#include "platform/WindowFinder.h"
