#pragma once
// The ImageMagick command driver: one in-process ImageMagick command per call.
//
// File names never reach ImageMagick's command parser: the driver opens the input and a
// temporary output itself and hands ImageMagick the descriptors ("fd:N"), so brackets,
// percent signs, wildcards, colons or a leading "-" in a name cannot select frames, coders
// or other files. The output appears under its final name only when it is complete.

#include <string>

// Starts ImageMagick once for the process. configDir, when not empty, is the folder holding
// the program's own policy.xml (its resource limits suit large photos); it must be given
// before the first command. Safe to call more than once; later calls do nothing.
void MagickStartup(const std::string& configDir);
// At exit: every running command stops at its next progress report and fails (its output
// never appears), and every later command fails at once. Does not wait.
void MagickAbortCommands();
// Gives back the pixel memory kept for the next command (see PixelBlocks) and the heap's free
// memory; for when no command runs, as blocks that are in use stay.
void MagickReleaseMemory();
// Shuts ImageMagick down once, at program exit: stops the commands still running as above,
// waits for them to end, and every later command fails.
void MagickShutdown();

// Converts one image into the format named by the output's extension (png, jpg, bmp). A
// multi-image input (psd, gif, multi-page tiff, heic) gives its first image. Inputs that are
// no regular file, end before their pixels do, or pass the policy's size limits fail, and so
// does every command during which ImageMagick reported an error; every error text names the
// user's files. An existing file is never replaced: the output takes the first free name of
// "<stem>.<ext>", "<stem> (2).<ext>", ..., given back in written.
bool ConvertImageFile(const std::string& input, const std::string& output, std::string& error,
                      std::string* written = nullptr);
// Resizes by a percentage and re-encodes; quality 100 keeps the metadata and the encoder's
// default quality, any other quality strips the metadata but keeps the colour profile. Names
// its output as ConvertImageFile does.
bool CompressImageFile(const std::string& input, const std::string& output, int resize, int quality,
                       std::string& error, std::string* written = nullptr);
// Reads the pixel size; width and height stay as they were when the answer is not one
// "WxH" pair (a file holding several images).
bool GetImageSize(const std::string& path, int& width, int& height, std::string& error);
