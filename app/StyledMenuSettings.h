#pragma once
// The look of the main window's two styled menus: the playlist's popup menu
// and the tray menu.
class TAHMApplicationMenu;
class TAHMPopupMenu;

void setUpPlaylistMenu(TAHMApplicationMenu& menu);
void setUpTrayMenu(TAHMPopupMenu& menu);
