#pragma once
// The texts of the help window: the help itself, the people behind the
// program and its version history.
#include <QString>
#include <QStringList>

namespace HelpTexts {

QString help();
QString author();
QStringList betaTesters();
QString creditsAndHistory();

}  // namespace HelpTexts
