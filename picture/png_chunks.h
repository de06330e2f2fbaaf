// A PNG's chunks cut down to those that decide its pixels. Text, profiles and
// other ancillary chunks may be huge (or inflate to huge sizes) and change no
// grey level, so they never reach the decoder.
#pragma once

#include <string>

namespace quba {

// Whether `bytes` begin with the PNG signature.
bool IsPng(const std::string& bytes);

// Keeps the signature and the IHDR, PLTE, tRNS, IDAT and IEND chunks, in
// place. Where a chunk runs past the end of the file, the file is left as it
// is from there on for the decoder to refuse, or, where that chunk decides
// no pixel, cut before it.
void KeepPixelChunks(std::string& bytes);

} // namespace quba
