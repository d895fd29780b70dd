// Base of every object that receives messages or commands through a message map.
#pragma once

#include <windows.h>

// Holds the message map of its class; derived classes declare theirs with BEGIN_MSG_MAP.
class CCmdTarget
{
  public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // Offers a command (menu item, accelerator or control click) to the message map. True when handled.
    bool OnCmdMsg(UINT nId, UINT nCode)
    {
        LRESULT lResult = 0;
        return ProcessMessage(WM_COMMAND, MAKEWPARAM(nId, nCode), 0, lResult);
    }

  protected:
    // The message map: true when an entry handled the message, with the message's result in lResult.
    virtual bool ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult)
    {
        static_cast<void>(uMsg);
        static_cast<void>(wParam);
        static_cast<void>(lParam);
        static_cast<void>(lResult);
        return false;
    }
};
