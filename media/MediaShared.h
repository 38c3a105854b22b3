#pragma once
// State the media windows share with the shell that drives them.
struct MediaState {
    // The screen window's client size right after it was fitted to the
    // current video; "Реальный размер" goes back to it.
    int VideoNaturalWidth = 0;
    int VideoNaturalHeight = 0;
};

extern MediaState Media;
