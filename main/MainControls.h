#pragma once
// The main program's own controls in the skin builder's factory: "LineList" (CLineListUI)
// and "LinkButton" (CLinkButtonUI). Done when the program loads; calling it again does
// nothing more.

bool RegisterMainControls();
