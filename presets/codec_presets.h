// The codec options of the package's two programs: what each one asks of the
// shared codec (core/codec/codec_options.h), in its own words. Each program
// makes its codec context with its preset, so that every decision the codec
// makes for it is written here, not guessed from who calls.
#pragma once

#include "codec/codec_options.h"

// The switcher (its wallpaper maker): 4-piece art smoothed at its own seam,
// no logo, 15-bit displays left as they are.
inline CodecOptions SwitcherCodecOptions() {
  CodecOptions options;
  options.spotDiskFullFormat =
      "Out of disk space on drive %c: for backup file\n"
      "Please free some space and rerun Desktop Lumivex!\n";
  options.outOfMemoryFormat = "Out of memory allocating from file %s, line %d\n";
  return options;
}

// The screen saver: its arts are 576 pixels wide, so column 288 is smoothed;
// a 15-bit display is reduced like a 16-bit one; the logo of each art is
// blended in before scaling; "MakeDeltas" goes to debugOutput (its debugger
// output; null for none).
inline CodecOptions ScreenSaverCodecOptions(void (*debugOutput)(const char* line)) {
  CodecOptions options;
  options.seamColumn = 288;
  options.fifteenBitsAsSixteen = true;
  options.logoOverlay = true;
  options.spotDiskFullFormat =
      "Out of disk space on drive %c: for backup file\n"
      "Please free some space and rerun the Tavol: the Corvane Screen Saver!\n";
  options.outOfMemoryFormat = "Out of memory allocating from file %s, line %d\n";
  options.trace = debugOutput;
  return options;
}
