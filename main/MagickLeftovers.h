#pragma once
// What a conversion leaves behind only when its process dies in the middle of a command: the
// hidden output beside the final one, and ImageMagick's temporary files (the copy of an input
// it cannot read in place, a pixel cache spilled to disk), which it keeps in a folder of the
// process's own. A later start removes the leftovers of processes that are gone; nothing of a
// running process is ever touched.

#include <string>

// The hidden name an output is written under until it is complete, beside the final file:
// ".~<name>.<pid>-<number>" followed by "." and the extension when there is one.
std::string HiddenOutputName(const std::string& name, unsigned number, const std::string& extension);
// Removes the hidden outputs of dead processes from a folder.
void RemoveDeadHiddenOutputs(const std::string& folder);

// ImageMagick's temporary folder for this process, "<temp folder>pictavo-magick-<pid>", made
// private on first use; empty when it cannot be made.
std::string MagickTemporaryFolder();
// Removes this process's temporary folder when it is empty (at exit).
void RemoveMagickTemporaryFolder();
// Removes the temporary folders of dead processes with everything in them.
void RemoveDeadMagickFolders();
