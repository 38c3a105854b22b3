#pragma once
// The program's look: the classic 3-D widget style with the fixed system
// colour table, the same on every desktop theme.
class QApplication;

void applyClassicLook(QApplication& app);
