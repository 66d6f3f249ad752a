#pragma once
// The root of a menu skin: holds the menu lists and two settings for the whole menu.

#include "ui/UIlib.h"

class CMenuContainer : public DuiLib::CContainerUI
{
public:
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    int m_nInterval = 0;      // gap in pixels between a row and its submenu (may be negative)
    bool m_bKeyEvent = false; // keys go to the list that currently has the keyboard
};
