#pragma once
// The part of the shell's state that the media windows read.
struct MediaState {
    // The screen window's client size right after it was fitted to the
    // current video; "Реальный размер" goes back to it.
    int VideoNaturalWidth = 0;
    int VideoNaturalHeight = 0;
};
