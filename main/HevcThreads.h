#pragma once
// HEIC is decoded through libheif (by the program's HEIC road, and by ImageMagick's coder for
// the size query), which starts each HEVC decoder (libde265) with one worker thread; the decoder runs a
// picture's rows in parallel when it has more, and decodes the same pixels either way. The program defines
// the decoder's thread start itself, exported from the executable so that libheif's call reaches it first,
// and passes the call on to the decoder with a worker for each core.

class HevcThreads
{
public:
    // The worker threads a decoder is started with: one for each core the program may use.
    static int PerDecoder();
    // How many decoders were started with more workers than libheif asked for.
    static int RaisedStarts();
};
