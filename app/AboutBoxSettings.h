#pragma once
// The main window's about box: its texts, links and look.
class TacQuickAboutBox;

void setUpAboutBox(TacQuickAboutBox& box);
