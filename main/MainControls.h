#pragma once
// The main program's own controls in the skin builder's factory: "LineList" (CLineListUI),
// "LinkButton" (CLinkButtonUI), the web view "wkeWebkit" (CWkeWebkitUI) and the animated
// "AnimImg", "AccProgress", "CircleImage" and "ScrollTextUI". Done when the program loads; calling it again
// does nothing more.

bool RegisterMainControls();
