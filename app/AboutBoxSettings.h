#pragma once
// The main window's about box: its texts, links and look.
#include "styled/TacQuickAboutBox.h"

void setUpAboutBox(TacQuickAboutBox& box);

// The system's name, version and processor clock, asked anew on every call.
AboutSystemTexts aboutSystemTexts();
