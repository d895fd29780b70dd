// CStatic: a static control.
#pragma once

#include "framework/Wnd.h"

// A static control of a dialog (label, frame or picture area).
class CStatic : public CWnd
{
};
